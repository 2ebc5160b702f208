#include "app/windowframes.h"

namespace {

void initFrame(QDialog* w, const char* name, const char* caption) {
    w->setObjectName(QString::fromLatin1(name));
    w->setWindowTitle(QString::fromLatin1(caption));
    w->setModal(true);
    w->resize(420, 300);
}

} // namespace

Tfrmpagesetupall* frmpagesetupall = nullptr;

Tfrmpagesetupall::Tfrmpagesetupall(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmpagesetupall", "Page setup");
}

Tfrmca* frmca = nullptr;

Tfrmca::Tfrmca(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmca", "Competitor analysis");
}

Tfrmip* frmip = nullptr;

Tfrmip::Tfrmip(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmip", "Impact / Probability analysis");
}

Tfrmsw* frmsw = nullptr;

Tfrmsw::Tfrmsw(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmsw", "Strength / weakness analysis");
}

Tfrmsummary* frmsummary = nullptr;

Tfrmsummary::Tfrmsummary(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmsummary", "SWOT Table preview");
}

Tfrmkfsname* frmkfsname = nullptr;

Tfrmkfsname::Tfrmkfsname(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tfrmkfsname", "KFS Name");
}

Tprintdl* printdl = nullptr;

Tprintdl::Tprintdl(QWidget* parent) : QDialog(parent) {
    initFrame(this, "Tprintdl", "Printing");
}

TfrmATXPrev* frmATXPrev = nullptr;

TfrmATXPrev::TfrmATXPrev(QWidget* parent) : QDialog(parent) {
    initFrame(this, "TfrmATXPrev", "Print Preview");
}
