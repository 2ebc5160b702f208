#include "app/startup.h"

#include "analysis/cafrm.h"
#include "analysis/kfsfrm.h"
#include "analysis/swfrm.h"
#include "analysis/swotfrm.h"
#include "app/custfrm.h"
#include "app/editfrm.h"
#include "app/splasfrm.h"
#include "budget/cashdet.h"
#include "budget/sprprev.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "editor/cal.h"
#include "editor/colorfrm.h"
#include "editor/dicfrm.h"
#include "editor/dlgbord.h"
#include "editor/dlgcells.h"
#include "editor/dlgsplit.h"
#include "editor/tblfrm.h"
#include "plans/nagfrm.h"
#include "plans/newfrm.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/openfrm.h"
#include "platform/datafolderlock.h"
#include "platform/folders.h"
#include "plans/recoverfrm.h"
#include "plans/recovery.h"
#include "platform/helpsystem.h"
#include "platform/safefile.h"
#include "platform/repaintlock.h"
#include "printing/atxprev.h"
#include "printing/pageall.h"
#include "printing/printdl.h"
#include "windows/aboutfrm.h"
#include "windows/tipsfrm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

TfrmNew* frmNew = nullptr;
Tfrmopen* frmopen = nullptr;
Tfrmopennag* frmopennag = nullptr;
TfrmDic* frmDic = nullptr;
TfrmCal* frmCal = nullptr;
Tfrmtextcolour* frmtextcolour = nullptr;
Tfrminserttbl* frminserttbl = nullptr;
Tsplitcelllsdlg* splitcelllsdlg = nullptr;
Tdlgborder* dlgborder = nullptr;
Tcellsdlg* cellsdlg = nullptr;

