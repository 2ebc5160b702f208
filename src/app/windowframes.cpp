#include "app/windowframes.h"

namespace {

void initFrame(QDialog* w, const char* name, const char* caption) {
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(QString::fromLatin1(caption));
    w->setModal(true);
    w->resize(420, 300);
}

} // namespace

TfrmCashdet* frmCashdet = nullptr;

TfrmCashdet::TfrmCashdet(QWidget* parent) : QDialog(parent) {
    initFrame(this, "TfrmCashdet", "Modify Budget Details");
}

TfrmSpreadPrev* frmSpreadPrev = nullptr;

TfrmSpreadPrev::TfrmSpreadPrev(QWidget* parent) : QDialog(parent) {
    initFrame(this, "TfrmSpreadPrev", "Print Preview");
}

Tfrmpagesetupall* frmpagesetupall = nullptr;

Tfrmpagesetupall::Tfrmpagesetupall(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmpagesetupall", "Page setup");
}

Tprintdl* printdl = nullptr;

Tprintdl::Tprintdl(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tprintdl", "Printing");
}

TfrmATXPrev* frmATXPrev = nullptr;

TfrmATXPrev::TfrmATXPrev(QWidget* parent) : QDialog(parent) {
    initFrame(this, "TfrmATXPrev", "Print Preview");
}
