#include "analysis/kfsfrm.h"

#include "analysis/factorfile.h"
#include "dialogs/dialogfrm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tfrmkfsname* frmkfsname = nullptr;

Tfrmkfsname::Tfrmkfsname(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmkfsname"));
    setWindowTitle(QStringLiteral("KFS Name"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("KFS Name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(QStringLiteral("Untitled"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // Longer names are refused with a message rather than cut off unseen.
    Edit1->setMaxLength(FactorFile::MaxNameLength + 1);
    Edit1->setMinimumWidth(Edit1->fontMetrics().averageCharWidth() * 40);
    Label1->setBuddy(Edit1);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(Edit1, &QLineEdit::textChanged, this,
            [this](const QString& text) { Button1->setEnabled(!text.isEmpty()); });
    connect(Button1, &QPushButton::clicked, this, &Tfrmkfsname::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfrmkfsname::Button2Click);
    setFixedSize(sizeHint());
}

int Tfrmkfsname::ask(const QString& caption, const QString& label) {
    setWindowTitle(caption);
    Label1->setText(label);
    return exec();
}

QString Tfrmkfsname::name() const {
    return Edit1->text();
}

void Tfrmkfsname::showEvent(QShowEvent* e) {
    Edit1->clear();
    Button1->setEnabled(false);
    Edit1->setFocus();
    QDialog::showEvent(e);
}

void Tfrmkfsname::Button1Click() {
    const QString problem = FactorFile::nameProblem(Edit1->text());
    if (!problem.isEmpty()) {
        ShowMessageDialog(problem, mtWarning, mbOK, mbOK, 0);
        Edit1->setFocus();
        return;
    }
    done(mrOk);
}

void Tfrmkfsname::Button2Click() {
    done(mrCancel);
}
