#include "editor/keytext.h"

#include "controls/text/textcontrol.h"
#include "editor/cal.h"

#include <QLineEdit>

#include <algorithm>

void InsertKeytext(TextControl* text, const QString& caption) {
    if (!text) return;
    TextControl::EditStep step(text); // one undo brings back what it replaced
    text->setHTag(0);
    text->setFontColor(0);
    text->setSelText(caption);
}

void TypeKeytext(TextControl* text, const QString& caption) {
    if (!text) return;
    TextControl::EditStep step(text);
    text->setSelText(caption);
}

DateEntry::DateEntry(TextControl* text, QWidget* window, TfrmCal* calendar)
    : QObject(window), m_text(text), m_calendar(calendar) {
    auto makeEdit = [window](const char* name) {
        auto* e = new QLineEdit(window);
        e->setObjectName(QString::fromLatin1(name));
        e->setText(QString::fromLatin1(name));
        e->setGeometry(0, 0, 1, 21);
        e->hide();
        return e;
    };
    txtDate = makeEdit("txtDate");
    txtdate2 = makeEdit("txtdate2");
    connect(txtDate, &QLineEdit::textChanged, this, &DateEntry::txtDateChange);
    connect(txtdate2, &QLineEdit::textChanged, this, &DateEntry::txtdate2Change);
}

DateEntry::~DateEntry() = default;

void DateEntry::openCalendarFor(QLineEdit* edit) {
    if (!edit || !m_calendar) return;
    // Emptying the edit only readies it for the new date; it removes nothing.
    edit->clear();
    // The calendar opens beside the edit: put the edit where the user is looking, the
    // caret of the plan text, or the Calendar button's spot for the menu and button.
    if (m_text && edit == txtdate2) {
        const QRect caret = m_text->cursorRect();
        const QPoint at = m_text->viewport()->mapTo(edit->parentWidget(), caret.topLeft());
        edit->setGeometry(at.x(), at.y(), 1, std::max(caret.height(), 1));
    } else if (menuAnchor && edit == txtDate) {
        const QPoint at = menuAnchor->mapTo(edit->parentWidget(), QPoint(0, menuAnchor->height()));
        edit->setGeometry(at.x() - 1, at.y(), 1, 21);
    }
    m_calendar->openFor(edit);
}

void DateEntry::txtDateChange() {
    insertDate(txtDate->text());
}

void DateEntry::txtdate2Change() {
    insertDate(txtdate2->text());
}

void DateEntry::insertDate(const QString& date) {
    // An emptied edit is not a date: the selection stays until a date replaces it.
    if (date.isEmpty() || !m_text) return;
    TextControl::EditStep step(m_text); // one undo brings the date prompt back
    m_text->setHTag(0);
    m_text->setFontColor(0);
    m_text->setSelText(date);
    m_text->setFontColor(0);
    if (onInserted) onInserted();
}
