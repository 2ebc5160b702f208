#include "printing/printdl.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tprintdl* printdl = nullptr;

namespace {

QLabel* centredLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignHCenter);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

Tprintdl::Tprintdl(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tprintdl"));
    setWindowTitle(QStringLiteral("Printing"));
    // A dialog frame with a caption and no buttons in it, above the other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);

    Label1 = centredLabel(this, "Label1", QStringLiteral("Printing"));
    Label5 = centredLabel(this, "Label5", QString());
    Label2 = centredLabel(this, "Label2", QStringLiteral("on the"));
    Label4 = centredLabel(this, "Label4", QString());
    Label6 = centredLabel(this, "Label6", QString());
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Label5->setFont(bold);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setEnabled(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 14, 24, 14);
    column->setSpacing(4);
    for (QLabel* l : {Label1, Label5, Label2, Label4, Label6})
        column->addWidget(l);
    column->addSpacing(10);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    column->addLayout(buttons);
    setMinimumWidth(260);
}

void Tprintdl::showPrinter(const QString& name, const QString& port) {
    Label4->setText(name);
    Label6->setText(QStringLiteral("on ") + port);
    Label5->clear();
}

void Tprintdl::showPage(int page) {
    Label5->setText(QStringLiteral("Page ") + QString::number(page));
}

void Tprintdl::closeEvent(QCloseEvent* event) {
    // Only the print run closes the window.
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void Tprintdl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
