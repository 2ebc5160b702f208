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
