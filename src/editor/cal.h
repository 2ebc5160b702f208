#pragma once

#include <QDate>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QCalendarWidget;
class QLabel;
class QPushButton;
class QToolButton;

// The small calendar that fills a date edit: the main window's two hidden date edits
// (whose change inserts the date into the plan text) and the open window's "Plan Date:".
// It opens beside the edit without waiting, and writes the picked date into the edit as
// "5 March 1998" when the user confirms; every other way out leaves the edit alone.
class TfrmCal : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCal(QWidget* parent = nullptr);
    ~TfrmCal() override;

    // Opens the calendar for an edit: remembers it and its text, places the window beside
    // it, shows the date the text holds (today when it holds none) and takes the focus.
    void openFor(QLineEdit* edit);

    // The edit the calendar was last opened for (null when it has gone).
    QLineEdit* edit() const { return m_edit; }
    // What that edit held when the calendar opened for it.
    QString editTextOnOpening() const { return m_editTextOnOpening; }

    QDate selectedDate() const;
    void setSelectedDate(const QDate& date);

    // "5 March 1998": the day and year without leading zeros, the month's English name.
    static QString composeDate(const QDate& date);
    // Reads a date as the program writes one (British short form, or composed as above);
    // an invalid QDate when the text is neither.
    static QDate readDate(const QString& text);
    static QString monthName(int month); // 1 = "January"
    static int daysInMonth(int year, int month);
    // Where the window goes for an edit whose client area is `editRect` on the screen.
    static QPoint placement(const QRect& editRect, const QSize& windowSize,
                            const QSize& screenSize);

    // Handlers.
    void cmdPrevMonthClick();
    void cmdNextMonthClick();
    void cmdPrevYearClick();
    void cmdNextYearClick();
    void cmdOKClick();
    void cmdCancelClick();

    // Components (objectName = member name).
    QToolButton* cmdPrevYear = nullptr;
    QToolButton* cmdPrevMonth = nullptr;
    QLabel* lblMonth = nullptr;
    QLabel* lblYear = nullptr;
    QToolButton* cmdNextMonth = nullptr;
    QToolButton* cmdNextYear = nullptr;
    QCalendarWidget* cal = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

signals:
    // A date was written into the edit.
    void datePicked(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void calendarChanged();
    bool dayGridKey(int key);
    void stepMonths(int months);

    QPointer<QLineEdit> m_edit;
    QString m_editTextOnOpening;
};

// What the open window's "Plan Date:" button runs: the same calendar, opened on its edit.
std::function<void(QLineEdit*)> CalendarOpener(TfrmCal* calendar);
