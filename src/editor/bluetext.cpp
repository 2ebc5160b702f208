#include "editor/bluetext.h"

#include "controls/text/textcontrol.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>

bool EnterBlueText(TextControl* text, bool stepBack) {
    if (!text) return false;
    text->setTagReadSelect(0);
    const int tag = text->HTag();
    if (tag <= 0) return false;
    // The caret reads the character before it; stepping back puts the caret on that
    // character, so that the run search finds the prompt the caret stands in even at its
    // very end. At the start of a paragraph the caret reads the character after it, and a
    // step back would leave the paragraph for the break before it.
    const bool stepped =
        stepBack && text->Select() == 0 && text->SelStart() > 0 && text->CurChar() > 0;
    if (stepped) text->setSelStart(text->SelStart() - 1);
    if (tag == GuidanceTag::BluePrompt) {
        text->setTagReadSelect(1);
        const bool found = text->FIND_HTAG(GuidanceTag::BluePrompt, 0) > 0;
        text->setTagReadSelect(0);
        if (found) return true;
    }
    if (stepped) text->setSelStart(text->SelStart() + 1);
    return false;
}

bool FindBlueRun(TextControl* text, int direction) {
    if (!text || direction == 0) return false;
    text->setTagReadSelect(0);
    return text->FIND_HTAG(GuidanceTag::BluePrompt, direction > 0 ? 1 : -1) > 0;
}

bool JumpToBlueText(TextControl* text, int direction) {
    if (!FindBlueRun(text, direction)) return false;
    return EnterBlueText(text, false);
}

void RecordMouseDown(TextClickState& state, Qt::MouseButton button) {
    state.rightButtonDown = button == Qt::RightButton;
}

void RecordMouseUp(TextClickState& state, const TextControl* text) {
    state.clickWithoutSelection = text && text->SelLength() < 2;
}

bool ClickFollowsCaret(const TextClickState& state, bool selectBlue) {
    return !state.rightButtonDown && state.clickWithoutSelection && selectBlue;
}

std::optional<ChoiceSpan> FindChoice(const QString& s, int offset) {
    const int n = int(s.size());
    if (offset < 0 || offset > n) return std::nullopt;
    // Forward from the character after the click: the end of the option.
    int end = -1;
    for (int i = offset; i < n; ++i) {
        if (s.at(i) == u'/' || s.at(i) == u']') {
            end = i;
            break;
        }
    }
    // Backward from the character before the click (the first character when the click is
    // at the very start): the separator before the option.
    int start = -1;
    for (int i = std::max(offset - 1, 0); i >= 0; --i) {
        if (s.at(i) == u'/' || s.at(i) == u'[') {
            start = i + 1;
            break;
        }
    }
    if (start < 0 || end < 0 || end <= start) return std::nullopt;
    return ChoiceSpan{start, end - start};
}

bool IsDatePlaceholder(const QString& selected) {
    return selected.compare(QLatin1String("[DATE]"), Qt::CaseInsensitive) == 0;
}

void SelectWordAt(TextControl* text, int position) {
    if (!text) return;
    QTextCursor c(text->document());
    c.setPosition(std::clamp(position, 0, text->TextLength()));
    c.select(QTextCursor::WordUnderCursor);
    if (!c.hasSelection()) {
        text->setSelStart(position);
        return;
    }
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    text->setSelStart(start);
    text->setSelLength(end - start);
}

GuidanceText::GuidanceText(TextControl* text) : QObject(text), m_text(text) {
    if (text) text->viewport()->installEventFilter(this);
}

bool GuidanceText::eventFilter(QObject* watched, QEvent* event) {
    if (m_text && watched == m_text->viewport()) {
        const QTextCursor c = m_text->textCursor();
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // The second press of a double-click may come before the double-click event
            // and move the caret; what counts is the selection the press found.
            m_pressAnchor = c.anchor();
            m_pressPosition = c.position();
            m_pressPending = true;
            m_haveSelection = false;
            break;
        case QEvent::MouseButtonDblClick:
            // Before the control turns the selection into the word under the pointer.
            m_anchor = m_pressPending ? m_pressAnchor : c.anchor();
            m_position = m_pressPending ? m_pressPosition : c.position();
            m_haveSelection = true;
            m_pressPending = false;
            break;
        case QEvent::MouseButtonRelease:
            m_pressPending = false;
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

GuidanceText::DoubleClick GuidanceText::atx321DblClick(int lastCaretPos,
                                                       const std::function<void()>& openCalendar) {
    TextControl* text = m_text;
    if (!text) return DoubleClick::Word;
    if (m_haveSelection) {
        m_haveSelection = false;
        QTextCursor c(text->document());
        c.setPosition(std::clamp(m_anchor, 0, text->TextLength()));
        c.setPosition(std::clamp(m_position, 0, text->TextLength()), QTextCursor::KeepAnchor);
        text->setTextCursor(c);
    }

    if (IsDatePlaceholder(text->SelText())) {
        if (openCalendar) openCalendar();
        return DoubleClick::Calendar;
    }

    if (text->SelLength() > 0 && text->HTag() > 0) {
        const QString s = text->SelText();
        if (const auto choice = FindChoice(s, lastCaretPos - text->SelStart())) {
            // The chosen option becomes the user's own text; one undo brings the whole
            // list back.
            TextControl::EditStep step(text);
            text->setFontColor(kBlackText);
            text->setHTag(GuidanceTag::UserText);
            text->setSelText(s.mid(choice->start, choice->length));
            text->setFontColor(kBlackText);
            text->setHTag(GuidanceTag::UserText);
            return DoubleClick::Choice;
        }
    }

    SelectWordAt(text, lastCaretPos);
    return DoubleClick::Word;
}

bool MakeBlueText(TextControl* text) {
    if (!text || text->Select() != -1) return false;
    text->setHTag(GuidanceTag::BluePrompt);
    text->setFontColor(kBlueText);
    return true;
}

bool MakeRedNote(TextControl* text) {
    if (!text || text->Select() != -1) return false;
    text->setHTag(GuidanceTag::RedNote);
    text->setFontColor(kRedText);
    text->setFontHidden(-1);
    return true;
}

bool MakeUntaggedRedNote(TextControl* text) {
    if (!text || text->Select() != -1) return false;
    text->setHTag(GuidanceTag::UserText);
    text->setFontColor(kRedText);
    text->setFontHidden(-1);
    return true;
}

void ShowNotes(TextControl* text, bool shown) {
    if (!text) return;
    const int scroll = text->ScrollVert();
    text->setShowHidden(shown ? 1 : 0);
    text->setScrollVert(scroll);
}
