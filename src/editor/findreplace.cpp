#include "editor/findreplace.h"

#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "platform/repaintlock.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

// The control's own search: forward, at or after `from`.
int searchForward(TextControl* text, const QString& findText, bool matchCase) {
    return text->find_phrase(findText, -1, matchCase ? -1 : 0);
}

// The same match rule as the control's find_phrase, on a cursor of our own, so that
// Replace All can run inside one edit without moving the view for every match.
int searchDocument(const QTextDocument* doc, const QString& findText, int from, bool matchCase) {
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    const QTextCursor found = doc->find(findText, from, flags);
    return found.isNull() ? TextControl::NotFound : found.selectionStart();
}

// Searches from one character after the selection's start (or from `from` when given)
// and selects the match. Returns false when there is none.
bool selectNext(TextControl* text, const QString& findText, bool matchCase, int from = -1) {
    const int start = from >= 0 ? from : text->SelStart() + 1;
    text->setSelLength(0);
    text->setSelStart(start);
    const int m = searchForward(text, findText, matchCase);
    if (m == TextControl::NotFound) return false;
    text->setSelStart(m);
    text->setSelLength(int(findText.size()));
    return true;
}

} // namespace

SearchOutcome FindNextMatch(TextControl* text, const QString& findText, bool matchCase) {
    if (!text || findText.isEmpty()) return SearchOutcome::Nothing;
    const int remembered = text->SelStart();
    if (selectNext(text, findText, matchCase)) return SearchOutcome::Found;
    text->setSelStart(remembered);
    return SearchOutcome::NoMore;
}

SearchOutcome ReplaceMatch(TextControl* text, const QString& findText, const QString& replaceText,
                           bool matchCase, bool* replaced) {
    if (replaced) *replaced = false;
    if (!text || findText.isEmpty()) return SearchOutcome::Nothing;
    const int remembered = text->SelStart();
    int from = -1;
    if (text->SelText().compare(findText, Qt::CaseInsensitive) == 0) {
        const int at = text->SelStart();
        text->setSelText(replaceText);
        if (replaced) *replaced = true;
        // The next search starts right after the new text: a match that follows at once is
        // found, and the new text itself is never searched again.
        from = at + int(replaceText.size());
    }
    if (selectNext(text, findText, matchCase, from)) return SearchOutcome::Found;
    text->setSelLength(0);
    text->setSelStart(remembered);
    return SearchOutcome::NoMore;
}

SearchOutcome ReplaceAllMatches(TextControl* text, const QString& findText,
                                const QString& replaceText, bool matchCase, int* count) {
    if (count) *count = 0;
    if (!text || findText.isEmpty()) return SearchOutcome::Nothing;
    const int remembered = text->SelStart();
    text->setSelLength(0);
    text->setSelStart(0);
    // From the very start of the text: a match there is replaced like any other.
    int m = searchForward(text, findText, matchCase);
    if (m == TextControl::NotFound) {
        text->setSelStart(remembered);
        return SearchOutcome::NoMore;
    }

    // One edit: the layout, the tag index and the undo history see one change instead of
    // one per match, which keeps the whole run linear in the length of the text.
    QTextDocument* doc = text->document();
    QTextCursor c(doc);
    int replacedCount = 0;
    c.beginEditBlock();
    while (m != TextControl::NotFound) {
        c.setPosition(m);
        c.setPosition(m + int(findText.size()), QTextCursor::KeepAnchor);
        c.insertText(replaceText);
        ++replacedCount;
        m = searchDocument(doc, findText, m + int(replaceText.size()), matchCase);
    }
    c.endEditBlock();

    text->setSelStart(remembered);
    if (count) *count = replacedCount;
    return SearchOutcome::Replaced;
}

// ---------------------------------------------------------------------------------------

