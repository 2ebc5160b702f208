#include "controls/speller/speller.h"
#include "support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Hit {
    QString word;
    int offset;
};

// Runs a whole check, answering every misspelled word with Ignore, and returns the words
// found in order. Counts the busy codes met on the way.
QList<Hit> misspellings(Speller& s, const QString& text, int* busy = nullptr,
                        int* finalCode = nullptr) {
    QList<Hit> hits;
    s.setCheckText(text);
    int code = s.ResultCode();
    int guard = 0;
    while (code < 0 && ++guard < 100000) {
        if (code == Speller::Misspelled)
            hits.append({s.MisspelledWord(), s.WordOffset()});
        else if (code == Speller::Busy) {
            if (busy) ++*busy;
        } else
            break;
        code = s.ResumeCheck();
    }
    if (finalCode) *finalCode = code;
    return hits;
}

QStringList words(const QList<Hit>& hits) {
    QStringList out;
    for (const Hit& h : hits)
        out << h.word;
    return out;
}

} // namespace

class TestSpeller : public QObject {
    Q_OBJECT
private slots:
    void init() { Speller::setDictionaryFolders({}); }

    // Which words a British writer expects to be questioned, and which not.
    void splitsWordsAsABritishWriterExpects_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("british spellings")
            << "The colour of our organisation's catalogue" << QStringList();
        QTest::newRow("american spelling questioned")
            << "The color is bright" << QStringList{"color"};
        QTest::newRow("apostrophes inside words")
            << "don't, don’t, the company's and the companies' staff" << QStringList();
        QTest::newRow("misspelt word with apostrophe")
            << "the compnay's aims" << QStringList{"compnay's"};
        QTest::newRow("quotation marks are not apostrophes")
            << "he said 'hello' and ’tis done" << QStringList();
        QTest::newRow("hyphenated compound known whole")
            << "a well-known, up-to-date brand" << QStringList();
        QTest::newRow("hyphenated parts checked alone")
            << "a well-knwon and recieve-based idea" << QStringList{"knwon", "recieve"};
        QTest::newRow("numbers and words with digits")
            << "In 2026 we sold 3rd-party A4 paper, 10kg boxes, £1,250.50 and Q3x7zz goods"
            << QStringList();
        QTest::newRow("digits skip only their own part")
            << "Covid-19 and 4-wheeel drives" << QStringList{"wheeel"};
        QTest::newRow("e-mail and web addresses")
            << "Write to j.smyth@exampel.co.uk or <sales@acmme.com>, see www.exampel.com, "
               "(http://exampel.org/plan?x=1) and shopp.exampel.co.uk/offers."
            << QStringList();
        QTest::newRow("a word is not an address")
            << "the exampel shows it.Tehn more" << QStringList{"exampel", "Tehn"};
        QTest::newRow("abbreviations with full stops")
            << "etc. and Smith Ltd. e.g. i.e." << QStringList();
        QTest::newRow("paragraph and cell breaks separate words")
            << QString("first\u2029secnd\uFDD0thrid\uFFFCfourth") << QStringList{"secnd", "thrid"};
        QTest::newRow("capitals follow the dictionary")
            << "MARKETING Plan for LONDON" << QStringList();
    }
    void splitsWordsAsABritishWriterExpects() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        Speller s;
        QCOMPARE(words(misspellings(s, text)), expected);
    }

    void offsetsLandOnTheWords() {
        Speller s;
        const QString text = QString("Our markting plan\u2029for the nxet yaer, don’t recieve-well "
                                     "«sucess» and teh end");
        const QList<Hit> hits = misspellings(s, text);
        QCOMPARE(words(hits),
                 (QStringList{"markting", "nxet", "yaer", "recieve", "sucess", "teh"}));
        for (const Hit& h : hits)
            QCOMPARE(text.mid(h.offset, h.word.size()), h.word);
        QCOMPARE(hits.first().offset, 4);
        QCOMPARE(hits.at(1).offset, text.indexOf("nxet"));
    }

    void finishedCodeCountsWords() {
        Speller s;
        int code = -99;
        QVERIFY(misspellings(s, "one two-three 44 four", nullptr, &code).isEmpty());
        QCOMPARE(code, 3);
        QVERIFY(misspellings(s, "", nullptr, &code).isEmpty());
        QCOMPARE(code, 0);
        QVERIFY(misspellings(s, " \u2029 ... -- ", nullptr, &code).isEmpty());
        QCOMPARE(code, 0);
    }

    // Whatever the text, every word reported is where the offset says, in order, and the
    // check ends.
    void anyTextGivesConsistentOffsets() {
        const QString pieces[] = {"teh",      "the",
                                  "’",        "'",
                                  "-",        "recieve",
                                  "4",        "@",
                                  ".",        "/",
                                  ":",        " ",
                                  "\u2029",   "\uFDD0",
                                  "é",        "e\u0301",
                                  "😀",        "www.",
                                  "Zq",       "colour",
                                  "\uFFFC",   QString(QChar(0xD800)),
                                  "a.b@c.uk", "http://",
                                  "«",        "\t"};
        QRandomGenerator rng(12345);
        Speller s;
        s.setSliceLimits(5, 0);
        for (int round = 0; round < 300; ++round) {
            QString text;
            const int n = int(rng.bounded(1, 40));
            for (int i = 0; i < n; ++i)
                text += pieces[rng.bounded(int(std::size(pieces)))];
            int code = 0;
            const QList<Hit> hits = misspellings(s, text, nullptr, &code);
            QVERIFY2(code >= 0, qPrintable(text));
            int last = -1;
            for (const Hit& h : hits) {
                QVERIFY2(h.offset > last, qPrintable(text));
                QCOMPARE(text.mid(h.offset, h.word.size()), h.word);
                last = h.offset;
            }
        }
    }

    void hugeWordIsQuestionedQuickly() {
        Speller s;
        QVERIFY(s.load());
        const QString word(20000, QLatin1Char('q'));
        QElapsedTimer timer;
        timer.start();
        s.setCheckText("A " + word + " end");
        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        QCOMPARE(s.WordOffset(), 2);
        QCOMPARE(s.MisspelledWord().size(), word.size());
        s.suggestions();
        QVERIFY(s.ResumeCheck() >= 0);
        // Generous: a hang or a quadratic scan takes minutes, not seconds.
        QVERIFY(timer.elapsed() < 20000);
    }

    void slicesResumeWhereTheyStopped() {
        QString text;
        for (int i = 0; i < 200; ++i)
            text += i % 37 == 5 ? QString("mispelt ") : QString("the market grows well-known ");
        Speller whole;
        whole.setSliceLimits(0, 0);
        int busyWhole = 0, codeWhole = 0;
        const QList<Hit> expected = misspellings(whole, text, &busyWhole, &codeWhole);
        QCOMPARE(busyWhole, 0);
        QVERIFY(expected.size() >= 5);

        Speller sliced;
        sliced.setSliceLimits(3, 0);
        int busy = 0, code = 0;
        const QList<Hit> got = misspellings(sliced, text, &busy, &code);
        QVERIFY2(busy > 100, qPrintable(QString::number(busy)));
        QCOMPARE(code, codeWhole);
        QCOMPARE(got.size(), expected.size());
        for (int i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].word, expected[i].word);
            QCOMPARE(got[i].offset, expected[i].offset);
        }
    }

    void replacementShiftsLaterOffsets() {
        Speller s;
        s.setCheckText("I recieve teh goods and teh bill");
        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        QCOMPARE(s.MisspelledWord(), QString("recieve"));
        QVERIFY(s.SuggestionCount() > 0);
        QCOMPARE(s.Suggestion(1), QString("receive"));
        QCOMPARE(s.Suggestion(0), QString());
        QCOMPARE(s.Suggestion(s.SuggestionCount() + 1), QString());
        s.setReplacementWord("receive");
        QCOMPARE(s.ReplacementWord(), QString("receive"));
        s.setReplaceLastWord(1);
        QCOMPARE(s.ResumeCheck(), int(Speller::Misspelled));
        QCOMPARE(s.MisspelledWord(), QString("teh"));
        QCOMPARE(s.WordOffset(), 10);
        // A replacement of another length, and one that is itself two words.
        s.setReplacementWord("the very");
        s.setReplaceLastWord(1);
        s.setReplaceLastWord(1); // only once per word
        QCOMPARE(s.ResumeCheck(), int(Speller::Misspelled));
        QCOMPARE(s.WordOffset(), QString("I receive the very goods and ").size());
        QVERIFY(s.ResumeCheck() >= 0);
    }

    // Counting misspelt words elsewhere while a check waits on the user over a word: the
    // check goes on exactly where it was, replacement and all.
    void countingLeavesACheckInProgressAlone() {
        Speller s;
        int raised = 0;
        connect(&s, &Speller::OnMisspelled, this, [&raised] { ++raised; });
        s.setCheckText("I recieve teh goods and teh bill");
        QCOMPARE(s.MisspelledWord(), QString("recieve"));
        QCOMPARE(raised, 1);

        const QList<Speller::Misspelling> found =
            s.findMisspelled("Teh bakery sells breed and cakse");
        QCOMPARE(found.size(), 2);
        QCOMPARE(found.at(0).word, QString("Teh"));
        QCOMPARE(found.at(0).offset, 0);
        QCOMPARE(found.at(1).word, QString("cakse"));
        QCOMPARE(found.at(1).offset, 27);
        QCOMPARE(raised, 1);

        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        QCOMPARE(s.MisspelledWord(), QString("recieve"));
        QCOMPARE(s.Suggestion(1), QString("receive"));
        s.setReplacementWord("receive");
        s.setReplaceLastWord(1);
        QCOMPARE(s.ResumeCheck(), int(Speller::Misspelled));
        QCOMPARE(s.MisspelledWord(), QString("teh"));
        QCOMPARE(s.WordOffset(), 10);
    }

    void replacementCannotSplitAParagraph() {
        Speller s;
        s.setCheckText("teh");
        s.setReplacementWord("the\nend\u2029");
        QCOMPARE(s.ReplacementWord(), QString("the end "));
    }

    void stopEndsTheCheck() {
        Speller s;
        s.setCheckText("teh one and teh other");
        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        s.StopCheck();
        QCOMPARE(s.ResumeCheck(), int(Speller::Stopped));
        QCOMPARE(s.ResumeCheck(), int(Speller::Stopped));
    }

    void suggestionsKeepTheTypographicApostrophe() {
        Speller s;
        s.setCheckText("It does’nt matter");
        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        QCOMPARE(s.MisspelledWord(), QString("does’nt"));
        const QStringList sug = s.suggestions();
        QVERIFY2(sug.contains("doesn’t"), qPrintable(sug.join('|')));
        QVERIFY(!sug.join("").contains('\''));
    }

    void ignoreAllLastsForTheSession() {
        TestEnv env;
        Speller s;
        s.setCheckText("Zorblat sells Zorblat gadgets");
        QCOMPARE(s.ResultCode(), int(Speller::Misspelled));
        s.setAddToCommonIRList(Speller::IgnoreForSession);
        QVERIFY(s.ResumeCheck() >= 0);
        QVERIFY(misspellings(s, "More Zorblat here").isEmpty());
        QCOMPARE(words(misspellings(s, "zorblat is lower case")), QStringList{"zorblat"});
        QVERIFY(!QFile::exists(env.configFolder() + "custom.dic"));
        Speller fresh;
        QCOMPARE(words(misspellings(fresh, "More Zorblat here")), QStringList{"Zorblat"});
    }

    void addedWordsAreKeptInCustomDic() {
        TestEnv env;
        const QString path = env.configFolder() + "custom.dic";
        {
            Speller s;
            QCOMPARE(s.customDictionaryPath(), path);
            s.setCheckText("Tandel and Zurozurov make Zurozurov gadgets");
            QCOMPARE(s.MisspelledWord(), QString("Tandel"));
            QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
            QCOMPARE(s.ResumeCheck(), int(Speller::Misspelled));
            QCOMPARE(s.MisspelledWord(), QString("Zurozurov"));
            QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
            QVERIFY(s.ResumeCheck() >= 0);
            QCOMPARE(readFileBytes(path), QByteArray("Tandel\nZurozurov\n"));
            // Capitalised forms the dictionary would accept are accepted at once.
            QVERIFY(s.isCorrect("TANDEL"));
        }
        Speller next, other;
        QVERIFY(misspellings(next, "Tandel and Zurozurov, TANDEL").isEmpty());
        QVERIFY(other.load());
        next.setCheckText("Quixxle too");
        QCOMPARE(next.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
        QCOMPARE(readFileBytes(path), QByteArray("Tandel\nZurozurov\nQuixxle\n"));
        // A second copy that loaded the list earlier adds the same word: written once.
        other.setCheckText("Quixxle");
        QCOMPARE(other.MisspelledWord(), QString("Quixxle"));
        QCOMPARE(other.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
        QCOMPARE(readFileBytes(path), QByteArray("Tandel\nZurozurov\nQuixxle\n"));
    }

    void customDicToleratesOddContentAndKeepsOthersWords() {
        TestEnv env;
        const QString path = env.configFolder() + "custom.dic";
        QVERIFY(writeFileBytes(path, "\xEF\xBB\xBFGrommle\r\n\r\n two words \n   Fizzbang  \n"));
        Speller s;
        QVERIFY(s.isCorrect("Grommle"));
        QVERIFY(s.isCorrect("Fizzbang"));
        QVERIFY(!s.isCorrect("two words"));
        QCOMPARE(s.customWords(), (QStringList{"Grommle", "Fizzbang"}));
        // Another copy of the program added a word meanwhile: it survives our write.
        QVERIFY(writeFileBytes(path, "Grommle\nFizzbang\nOtherword\n"));
        s.setCheckText("Wuggle");
        QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
        QCOMPARE(readFileBytes(path), QByteArray("Grommle\nFizzbang\nOtherword\nWuggle\n"));
    }

    void addThatCannotBeWrittenIsReported() {
        TestEnv env;
        // The file's name is taken by a folder, so it cannot be written.
        QVERIFY(QDir().mkpath(env.configFolder() + "custom.dic"));
        Speller s;
        s.setCheckText("Wuggle and Wuggle");
        QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), -1);
        QVERIFY2(s.errorString().startsWith("Unable to write to "), qPrintable(s.errorString()));
        // The word is still accepted for the rest of the session.
        QVERIFY(s.ResumeCheck() >= 0);
        s.setCheckText("Wobblex");
        QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, 3), -1);
        QVERIFY(!s.isCorrect("Wobblex"));
    }

    void missingDictionaryIsReportedClearly() {
        TestEnv env;
        QTemporaryDir empty;
        Speller::setDictionaryFolders({empty.path()});
        Speller s;
        QVERIFY(!s.load());
        QVERIFY2(s.dictionaryError().contains("hunspell-en-gb"), qPrintable(s.dictionaryError()));
        s.setCheckText("teh text");
        QCOMPARE(s.ResultCode(), int(Speller::NoDictionary));
        QCOMPARE(s.ResumeCheck(), int(Speller::NoDictionary));
        QCOMPARE(s.SuggestionCount(), 0);
        QVERIFY(!s.isCorrect("the"));

        Speller::setDictionaryFolders({});
        Speller direct;
        direct.setStandardDictionary(empty.path() + "/en_GB.aff");
        QVERIFY(!direct.load());
        QVERIFY(!direct.dictionaryError().isEmpty());
        direct.setStandardDictionary("british.vtd");
        QVERIFY(direct.load());
    }

    // Dictionaries in an 8-bit character set get words and give suggestions in it.
    void eightBitDictionary() {
        TestEnv env;
        QTemporaryDir dir;
        QVERIFY(writeFileBytes(dir.path() + "/fr_TEST.aff",
                               "SET ISO8859-1\nTRY esiarntolcdugmphbyfvkw\xE9\n"));
        QVERIFY(writeFileBytes(dir.path() + "/fr_TEST.dic",
                               "4\ncaf\xE9\nna\xEFve\nr\xE9sum\xE9\nshop\n"));
        Speller s;
        s.setStandardDictionary(dir.path() + "/fr_TEST.dic");
        QVERIFY2(s.load(), qPrintable(s.dictionaryError()));
        QVERIFY(misspellings(s, "café naïve résumé shop").isEmpty());
        s.setCheckText("cafe ok");
        QCOMPARE(s.MisspelledWord(), QString("cafe"));
        QVERIFY2(s.suggestions().contains("café"), qPrintable(s.suggestions().join('|')));
        // A word with a letter the character set lacks is simply not in it.
        QCOMPARE(words(misspellings(s, "caféŵ")), QStringList{"caféŵ"});
        s.setCheckText("Zürich");
        QCOMPARE(s.AddMisspelledWord(Speller::KeepInFile, Speller::CustomDictionarySlot), 0);
        Speller again;
        again.setStandardDictionary(dir.path() + "/fr_TEST.dic");
        QVERIFY(again.isCorrect("Zürich"));
    }
};

QTEST_GUILESS_MAIN(TestSpeller)
#include "tst_speller.moc"
