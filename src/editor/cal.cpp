#include "editor/cal.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* stepButton(QWidget* parent, const char* name, const QString& glyph,
                        const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(glyph);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus); // the keys stay with the day grid
    b->setFixedSize(22, 20);
    return b;
}

} // namespace

TfrmCal::TfrmCal(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmCal"));
    setWindowTitle(QStringLiteral("Calendar"));
    setAttribute(Qt::WA_ShowWithoutActivating, false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto* header = new QHBoxLayout;
    header->setSpacing(0);
    cmdPrevYear =
        stepButton(this, "cmdPrevYear", QStringLiteral("\u00ab"), QStringLiteral("Previous Year"));
    cmdPrevMonth = stepButton(this, "cmdPrevMonth", QStringLiteral("\u2039"),
                              QStringLiteral("Previous Month"));
    lblMonth = new QLabel(this);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    lblMonth->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblYear = new QLabel(this);
    lblYear->setObjectName(QStringLiteral("lblYear"));
    lblYear->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold = lblMonth->font();
    bold.setBold(true);
    lblMonth->setFont(bold);
    lblYear->setFont(bold);
    cmdNextMonth =
        stepButton(this, "cmdNextMonth", QStringLiteral("\u203a"), QStringLiteral("Next Month"));
    cmdNextYear =
        stepButton(this, "cmdNextYear", QStringLiteral("\u00bb"), QStringLiteral("Next Year"));
    header->addWidget(cmdPrevYear);
    header->addWidget(cmdPrevMonth);
    header->addStretch(1);
    header->addWidget(lblMonth);
    header->addSpacing(6);
    header->addWidget(lblYear);
    header->addStretch(1);
    header->addWidget(cmdNextMonth);
    header->addWidget(cmdNextYear);
    column->addLayout(header);

    cal = new QCalendarWidget(this);
    cal->setObjectName(QStringLiteral("cal"));
    cal->setNavigationBarVisible(false);
    cal->setFirstDayOfWeek(Qt::Sunday);
    cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    cal->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    cal->setGridVisible(true);
    // Weekends look like any other day; only the date picked stands out.
    QTextCharFormat plain;
    plain.setForeground(palette().color(QPalette::WindowText));
    cal->setWeekdayTextFormat(Qt::Saturday, plain);
    cal->setWeekdayTextFormat(Qt::Sunday, plain);
    cal->setFixedSize(252, 156);
    column->addWidget(cal);
    if (auto* grid = cal->findChild<QAbstractItemView*>()) grid->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdOK, cmdCancel}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(70, 24);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdPrevYear, &QToolButton::clicked, this, &TfrmCal::cmdPrevYearClick);
    connect(cmdPrevMonth, &QToolButton::clicked, this, &TfrmCal::cmdPrevMonthClick);
    connect(cmdNextMonth, &QToolButton::clicked, this, &TfrmCal::cmdNextMonthClick);
    connect(cmdNextYear, &QToolButton::clicked, this, &TfrmCal::cmdNextYearClick);
    connect(cmdOK, &QPushButton::clicked, this, &TfrmCal::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmCal::cmdCancelClick);
    connect(cal, &QCalendarWidget::selectionChanged, this, &TfrmCal::calendarChanged);
    connect(cal, &QCalendarWidget::currentPageChanged, this, &TfrmCal::calendarChanged);
    // A double-click on a day, or Enter on the grid.
    connect(cal, &QCalendarWidget::activated, this, &TfrmCal::cmdOKClick);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && isVisible()) cmdCancelClick();
            });

    setSelectedDate(QDate::currentDate());
}

TfrmCal::~TfrmCal() = default;

QString TfrmCal::monthName(int month) {
    static const char* const names[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
    if (month < 1 || month > 12) return {};
    return QString::fromLatin1(names[month - 1]);
}

int TfrmCal::daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        const bool leap = (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0);
        return leap ? 29 : 28;
    }
    return days[month - 1];
}

QString TfrmCal::composeDate(const QDate& date) {
    return QStringLiteral("%1 %2 %3").arg(date.day()).arg(monthName(date.month())).arg(date.year());
}

QDate TfrmCal::readDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return {};
    for (const char* form : {"dd/MM/yyyy", "d/M/yyyy", "d/M/yy", "d MMMM yyyy", "d MMM yyyy"}) {
        QDate d = QDate::fromString(t, QString::fromLatin1(form));
        if (d.isValid()) {
            if (d.year() < 100)
                d = d.addYears(2000 - 1900); // two-digit years read as this century's
            return d;
        }
    }
    return {};
}

