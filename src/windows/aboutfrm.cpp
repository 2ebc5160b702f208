#include "windows/aboutfrm.h"

#include "app/editfrm.h"
#include "app/settings.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "widgets/toolglyphs.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tfrmabout* frmabout = nullptr;

Tfrmabout::Tfrmabout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrmabout"));
    setWindowTitle(QStringLiteral("About Zurozurov Irod"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(aboutPicture(QSize(96, 96)));
    Image1->setFixedSize(96, 96);

    lblProduct = new QLabel(QStringLiteral("Tandel Zurozurov Irod"), this);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    QFont product = lblProduct->font();
    product.setPointSizeF(product.pointSizeF() * 1.6);
    product.setBold(true);
    product.setUnderline(true);
    lblProduct->setFont(product);
    QPalette maroon = lblProduct->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    lblProduct->setPalette(maroon);

    lblVersion = new QLabel(QStringLiteral("V1.0 - 32"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    cmdWeb = new QPushButton(QStringLiteral("&Tandel on the Web"), this);
    cmdWeb->setObjectName(QStringLiteral("cmdWeb"));
    cmdWeb->setAutoDefault(false);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdWeb, &QPushButton::clicked, this, &Tfrmabout::cmdWebClick);
    // Escape closes the box as "&OK" does.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblProduct);
    texts->addWidget(lblVersion);
    texts->addStretch(1);
    texts->addWidget(cmdWeb, 0, Qt::AlignLeft);

    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 12);
    column->addLayout(top);
    column->addWidget(line);
    column->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void Tfrmabout::cmdWebClick() {
    if (frmEdit) {
        TfrmEdit::StartWebLauncher(frmEdit->WebLauncher, frmEdit->WebHomePage);
        return;
    }
    const IniFile ini(Folders::settingsFile());
    TfrmEdit::StartWebLauncher(
        ini.readString(Settings::WebSection, QStringLiteral("exe"), Settings::DefaultLauncher),
        ini.readString(Settings::WebSection, QStringLiteral("Home"), Settings::DefaultHomePage));
}
