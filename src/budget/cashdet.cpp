#include "budget/cashdet.h"

#include "controls/sheet/sheettypes.h"
#include "platform/helpsystem.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

TfrmCashdet* frmCashdet = nullptr;

namespace BudgetDetails {

namespace {
const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
} // namespace

Start decodeStart(const QString& text) {
    Start s;
    double serial = 0;
    int day = 0;
    if (!Sheet::parseDateText(text, &serial) || !Sheet::serialToDate(serial, &s.year, &s.month, &day))
        return {};
    s.valid = true;
    return s;
}

QString startText(int month, int year) {
    return QStringLiteral("01/%1/%2").arg(month).arg(year, 4, 10, QLatin1Char('0'));
}

QString periodText(const QString& period) {
    return QStringLiteral("Period - ") + period;
}

bool isQuarterly(const QString& text) {
    return text == QLatin1String("Period - Quarterly");
}

QStringList yearItems(int currentYear, int storedYear) {
    QList<int> years;
    for (int y = kFirstYear; y <= currentYear + kYearsAhead; ++y)
        years << y;
    // A budget set up for a year the list does not reach keeps its year.
    if (storedYear > 0 && !years.contains(storedYear)) {
        auto at = std::lower_bound(years.begin(), years.end(), storedYear);
        years.insert(at, storedYear);
    }
    QStringList items;
    for (int y : years)
        items << QString::number(y);
    return items;
}

} // namespace BudgetDetails

TfrmCashdet::TfrmCashdet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmCashdet"));
    setWindowTitle(QStringLiteral("Modify Budget Details"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto combo = [this](const char* name) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(false);
        c->setMinimumWidth(150);
        return c;
    };
    ComboBox1 = combo("ComboBox1");
    for (const char* m : BudgetDetails::kMonths)
        ComboBox1->addItem(QString::fromLatin1(m));
    ComboBox1->setMaxVisibleItems(12);
    ComboBox3 = combo("ComboBox3");
    ComboBox3->setMaxVisibleItems(15);
    ComboBox2 = combo("ComboBox2");
    ComboBox2->addItems({QStringLiteral("Monthly"), QStringLiteral("Quarterly")});

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    auto row = [&](int r, const QString& caption, QComboBox* c) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(c);
        grid->addWidget(label, r, 0);
        grid->addWidget(c, r, 1);
    };
    row(0, QStringLiteral("&Start month"), ComboBox1);
    row(1, QStringLiteral("Start &year"), ComboBox3);
    row(2, QStringLiteral("&Projection period"), ComboBox2);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdHelp = new QPushButton(QStringLiteral("&Help"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 12);
    column->addLayout(grid);
    column->addSpacing(14);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &TfrmCashdet::cmdOKClick);
    connect(cmdCancel, &QPushButton::clicked, this, &TfrmCashdet::cmdCancelClick);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmCashdet::cmdHelpClick);
}

void TfrmCashdet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    if (QScreen* screen = this->screen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

void TfrmCashdet::FormShow() {
    using namespace BudgetDetails;
    ComboBox2->setCurrentIndex(isQuarterly(BudgetPeriodText) ? 1 : 0);

    // A start cell that holds no date opens on January of this year; nothing reaches the
    // sheet unless the user confirms.
    const int thisYear = QDate::currentDate().year();
    const Start start = decodeStart(BudgetStartText);
    const int month = start.valid ? start.month : 1;
    const int year = start.valid ? start.year : thisYear;

    ComboBox3->clear();
    ComboBox3->addItems(yearItems(thisYear, year));
    ComboBox1->setCurrentIndex(month - 1);
    const int yearIndex = ComboBox3->findText(QString::number(year));
    ComboBox3->setCurrentIndex(yearIndex >= 0 ? yearIndex : 0);
    ComboBox1->setFocus();
}

void TfrmCashdet::cmdOKClick() {
    BudgetStartText =
        BudgetDetails::startText(ComboBox1->currentIndex() + 1, ComboBox3->currentText().toInt());
    BudgetPeriodText = BudgetDetails::periodText(ComboBox2->currentText());
    accept();
}

void TfrmCashdet::cmdCancelClick() {
    reject();
}

void TfrmCashdet::cmdHelpClick() {
    HelpSystem::instance().showContext(kHelpContext);
}
