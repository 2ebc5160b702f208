#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class Hunspell;

// The spelling checker of the plan text, on Hunspell.
//
// The program hands it a text (CheckText) and drives it by result codes:
//   0 or above  the check is finished (the value is the number of words examined);
//   -1          a word is not in the dictionary: MisspelledWord, WordOffset and the
//               suggestions describe it; ResumeCheck goes on after it;
//   -3          the check was stopped (StopCheck);
//   -4          busy: a long text is checked in slices so that the caller can let the
//               window repaint between them; ResumeCheck continues;
//   -2          the dictionary could not be opened (dictionaryError() says why).
// Offsets count UTF-16 characters from the start of the text handed over, as the text
// control counts positions.
//
// Words: letters with apostrophes inside them (' and ’); hyphenated words are accepted
// whole when the dictionary knows the compound, else checked part by part; anything with
// a digit in it, and e-mail and web addresses, is left alone. A word followed by a full
// stop is also tried with it, so that "etc." and "Ltd." pass.
//
// The standard dictionary "british.vtd" is the system's British English Hunspell
// dictionary (en_GB). The user's own words live in "custom.dic", a UTF-8 list with one word
// a line in the configuration folder beside Tandel.INI, so that they survive reinstalling.
class Speller : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString StandardDictionary READ StandardDictionary WRITE setStandardDictionary)
    Q_PROPERTY(QString CustomDictionary READ CustomDictionary WRITE setCustomDictionary)
    Q_PROPERTY(int ResultCode READ ResultCode)
    Q_PROPERTY(int ResumeCheck READ ResumeCheck)
    Q_PROPERTY(QString MisspelledWord READ MisspelledWord)
    Q_PROPERTY(int WordOffset READ WordOffset)
    Q_PROPERTY(int SuggestionCount READ SuggestionCount)
    Q_PROPERTY(QString ReplacementWord READ ReplacementWord WRITE setReplacementWord)

public:
    enum Code { Misspelled = -1, NoDictionary = -2, Stopped = -3, Busy = -4 };
    // AddToCommonIRList: ignore the last misspelled word until the program closes.
    static constexpr int IgnoreForSession = 5;
    // AddMisspelledWord: flag that writes the word to the custom dictionary file, and the
    // number of the custom dictionary.
    static constexpr int KeepInFile = 512;
    static constexpr int CustomDictionarySlot = 5;

    explicit Speller(QObject* parent = nullptr);
    ~Speller() override;

    // Set-up. "british.vtd" names the system's en_GB dictionary; any other name is a
    // Hunspell dictionary's base name (looked up in the dictionary folders) or the path of
    // its .aff or .dic file. A relative custom dictionary name lives in the configuration
    // folder. Changing either reloads the dictionaries on next use.
    QString StandardDictionary() const { return m_standardName; }
    void setStandardDictionary(const QString& name);
    QString CustomDictionary() const { return m_customName; }
    void setCustomDictionary(const QString& name);
    // Where dictionaries named by base name are looked for (default: the system's Hunspell
    // folders). Changing it affects spellers that load afterwards.
    static QStringList dictionaryFolders();
    static void setDictionaryFolders(const QStringList& folders);

    // Opens the dictionaries if not done yet; false when the standard one is missing or
    // unreadable, with the reason in dictionaryError().
    bool load();
    bool isLoaded() const { return m_hunspell != nullptr; }
    QString dictionaryError() const { return m_dictionaryError; }
    // The .aff and .dic files the standard dictionary resolves to (empty when not found).
    QString affixPath() const;
    QString customDictionaryPath() const;

    // The check.
    void setCheckText(const QString& text);
    int ResultCode() const { return m_result; }
    int ResumeCheck();
    void StopCheck();
    QString MisspelledWord() const { return m_word; }
    int WordOffset() const { return m_wordOffset; }
    int SuggestionCount();
    QString Suggestion(int n); // n from 1
    QStringList suggestions();

    // Corrections to the last misspelled word.
    QString ReplacementWord() const { return m_replacement; }
    void setReplacementWord(const QString& word);
    // 1: the last misspelled word was replaced by ReplacementWord in the caller's text;
    // later offsets take the change into account.
    void setReplaceLastWord(int value);
    void setAddToCommonIRList(int value);
    // Adds the last misspelled word to the dictionary for this session; with KeepInFile
    // also to the custom dictionary file. Returns 0, or -1 when the word could not be
    // stored (errorString() says why; the word is still accepted for the session).
    int AddMisspelledWord(int flags, int dictionary);
    QString errorString() const { return m_error; }

    // Whether a single word is correct (with the ignore list and the user's words).
    bool isCorrect(const QString& word);
    // The words of a text the check would stop on, with their offsets, found by the same
    // rules. A check in progress (one waiting on the user over a word) is left exactly as
    // it was, and OnMisspelled is not raised. Empty when the dictionary cannot be opened.
    struct Misspelling {
        int offset = 0;
        QString word;
    };
    QList<Misspelling> findMisspelled(const QString& text);
    // Words kept in the custom dictionary, as loaded and added.
    QStringList customWords() const { return m_customWords; }

    // Slices: a slice ends after this many words or this many milliseconds, whichever
    // comes first (0 = no limit of that kind).
    void setSliceLimits(int words, int milliseconds);

signals:
    // Raised whenever the check stops on a misspelled word.
    void OnMisspelled();

private:
    bool accepted(QStringView word);
    bool spellDirect(QStringView word);
    bool checkPart(qsizetype start, qsizetype end, bool dotFollows, qsizetype* reportStart);
    void runSlice();
    bool nextChunk();
    bool isAddress(qsizetype start, qsizetype end) const;
    bool encode(QStringView word, std::string* out) const;
    QString decode(const std::string& bytes) const;
    void computeSuggestions();
    void loadCustomWords();
    bool writeCustomWords(QString* error);
    void unload();

    QString m_standardName;
    QString m_customName;
    std::unique_ptr<Hunspell> m_hunspell;
    // Dictionaries in another character set than UTF-8 are reached through iconv.
    bool m_utf8 = true;
    void* m_toDictionary = nullptr;
    void* m_fromDictionary = nullptr;
    QString m_scratch;
    QString m_dictionaryError;
    QString m_error;

    // Results of words already looked up, and the words to ignore until the program ends.
    QHash<QString, bool> m_cache;
    QSet<QString> m_ignored;
    QStringList m_customWords;

    // The check in progress.
    QString m_text;
    qsizetype m_pos = 0;
    qsizetype m_chunkEnd = 0; // end of the current run of non-space characters
    int m_result = 0;
    int m_wordsChecked = 0;
    QString m_word;
    int m_wordOffset = 0;
    bool m_wordReplaceable = false;
    QString m_replacement;
    QStringList m_suggestions;
    bool m_suggestionsReady = false;
    int m_sliceWords = 0;
    int m_sliceMs = 25;
};
