#pragma once

#include "controls/text/textcontrol.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class TfrmCal;

// A keytext chosen from the Keytext menu: goes in as the user's own black, untagged text,
// replacing any selection.
void InsertKeytext(TextControl* text, const QString& caption);
// A keytext typed with Ctrl+digit: goes in with the attributes current at the caret (so
// inside a prompt it takes the prompt's colour and tag).
void TypeKeytext(TextControl* text, const QString& caption);

// The main window's two hidden date edits and the calendar that fills them. A date the
// user picks replaces the selection in the plan text (or goes in at the caret) as black,
// untagged text. Opening the calendar changes nothing in the plan: a cancelled calendar
// leaves the text, the selection and the modified flag exactly as they were.
class DateEntry : public QObject {
    Q_OBJECT
public:
    // The edits are made as hidden children of `window`; `calendar` is shared with the
    // open window's date field.
    DateEntry(TextControl* text, QWidget* window, TfrmCal* calendar);
    ~DateEntry() override;

    // Called after a date went into the plan text (the main window marks its plan
    // modified).
    std::function<void()> onInserted;
    // The calendar opened from the menu or the Calendar button appears below this widget
    // (the Calendar button); without one, at the window's top left.
    QPointer<QWidget> menuAnchor;

    // "Insert &Date" in the Edit menu and the Calendar button.
    void openForMenu() { openCalendarFor(txtDate); }
    // "&Insert Date" in the popup menu and a double-click on "[DATE]".
    void openForText() { openCalendarFor(txtdate2); }
    // Empties the edit, then opens the calendar on it.
    void openCalendarFor(QLineEdit* edit);

    void txtDateChange();
    void txtdate2Change();

    QLineEdit* txtDate = nullptr;
    QLineEdit* txtdate2 = nullptr;

private:
    void insertDate(const QString& date);

    QPointer<TextControl> m_text;
    QPointer<TfrmCal> m_calendar;
};