QPoint TfrmCal::placement(const QRect& editRect, const QSize& windowSize, const QSize& screenSize) {
    int top = editRect.top();
    int left = editRect.left() + editRect.width();
    if (top + windowSize.height() > screenSize.height())
        top -= windowSize.height() - editRect.height();
    if (left + windowSize.width() > screenSize.width()) left -= windowSize.width() - 1;
    return {left, top};
}

void TfrmCal::openFor(QLineEdit* edit) {
    m_edit = edit;
    m_editTextOnOpening = edit ? edit->text() : QString();

    // From a modal window (the open window's date field) the calendar must belong to that
    // window, or the modal window would block it.
    if (edit && edit->window() != this && parentWidget() != edit->window()) {
        const Qt::WindowFlags flags = windowFlags();
        setParent(edit->window(), flags);
    }

    QDate date = readDate(m_editTextOnOpening);
    if (!date.isValid()) date = QDate::currentDate();
    setSelectedDate(date);

    adjustSize();
    if (edit) {
        const QRect editRect(edit->mapToGlobal(QPoint(0, 0)), edit->size());
        QScreen* screen = edit->screen() ? edit->screen() : QGuiApplication::primaryScreen();
        const QSize screenSize = screen ? screen->geometry().size() : QSize(1280, 1024);
        const QSize outer = frameGeometry().size().expandedTo(size());
        move(placement(editRect, outer, screenSize));
    }
    show();
    raise();
    activateWindow();
    cal->setFocus(Qt::OtherFocusReason);
    if (auto* grid = cal->findChild<QAbstractItemView*>()) grid->setFocus(Qt::OtherFocusReason);
}

QDate TfrmCal::selectedDate() const {
    return cal->selectedDate();
}

void TfrmCal::setSelectedDate(const QDate& date) {
    if (!date.isValid()) return;
    cal->setSelectedDate(date);
    cal->setCurrentPage(date.year(), date.month());
    calendarChanged();
}

void TfrmCal::calendarChanged() {
    const QDate d = cal->selectedDate();
    lblYear->setText(QString::number(d.year()));
    lblMonth->setText(monthName(d.month()));
}

void TfrmCal::stepMonths(int months) {
    setSelectedDate(selectedDate().addMonths(months));
}

void TfrmCal::cmdPrevMonthClick() {
    stepMonths(-1);
}
void TfrmCal::cmdNextMonthClick() {
    stepMonths(1);
}
void TfrmCal::cmdPrevYearClick() {
    stepMonths(-12);
}
void TfrmCal::cmdNextYearClick() {
    stepMonths(12);
}

void TfrmCal::cmdOKClick() {
    const QString text = composeDate(selectedDate());
    hide();
    if (QLineEdit* e = m_edit) {
        // Emptied first, so that the same date picked twice still reads as a change.
        e->clear();
        e->setText(text);
    }
    emit datePicked(text);
}

void TfrmCal::cmdCancelClick() {
    hide();
}

bool TfrmCal::dayGridKey(int key) {
    const QDate d = selectedDate();
    const int last = daysInMonth(d.year(), d.month());
    if ((key == Qt::Key_Left || key == Qt::Key_Up) && d.day() == 1) {
        const QDate prev = d.addMonths(-1);
        setSelectedDate(QDate(prev.year(), prev.month(), daysInMonth(prev.year(), prev.month())));
        return true;
    }
    if ((key == Qt::Key_Right || key == Qt::Key_Down) && d.day() == last) {
        const QDate next = d.addMonths(1);
        setSelectedDate(QDate(next.year(), next.month(), 1));
        return true;
    }
    return false;
}

bool TfrmCal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Up:
            case Qt::Key_Down:
                if (dayGridKey(key->key())) return true;
                break;
            case Qt::Key_Escape:
                cmdCancelClick();
                return true;
            default:
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmCal::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && isVisible()) cmdCancelClick();
    return QWidget::event(event);
}

void TfrmCal::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdCancelClick();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdOKClick();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

std::function<void(QLineEdit*)> CalendarOpener(TfrmCal* calendar) {
    QPointer<TfrmCal> cal(calendar);
    return [cal](QLineEdit* edit) {
        if (cal && edit) cal->openFor(edit);
    };
}
