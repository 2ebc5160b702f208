#pragma once

#include "controls/text/textcontrol.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// How one press of a search button ended.
enum class SearchOutcome {
    Nothing,  // the find text is empty
    Found,    // the next match is selected
    NoMore,   // no match after the caret; the caret is back where it was
    Replaced, // Replace All replaced at least one match
};

// The searches over the plan text. Every search runs forward and starts one character
// after the start of the current selection, so repeated presses walk through the matches.
// The control's find_phrase does the matching; these functions keep the caret and the
// selection as the commands promise, and report without showing anything.
SearchOutcome FindNextMatch(TextControl* text, const QString& findText, bool matchCase);
// Replace: when the selection is the find text (in any case) it is replaced, then the next
// match is selected; otherwise the next match is only selected.
SearchOutcome ReplaceMatch(TextControl* text, const QString& findText, const QString& replaceText,
                           bool matchCase, bool* replaced = nullptr);
// Replace All from the start of the text, as one step to undo; the caret goes back to
// where it was. `count` receives the number of replacements.
SearchOutcome ReplaceAllMatches(TextControl* text, const QString& findText,
                                const QString& replaceText, bool matchCase, int* count = nullptr);

// The modeless Find ("dlgFind") and Replace ("dlgReplace") windows: the find text, the
// replace text (Replace only), "Match case" and the buttons. They only collect the user's
// wishes; FindReplace acts on them.
class TfrmFindReplace : public QDialog {
    Q_OBJECT
public:
    enum Mode { FindMode, ReplaceMode };
    TfrmFindReplace(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    QString FindText() const;
    void setFindText(const QString& text);
    QString ReplaceText() const;
    bool MatchCase() const;

    QLabel* lblFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* lblReplace = nullptr;    // Replace only
    QLineEdit* txtReplace = nullptr; // Replace only
    QCheckBox* chkMatchCase = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;    // Replace only
    QPushButton* cmdReplaceAll = nullptr; // Replace only
    QPushButton* cmdCancel = nullptr;

signals:
    void findNext();
    void replace();
    void replaceAll();

private:
    void updateButtons();

    Mode m_mode;
};

// Find and replace over the plan text: the Find and Replace commands and what the two
// windows' buttons do, with the painting lock, the write protection while searching and
// the messages.
class FindReplace : public QObject {
    Q_OBJECT
public:
    // `window` is the main window: the windows belong to it and its painting is held
    // still during a search.
    FindReplace(TextControl* text, QWidget* window);
    ~FindReplace() override;

    // "&Find..." (Ctrl+F, the Find button) and "&Replace...".
    void mnuFindClick();
    void mnuReplaceClick();

    // The windows' buttons.
    void dlgFindFind();
    void dlgReplaceFind();
    void dlgReplaceReplace(bool all);

    TfrmFindReplace* dlgFind = nullptr;
    TfrmFindReplace* dlgReplace = nullptr;
    // Called after Replace or Replace All changed the text (the main window marks its plan
    // modified).
    std::function<void()> onTextChanged;

private:
    void findFrom(TfrmFindReplace* dialog);
    void endSearch(TfrmFindReplace* dialog, bool close);
    void showDialog(TfrmFindReplace* dialog);

    QPointer<TextControl> m_text;
    QPointer<QWidget> m_window;
};