namespace Application {

namespace {

QPointer<TfrmSplash> g_splash;

void createFirstWindows() {
    frmDialog();
    frmCashdet = new TfrmCashdet(frmEdit);
    frmNew = new TfrmNew(frmEdit);
    frmSpreadPrev = new TfrmSpreadPrev(frmEdit);
    frmpagesetupall = new Tfrmpagesetupall(frmEdit);
    frmopen = new Tfrmopen(frmEdit);
    frmca = new Tfrmca(*frmEdit->ATX321, frmEdit);
    frmip = new Tfrmip(*frmEdit->ATX321, frmEdit);
    frmsw = new Tfrmsw(*frmEdit->ATX321, frmEdit);
    frmsummary = new Tfrmsummary(*frmEdit->ATX321, frmEdit);
    frmkfsname = new Tfrmkfsname(frmEdit);
    frmca->setNameWindow(frmkfsname);
    frmip->setNameWindow(frmkfsname);
    frmsw->setNameWindow(frmkfsname);
    frminserttbl = new Tfrminserttbl(frmEdit);
    splitcelllsdlg = new Tsplitcelllsdlg(frmEdit);
    dlgborder = new Tdlgborder(frmEdit);
    frmopennag = new Tfrmopennag(frmEdit);
    cellsdlg = new Tcellsdlg(frmEdit);
}

void createRemainingWindows() {
    frmDic = new TfrmDic(frmEdit);
    frmCal = new TfrmCal(frmEdit);
    frmabout = new Tfrmabout(frmEdit);
    printdl = new Tprintdl(frmEdit);
    frmtextcolour = new Tfrmtextcolour(frmEdit);
    frmCust = new TfrmCust(frmEdit, frmEdit);
    frmTips = new TfrmTips(frmEdit);
    frmATXPrev = new TfrmATXPrev(frmEdit);

    // The open-a-plan window opens the new-plan window, the reminder and the calendar.
    frmopen->setWindows(frmNew, frmopennag);
    frmopen->openCalendar = [](QLineEdit* edit) {
        if (frmCal) frmCal->openFor(edit);
    };
}

// Keeps the splash up until it has been seen for the time asked, letting the windows
// behind it paint meanwhile.
void holdSplash(const QElapsedTimer& shown, int milliseconds) {
    const qint64 left = milliseconds - shown.elapsed();
    if (left <= 0) return;
    QEventLoop wait;
    QTimer::singleShot(int(left), &wait, &QEventLoop::quit);
    wait.exec();
}

// The end of start-up, which runs however the steps before it ended.
void finish(const QElapsedTimer& shown, int milliseconds) {
    holdSplash(shown, milliseconds);
    if (g_splash) {
        g_splash->close();
        delete g_splash;
    }
    if (frmEdit && frmEdit->OpenAtStart) {
        const bool recovered = offerRecovery(frmEdit);
        if (frmTips && TfrmTips::TipsWanted()) frmTips->exec();
        if (!recovered) frmEdit->lifecycle()->Open2Click();
    }
}

} // namespace

bool claimDataFolder() {
    const QString data = Folders::dataFolder();
    QDir().mkpath(data);
    switch (DataFolderLock::acquire(data)) {
    case DataFolderLock::Result::HeldByOther: {
        const QString who = DataFolderLock::holder(data);
        ShowMessageDialog(
            QStringLiteral("Another copy of %1 is already open and working on your plans%2.\n\n"
                           "Only one copy at a time can work on them, so that neither writes "
                           "over what the other has saved. Please carry on in the copy that is "
                           "open; this one will now close.\n\nThe plans are those listed in %3.")
                .arg(TfrmEdit::ApplicationTitle(),
                     who.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(who),
                     QDir::toNativeSeparators(QDir(data).absoluteFilePath(QStringLiteral("mp.ini")))),
            mtWarning, mbOK, mbOK, 0);
        return false;
    }
    case DataFolderLock::Result::Unavailable:
        // A folder that cannot be written cannot be spoilt by a second copy either; each
        // write there says why it failed.
        return true;
    case DataFolderLock::Result::Taken:
        break;
    }
    // No other copy writes here now: any temporary file of a write is a crash's leftover.
    for (const QString& folder :
         {data, Folders::userDataFolder(), data + QStringLiteral("recovery/")})
        SafeFile::removeLeftovers(folder);
    // The settings folder is shared by copies working on other data folders: only what is
    // too old to belong to a write in progress.
    SafeFile::removeLeftovers(Folders::configFolder(), 600);
    return true;
}

bool startUp(const StartUpOptions& options) {
    if (!claimDataFolder()) return false;
    QElapsedTimer shown;
    g_splash = new TfrmSplash;
    g_splash->show();
    g_splash->repaint();
    shown.start();
    pumpMessages();

    try {
        QApplication::setApplicationName(TfrmEdit::ApplicationTitle());
        HelpSystem::instance().setHelpFile(QStringLiteral("qmphelp.hlp"));

        // Created visible: its first showing reads the settings and loads the start-up
        // texts before any other window exists.
        frmEdit = new TfrmEdit;
        frmEdit->show();

        createFirstWindows();
        if (g_splash) g_splash->repaint();
        pumpMessages();

        createRemainingWindows();
        pumpMessages();
    } catch (...) {
        finish(shown, options.splashMilliseconds);
        throw;
    }
    finish(shown, options.splashMilliseconds);
    return true;
}

void shutDown() {
    delete g_splash;
    DataFolderLock::release();
    // The main window owns every other window but the message dialog.
    delete frmEdit;
    frmEdit = nullptr;
    frmCashdet = nullptr;
    frmNew = nullptr;
    frmSpreadPrev = nullptr;
    frmpagesetupall = nullptr;
    frmopen = nullptr;
    frmca = nullptr;
    frmip = nullptr;
    frmsw = nullptr;
    frmsummary = nullptr;
    frmkfsname = nullptr;
    frminserttbl = nullptr;
    splitcelllsdlg = nullptr;
    dlgborder = nullptr;
    frmopennag = nullptr;
    cellsdlg = nullptr;
    frmDic = nullptr;
    frmCal = nullptr;
    frmabout = nullptr;
    printdl = nullptr;
    frmtextcolour = nullptr;
    frmCust = nullptr;
    frmTips = nullptr;
    frmATXPrev = nullptr;
}

bool offerRecovery(TfrmEdit* window) {
    if (!window) return false;
    QList<Recovery::Copy> copies = Recovery::pending(Catalogue());
    if (copies.isEmpty()) return false;
    TfrmRecover offer(window);
    offer.setCopies(copies);
    while (!offer.copies().isEmpty()) {
        if (offer.exec() != QDialog::Accepted) return false;
        const Recovery::Copy chosen = offer.chosen();
        if (window->lifecycle()->RecoverPlan(chosen)) {
            window->ATX321->setShowHidden(1);
            return true;
        }
        // Unreadable, and kept aside: the others are still on offer.
        copies = offer.copies();
        copies.removeIf([&](const Recovery::Copy& c) { return c.number == chosen.number; });
        offer.setCopies(copies);
    }
    return false;
}

bool splashShowing() {
    return !g_splash.isNull();
}

} // namespace Application