TfrmFindReplace::TfrmFindReplace(Mode mode, QWidget* parent) : QDialog(parent), m_mode(mode) {
    const bool replacing = mode == ReplaceMode;
    setObjectName(replacing ? QStringLiteral("dlgReplace") : QStringLiteral("dlgFind"));
    setWindowTitle(replacing ? QStringLiteral("Replace") : QStringLiteral("Find"));
    setModal(false);
    setSizeGripEnabled(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(10);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(8);
    lblFind = new QLabel(QStringLiteral("Fi&nd what:"), this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setMinimumWidth(200);
    lblFind->setBuddy(txtFind);
    fields->addWidget(lblFind, 0, 0);
    fields->addWidget(txtFind, 0, 1);
    int nextRow = 1;
    if (replacing) {
        lblReplace = new QLabel(QStringLiteral("Re&place with:"), this);
        lblReplace->setObjectName(QStringLiteral("lblReplace"));
        txtReplace = new QLineEdit(this);
        txtReplace->setObjectName(QStringLiteral("txtReplace"));
        lblReplace->setBuddy(txtReplace);
        fields->addWidget(lblReplace, 1, 0);
        fields->addWidget(txtReplace, 1, 1);
        nextRow = 2;
    }
    chkMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    chkMatchCase->setObjectName(QStringLiteral("chkMatchCase"));
    fields->setRowMinimumHeight(nextRow, 8);
    fields->addWidget(chkMatchCase, nextRow + 1, 0, 1, 2);
    fields->setRowStretch(nextRow + 2, 1);
    row->addLayout(fields, 1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    auto button = [this, buttons](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(90);
        buttons->addWidget(b);
        return b;
    };
    cmdFindNext = button("cmdFindNext", QStringLiteral("&Find Next"));
    cmdFindNext->setDefault(true);
    if (replacing) {
        cmdReplace = button("cmdReplace", QStringLiteral("&Replace"));
        cmdReplaceAll = button("cmdReplaceAll", QStringLiteral("Replace &All"));
    }
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
    buttons->addStretch(1);
    row->addLayout(buttons);

    connect(cmdFindNext, &QPushButton::clicked, this, &TfrmFindReplace::findNext);
    if (replacing) {
        connect(cmdReplace, &QPushButton::clicked, this, &TfrmFindReplace::replace);
        connect(cmdReplaceAll, &QPushButton::clicked, this, &TfrmFindReplace::replaceAll);
    }
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtFind, &QLineEdit::textChanged, this, &TfrmFindReplace::updateButtons);
    updateButtons();
    setFixedSize(sizeHint());
}

QString TfrmFindReplace::FindText() const {
    return txtFind->text();
}
void TfrmFindReplace::setFindText(const QString& text) {
    txtFind->setText(text);
}
QString TfrmFindReplace::ReplaceText() const {
    return txtReplace ? txtReplace->text() : QString();
}
bool TfrmFindReplace::MatchCase() const {
    return chkMatchCase->isChecked();
}

void TfrmFindReplace::updateButtons() {
    const bool any = !txtFind->text().isEmpty();
    cmdFindNext->setEnabled(any);
    if (cmdReplace) cmdReplace->setEnabled(any);
    if (cmdReplaceAll) cmdReplaceAll->setEnabled(any);
}

// ---------------------------------------------------------------------------------------

FindReplace::FindReplace(TextControl* text, QWidget* window)
    : QObject(window), m_text(text), m_window(window) {
    dlgFind = new TfrmFindReplace(TfrmFindReplace::FindMode, window);
    dlgReplace = new TfrmFindReplace(TfrmFindReplace::ReplaceMode, window);
    connect(dlgFind, &TfrmFindReplace::findNext, this, &FindReplace::dlgFindFind);
    connect(dlgReplace, &TfrmFindReplace::findNext, this, &FindReplace::dlgReplaceFind);
    connect(dlgReplace, &TfrmFindReplace::replace, this, [this] { dlgReplaceReplace(false); });
    connect(dlgReplace, &TfrmFindReplace::replaceAll, this, [this] { dlgReplaceReplace(true); });
}

FindReplace::~FindReplace() = default;

void FindReplace::showDialog(TfrmFindReplace* dialog) {
    // One search window at a time, as with the system's own.
    TfrmFindReplace* other = dialog == dlgFind ? dlgReplace : dlgFind;
    if (other->isVisible()) {
        if (dialog->FindText().isEmpty()) dialog->setFindText(other->FindText());
        other->hide();
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->txtFind->setFocus();
    dialog->txtFind->selectAll();
}

void FindReplace::mnuFindClick() {
    showDialog(dlgFind);
}
void FindReplace::mnuReplaceClick() {
    showDialog(dlgReplace);
}

void FindReplace::endSearch(TfrmFindReplace* dialog, bool close) {
    if (close) {
        dialog->hide();
        if (m_text) m_text->setFocus();
    } else {
        dialog->activateWindow();
    }
}

void FindReplace::findFrom(TfrmFindReplace* dialog) {
    TextControl* text = m_text;
    if (!text) return;
    SearchOutcome outcome;
    {
        RepaintLock lock(m_window);
        const int protect = text->WriteProtect();
        text->setWriteProtect(2);
        outcome = FindNextMatch(text, dialog->FindText(), dialog->MatchCase());
        text->setWriteProtect(protect == 2 ? 0 : protect);
    }
    if (outcome == SearchOutcome::NoMore) {
        ShowInformation(QStringLiteral("No more matches"));
        endSearch(dialog, true);
    } else {
        endSearch(dialog, false);
    }
}

void FindReplace::dlgFindFind() {
    findFrom(dlgFind);
}
void FindReplace::dlgReplaceFind() {
    findFrom(dlgReplace);
}

void FindReplace::dlgReplaceReplace(bool all) {
    TextControl* text = m_text;
    if (!text) return;
    TfrmFindReplace* dialog = dlgReplace;
    SearchOutcome outcome;
    bool replaced = false;
    {
        RepaintLock lock(m_window);
        const int protect = text->WriteProtect();
        text->setWriteProtect(2);
        if (all)
            outcome = ReplaceAllMatches(text, dialog->FindText(), dialog->ReplaceText(),
                                        dialog->MatchCase());
        else
            outcome = ReplaceMatch(text, dialog->FindText(), dialog->ReplaceText(),
                                   dialog->MatchCase(), &replaced);
        text->setWriteProtect(protect == 2 ? 0 : protect);
    }
    if ((outcome == SearchOutcome::Replaced || replaced) && onTextChanged) onTextChanged();
    switch (outcome) {
    case SearchOutcome::Nothing:
    case SearchOutcome::Found:
        endSearch(dialog, false);
        break;
    case SearchOutcome::NoMore:
        ShowInformation(all ? QStringLiteral("No matches found")
                            : QStringLiteral("No more matches"));
        endSearch(dialog, true);
        break;
    case SearchOutcome::Replaced:
        endSearch(dialog, true);
        break;
    }
}
