#include "windows/tipsfrm.h"

#include "app/settings.h"
#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "widgets/toolglyphs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmTips* frmTips = nullptr;

namespace {

const QString kBlue = QStringLiteral("#0000ff");

class Sheet {
public:
    Sheet(QWidget* parent, QGridLayout* grid) : m_parent(parent), m_grid(grid) {}

    QLabel* label(const QString& text) {
        auto* l = new QLabel(text, m_parent);
        l->setObjectName(QStringLiteral("Label%1").arg(++m_count));
        return l;
    }
    QLabel* key(const QString& text) {
        QLabel* l = label(text);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    }
    QLabel* sample(const QString& richText) {
        QLabel* l = label(richText);
        l->setTextFormat(Qt::RichText);
        return l;
    }
    QLabel* picture(Glyph glyph) {
        QLabel* l = label(QString());
        l->setPixmap(glyphPixmap(glyph));
        l->setFixedSize(22, 20);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::StyledPanel);
        return l;
    }
    void row(int column, QWidget* left, const QString& meaning) {
        const int r = m_rows[column]++;
        m_grid->addWidget(left, r, column * 3, Qt::AlignLeft | Qt::AlignVCenter);
        m_grid->addWidget(label(meaning), r, column * 3 + 1, Qt::AlignLeft | Qt::AlignVCenter);
    }
    void gap(int column, int pixels) { m_grid->setRowMinimumHeight(m_rows[column]++, pixels); }

private:
    QWidget* m_parent;
    QGridLayout* m_grid;
    int m_count = 0;
    int m_rows[2] = {0, 0};
};

QString blue(const QString& text) {
    return QStringLiteral("<span style=\"color:%1\">%2</span>").arg(kBlue, text.toHtmlEscaped());
}

} // namespace

TfrmTips::TfrmTips(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmTips"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setAutoFillBackground(true);

    auto* title = new QLabel(QStringLiteral("A quick guide to editing"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #000080"));
    title->setAlignment(Qt::AlignCenter);

    auto* sheetBox = new QFrame(this);
    sheetBox->setObjectName(QStringLiteral("pnlSheet"));
    sheetBox->setFrameShape(QFrame::StyledPanel);
    sheetBox->setFrameShadow(QFrame::Sunken);
    sheetBox->setAutoFillBackground(true);
    QPalette sheetPalette = sheetBox->palette();
    sheetPalette.setColor(QPalette::Window, Qt::white);
    sheetBox->setPalette(sheetPalette);
    auto* grid = new QGridLayout(sheetBox);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(7);
    grid->setColumnMinimumWidth(2, 24);
    Sheet s(sheetBox, grid);

    s.row(0, s.key(QStringLiteral("[Ctrl B]")), QStringLiteral("Bold Text"));
    s.row(0, s.key(QStringLiteral("[Ctrl I]")), QStringLiteral("Italic Text"));
    s.row(0, s.key(QStringLiteral("[Ctrl U]")), QStringLiteral("Underline Text"));
    s.row(0, s.picture(Glyph::Colour), QStringLiteral("Set Text Colour"));
    s.gap(0, 4);
    s.row(0, s.key(QStringLiteral("[Ctrl L]")), QStringLiteral(" Align Left"));
    s.row(0, s.key(QStringLiteral("[Ctrl E]")), QStringLiteral("Align Centre"));
    s.row(0, s.key(QStringLiteral("[Ctrl R]")), QStringLiteral("Align Right "));
    s.row(0, s.key(QStringLiteral("[Ctrl J]")), QStringLiteral("Justify Text"));
    s.gap(0, 4);
    s.row(0, s.picture(Glyph::Calendar), QStringLiteral("Insert Date"));

    s.row(1, s.sample(blue(QStringLiteral("[Date]"))),
          QStringLiteral("Double Click to insert date"));
    s.row(1,
          s.sample(blue(QStringLiteral("[our/their]")) + QStringLiteral(" &#8594; ") +
                   blue(QStringLiteral("[our]"))),
          QStringLiteral("Double Click to select a word or phrase from selection"));
    s.gap(1, 4);
    s.row(1,
          s.sample(blue(QStringLiteral("[our]")) + QStringLiteral(" ") +
                   blue(QStringLiteral("[time/date]")) + QStringLiteral(" best")),
          QStringLiteral("[F12] to move to next Bluetext"));
    s.row(1, new QWidget(sheetBox), QStringLiteral("[F11] to move to previous Bluetext"));
    s.gap(1, 4);
    s.row(1, s.picture(Glyph::First), QStringLiteral("Move to first section of plan"));
    s.row(1, s.picture(Glyph::Previous), QStringLiteral("Move to previous section of plan"));
    s.row(1, s.picture(Glyph::Next), QStringLiteral("Move to next section of plan"));
    s.row(1, s.picture(Glyph::Last), QStringLiteral("Move to last section of plan"));
    grid->setColumnStretch(4, 1);

    chkDontShow = new QCheckBox(QStringLiteral("&Dont show this again"), this);
    chkDontShow->setObjectName(QStringLiteral("chkDontShow"));
    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    cmdHelp = new QPushButton(QStringLiteral("&Help"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    connect(cmdOk, &QPushButton::clicked, this, &TfrmTips::cmdOkClick);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmTips::cmdHelpClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkDontShow);
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdHelp);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 12, 16, 14);
    column->setSpacing(10);
    column->addWidget(title);
    column->addWidget(sheetBox, 1);
    column->addLayout(buttons);
    adjustSize();
}

bool TfrmTips::TipsWanted() {
    const IniFile ini(Folders::settingsFile());
    return ini.readInteger(Settings::TipsSection, QStringLiteral("tips"), 1) == 1;
}

void TfrmTips::cmdOkClick() {
    if (chkDontShow->isChecked()) {
        try {
            IniFile ini(Folders::settingsFile());
            ini.writeInteger(Settings::TipsSection, QStringLiteral("tips"), 0);
        } catch (const IniWriteError& e) {
            ShowError(e.message());
        }
    }
    accept();
}

void TfrmTips::cmdHelpClick() {
    HelpSystem::instance().showContext(1);
}

void TfrmTips::showEvent(QShowEvent* event) {
    // Centred on the screen, not on the window behind it.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    QDialog::showEvent(event);
}

void TfrmTips::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // With no frame of its own the window draws a raised edge.
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.setPen(QColor(255, 255, 255));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(64, 64, 64));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(QColor(160, 160, 160));
    p.drawRect(r.adjusted(1, 1, -1, -1));
}
