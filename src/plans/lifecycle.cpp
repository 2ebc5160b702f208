#include "plans/lifecycle.h"

#include "budget/budgetview.h"
#include "controls/text/rtfreader.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "plans/autosave.h"
#include "plans/catalogue.h"
#include "plans/navigator.h"
#include "plans/openfrm.h"
#include "plans/plandamage.h"
#include "plans/planstate.h"
#include "platform/printerinfo.h"
#include "platform/repaintlock.h"
#include "widgets/ruler.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QTreeView>

#include <cmath>
#include <stdexcept>

namespace {

constexpr int kHeaderColour = 255; // red
constexpr int kPlaceholderTag = 300;

// The hourglass for the length of a scope.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { restore(); }
    void restore() {
        if (m_on) QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

} // namespace

PlanLifecycle::PlanLifecycle(const LifecycleWidgets& widgets, LifecycleLinks links, PlanState& plan,
                             QObject* parent)
    : QObject(parent), m_w(widgets), m_links(std::move(links)), m_plan(plan) {}

// --- Open and New -----------------------------------------------------------------------

PlanLifecycle::Answer PlanLifecycle::askToSave() {
    const int answer = ShowMessageDialog(
        QStringLiteral("You already have a plan open.\n\nDo you want to save changes before "
                       "continuing?"),
        mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0);
    if (answer == mrYes) {
        // A plan that could not be written stays open with its changes.
        return mnuSaveClick() ? Answer::Go : Answer::Stop;
    }
    if (answer != mrNo) return Answer::Stop;
    // The changes are dropped, and with them their recovery copy.
    m_links.autoSave()->dropCopy();
    return Answer::Go;
}

void PlanLifecycle::Open2Click() {
    TextControl* text = m_w.ATX321;
    if (m_w.editingArea->isHidden()) {
        LoadPlan();
        text->setShowHidden(1);
        return;
    }
    if (askToSave() == Answer::Go) {
        m_w.editingArea->hide();
        m_links.setPlanControls(false);
        LoadPlan();
        text->setUnDoAction(0);
    }
    text->setShowHidden(1);
    m_w.window->setUpdatesEnabled(true);
}

void PlanLifecycle::mnuNewClick() {
    if (!m_w.editingArea->isHidden() && askToSave() == Answer::Stop) return;
    m_w.editingArea->hide();
    m_links.setPlanControls(false);
    m_pressNew = true;
    LoadPlan();
    m_pressNew = false;
    m_w.ATX321->setUnDoAction(0);
    m_w.ATX321->setShowHidden(1);
}

// --- Loading ----------------------------------------------------------------------------

bool PlanLifecycle::LoadPlan() {
    pumpMessages();
    m_links.setCaption(QString());

    const QPointer<Tfrmopen> frmopen = m_links.openWindow ? m_links.openWindow() : nullptr;
    if (!frmopen) return false;
    if (m_pressNew) {
        // The window is shown first (which empties it), then its "&New" is pressed.
        QTimer::singleShot(0, frmopen.data(), [frmopen] {
            if (frmopen && frmopen->isVisible()) frmopen->NewbtnClick();
        });
    }
    if (frmopen->exec() != QDialog::Accepted) return false;
    if (!planSession().CreatingPlan) {
        const Answer answer = askAboutRecoveryCopy();
        if (answer != Answer::Go) return answer == Answer::Recovered;
    }
    return LoadChosenPlan(frmopen->companyName(), frmopen->sbuName());
}

PlanLifecycle::Answer PlanLifecycle::askAboutRecoveryCopy() {
    const PlanSession& session = planSession();
    Recovery::Copy copy;
    if (!Recovery::pendingFor(Catalogue(), session.CurrentPlanName, &copy)) return Answer::Go;
    // This session's own copy belongs to changes still on screen, never to a plan that
    // is being opened; a copy here was left by a session that ended without saving.
    const int answer = ShowMessageDialog(
        QStringLiteral("The plan \"%1\" has a recovery copy made on %2 at %3, after the plan was "
                       "last saved: the program ended before the changes in it were saved."
                       "\n\nDo you want to recover it? No deletes the recovery copy and opens "
                       "the plan as it was saved.")
            .arg(session.CurrentPlanName, copy.made.toString(QStringLiteral("dd/MM/yyyy")),
                 copy.made.toString(QStringLiteral("HH:mm"))),
        mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0);
    if (answer == mrYes) return RecoverPlan(copy) ? Answer::Recovered : Answer::Stop;
    if (answer != mrNo) return Answer::Stop;
    Recovery::remove(copy.number);
    return Answer::Go;
}

bool PlanLifecycle::RecoverPlan(const Recovery::Copy& copy) {
    const QString problem = Recovery::check(copy);
    if (!problem.isEmpty()) {
        const QString aside = Recovery::keepAside(copy);
        QString message = QStringLiteral("The recovery copy of the plan \"%1\" cannot be "
                                         "recovered, and nothing of it was loaded.\n%2")
                              .arg(copy.planName, problem);
        if (!aside.isEmpty())
            message += QStringLiteral("\nIt is kept as %1.").arg(QDir::toNativeSeparators(aside));
        ShowError(message);
        return false;
    }
    PlanSession& session = planSession();
    session.CurrentPlanName = copy.planName;
    session.CurrentPlanFile = copy.planFile;
    session.CreatingPlan = false;
    const CompanyDetails details = Catalogue().details(copy.planName);
    const QString budget =
        copy.budgetCopy.isEmpty() ? Catalogue::budgetFileOf(copy.planFile) : copy.budgetCopy;
    m_w.editingArea->hide();
    m_links.setPlanControls(false);
    if (!LoadChosenPlan(details.value("coname"), details.value("sbu"), copy.textCopy, budget))
        return false;
    m_links.autoSave()->adopt(copy.number);
    return true;
}

bool PlanLifecycle::LoadChosenPlan(const QString& companyName, const QString& sbuName) {
    const PlanSession& session = planSession();
    const QString source = session.CreatingPlan ? session.BasePlanFile : session.CurrentPlanFile;
    return loadPlan(companyName, sbuName, source, Catalogue::budgetFileOf(source), false);
}

bool PlanLifecycle::LoadChosenPlan(const QString& companyName, const QString& sbuName,
                                   const QString& textSource, const QString& budgetSource) {
    return loadPlan(companyName, sbuName, textSource, budgetSource, true);
}

bool PlanLifecycle::loadPlan(const QString& companyName, const QString& sbuName,
                             const QString& source, const QString& budgetSource,
                             bool recovering) {
    TextControl* text = m_w.ATX321;
    PlanSession& session = planSession();
    // The load's own changes to the text are nobody's typing: no recovery copy of them.
    AutoSave* autoSave = m_links.autoSave();
    autoSave->setPaused(true);
    const auto resume = qScopeGuard([autoSave] {
        autoSave->setPaused(false);
        autoSave->markClean();
    });
    m_links.setCaption(session.CurrentPlanName);
    BusyCursor busy;
    // Keys and clicks wait until the plan is in place: while it loads (and is saved at
    // once) its text is selected whole, and a key would replace it.
    pumpMessagesExceptInput();

    try {
        text->setSelStart(0);
        text->setSelLength(text->TextLength());
        m_w.Outline1->collapseAll();
        text->setWriteProtect(0);
        text->PrepareLoad();

        // A budget that cannot be read stops the load before the text is pointed at the
        // new plan's file, so nothing of the open plan is written where it does not belong.
        if (!LoadBudget(budgetSource)) {
            busy.restore();
            m_links.setCaption(QString());
            return false;
        }
        text->setFileName(source);
        text->setDataType(TextControl::NativeRtf);
        text->setFileLoad(1);
        if (!text->lastFileOk()) {
            // Nothing of the plan is shown and nothing is written: saving what the control
            // holds now would replace the plan's own file with an empty text. The user is
            // told which file and why, and a file that is there is kept as it was.
            busy.restore();
            m_links.setCaption(QString());
            // The control now holds no plan: a Save must not write its empty text anywhere.
            m_planLoaded = false;
            const QString reason = unreadableReason(source);
            const QString copy = QFileInfo::exists(source)
                                     ? PlanDamageCheck::keepDamagedCopy(source)
                                     : QString();
            ShowMessageDialog(PlanDamageCheck::unreadableMessage(source, reason, copy), mtError,
                              mbOK, mbOK, 0);
            return false;
        }

        // A file cut short, garbled or missing part of its sections opens as it is, but the
        // load does not write it back: that would make the damage permanent.
        PlanDamage damage = checkLoadedPlan();
        const QString pictureNotes = text->lastFileNotes();
        {
            QFile raw(source);
            damage.garbled = raw.open(QIODevice::ReadOnly) &&
                             PlanDamageCheck::holdsStrayBytes(raw.readAll());
        }
        QString damageCopy;
        if (damage.damaged()) damageCopy = PlanDamageCheck::keepDamagedCopy(source);

        text->setFileName(session.CurrentPlanFile);
        text->setDataType(TextControl::NativeRtf);
        m_planLoaded = true;
        pumpMessagesExceptInput();
        text->setSelStart(0);
        text->setSelLength(0);
        pumpMessagesExceptInput();
        text->setShowHidden(1);

        TakeHeader();
        ReplacePlaceholders(companyName, sbuName);

        text->setSelStart(0);
        text->setSelLength(0);
        text->setScrollVert(0);
        m_links.setPlanControls(true);
        text->setUnDoAction(0);
        m_w.editingArea->show();
        pumpMessagesExceptInput();
        busy.restore();
        text->setSelStart(0);
        text->setSelLength(0);
        text->setFocus();

        layOutPage();
        if (recovering)
            // The plan's own files stay as they were saved until the user saves.
            m_plan.PlanModified = true;
        else if (!damage.damaged())
            mnuSaveClick();
        else
            // The file on disk is as it was; a new plan made from a damaged one has no file
            // yet, and closing asks to save it.
            m_plan.PlanModified = session.CreatingPlan;
        m_links.navigator->btnFirstClick();

        text->viewport()->update();
        SelectBudgetStartCell();
        if (damage.damaged()) {
            QStringList titles;
            for (int n = 1; n <= m_links.navigator->itemCount(); ++n)
                titles.append(m_links.navigator->itemText(n));
            ShowMessageDialog(PlanDamageCheck::message(damage, titles, damageCopy), mtWarning,
                              mbOK, mbOK, 0);
        }
        if (!pictureNotes.isEmpty()) ShowMessageDialog(pictureNotes, mtWarning, mbOK, mbOK, 0);
    } catch (...) {
        busy.restore();
        m_w.editingArea->show();
        ShowNotice(QStringLiteral("An error occurred while trying to load the plan."));
    }
    return true;
}

QString PlanLifecycle::unreadableReason(const QString& file) const {
    const QFileInfo info(file);
    if (!info.exists()) return QStringLiteral("it does not exist");
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return f.errorString();
    if (f.size() == 0) return QStringLiteral("it is empty");
    if (!RtfReader::isRtf(f.read(64)))
        return QStringLiteral("it is damaged, for it does not begin as a plan's text does");
    // The reader's own words come after the file name it repeats.
    QString error = m_w.ATX321->lastFileError();
    error = error.mid(error.lastIndexOf(QLatin1String(": ")) + 1).trimmed();
    if (error.endsWith(QLatin1Char('.'))) error.chop(1);
    if (error.isEmpty() || error.contains(QDir::separator()) || error.contains(QLatin1Char('/')))
        return QStringLiteral("it is damaged");
    error[0] = error[0].toLower();
    return QStringLiteral("it is damaged: ") + error;
}

PlanDamage PlanLifecycle::checkLoadedPlan() {
    TextControl* text = m_w.ATX321;
    PlanDamage damage;
    damage.cutShort = !text->lastFileComplete();
    QSet<int> tags;
    for (const auto& run : text->tagRuns(2))
        tags.insert(run[2]);
    damage.missingSections =
        PlanDamageCheck::sectionsWithoutTag(tags, m_links.navigator->itemCount());
    return damage;
}

QString PlanLifecycle::takeHeaderText(TextControl& text) {
    QString header;
    text.setTagReadSelect(1);
    text.setSelStart(0);
    text.setSelLength(0);
    if (text.FIND_HTAG(PlanHeader::HeaderTag, 1) > 0) {
        header = text.SelText();
        text.setSelText(QString());
    }
    text.setTagReadSelect(0);
    return header;
}

bool PlanLifecycle::TakeHeader() {
    const QString header = takeHeaderText(*m_w.ATX321);
    const PlanHeader::Parsed parsed = PlanHeader::parse(header);
    if (parsed.marginsOk) {
        m_plan.PlanMargins.Left = parsed.settings.left;
        m_plan.PlanMargins.Right = parsed.settings.right;
        m_plan.PlanMargins.Top = parsed.settings.top;
        m_plan.PlanMargins.Bottom = parsed.settings.bottom;
    } else {
        m_plan.PlanMargins = m_plan.DefaultMargins;
    }
    if (parsed.pageOk) setPageCodes(parsed.settings.paperSize, parsed.settings.orientation);
    return !header.isEmpty();
}

int PlanLifecycle::ReplacePlaceholders(const QString& companyName, const QString& sbuName) {
    return replacePlaceholders(*m_w.ATX321, companyName, sbuName);
}

int PlanLifecycle::replacePlaceholders(TextControl& control, const QString& companyName,
                                       const QString& sbuName) {
    TextControl* text = &control;
    text->setSelStart(0);
    text->setSelLength(0);
    int handled = 0;
    int last = 0;
    while (true) {
        const int found = text->FIND_HTAG(kPlaceholderTag, 1);
        // A run that keeps its tag would be found again; never go round in a circle.
        if (found <= 0 || found == last) break;
        last = found;
        QString s = text->SelText();
        // A placeholder ends with its paragraph (the control's runs of a kind of text
        // never reach over a break); one paragraph's piece at a time all the same.
        const qsizetype cut = s.indexOf(QRegularExpression(QStringLiteral("[\\x{2029}\\n]")));
        if (cut >= 0) {
            const int start = text->SelStart();
            text->setSelStart(start);
            text->setSelLength(cut == 0 ? 1 : int(cut));
            s = text->SelText();
        }
        if (s == QLatin1String("[SBUName]"))
            text->setSelFText(QStringLiteral("The ") + sbuName + QStringLiteral(" unit "));
        else if (s == QLatin1String("[BusinessName]"))
            text->setSelFText(companyName);
        text->setHTag(0);
        text->setFontColor(0);
        text->setFontHidden(0);
        ++handled;
    }
    return handled;
}

int PlanLifecycle::PaperSize() const {
    const int code = PrinterInfo::instance().paperSize();
    return code > 0 ? code : 9;
}

int PlanLifecycle::Orientation() const {
    return PrinterInfo::instance().orientation();
}

void PlanLifecycle::setPageCodes(int paperSize, int orientation) {
    PrinterInfo& printer = PrinterInfo::instance();
    if (printer.setPaperSize(paperSize)) printer.setOrientation(orientation);
}

void PlanLifecycle::layOutPage() {
    const auto& m = m_plan.PlanMargins;
    const Ruler::TextArea area = Ruler::textArea(m.Left, m.Right, m.Top, m.Bottom);
    m_plan.TextAreaWidth = area.width;
    m_plan.TextAreaHeight = area.height;
    if (Ruler* ruler = m_w.rulMain) {
        ruler->applyTextArea(area, m_w.ATX322);
    } else {
        m_w.ATX321->setDocWidth(int(std::lround(area.width * 1440)));
        m_w.ATX321->setPageHeight(int(std::lround(area.height * 1440)));
    }
}

// --- Saving -----------------------------------------------------------------------------

bool PlanLifecycle::mnuSaveClick() {
    TextControl* text = m_w.ATX321;
    if (!m_planLoaded) {
        // No plan was ever loaded: the control holds the start-up text, which is the
        // program's own file and no plan of the user's. Nothing to write, nothing lost.
        m_plan.PlanModified = false;
        return true;
    }
    // Writing the header in and out is no change of the user's, and no copy is taken of
    // a text that holds it.
    AutoSave* autoSave = m_links.autoSave();
    autoSave->setPaused(true);
    auto resume = qScopeGuard([autoSave] { autoSave->setPaused(false); });
    RepaintLock lockWindow(m_w.window);
    const int selStart = text->SelStart();
    const int selLength = text->SelLength();
    const TextControl::ViewPlace view = text->viewPlace();
    // Hiding the panel takes the keyboard focus away to the next widget (the font box):
    // it goes back where it was, so that typing goes on in the text.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const bool panelShown = !m_w.editingArea->isHidden();
    m_w.editingArea->hide();
    // The whole text is selected while it is written: keys typed meanwhile wait (the
    // message pumps below leave them queued), and any that reach the text find it held
    // read-only, so that nothing replaces the plan in the file.
    const int oldProtect = text->WriteProtect();
    text->setWriteProtect(2);
    text->setShowHidden(1);
    text->setSelStart(0);
    text->setSelLength(0);

    PlanPageSettings page;
    page.left = m_plan.PlanMargins.Left;
    page.right = m_plan.PlanMargins.Right;
    page.top = m_plan.PlanMargins.Top;
    page.bottom = m_plan.PlanMargins.Bottom;
    page.paperSize = PaperSize();
    page.orientation = Orientation();
    text->setSelFText(PlanHeader::make(page));
    text->setHTag(PlanHeader::HeaderTag);
    text->setFontColor(kHeaderColour);
    // Hidden in the file, so that another word processor opening the plan does not show
    // the 68 digits; our own reader finds the run by its tag, whatever its formatting.
    text->setFontHidden(-1);
    const int n = text->SelLength();

    text->setSelStart(0);
    text->setSelLength(text->TextLength());
    pumpMessagesExceptInput();
    text->setDataType(TextControl::NativeRtf);
    text->setFileSave(1);
    const bool textSaved = text->lastFileOk();

    // The header is taken out whatever happened to the file.
    text->setSelStart(0);
    text->setSelLength(n);
    text->setSelText(QString());
    text->setUnDoAction(0);
    text->setShowHidden(0);
    pumpMessagesExceptInput();

    const bool budgetSaved = textSaved && SaveBudget(Catalogue::budgetFileOf(text->FileName()));

    pumpMessagesExceptInput();
    m_w.editingArea->setVisible(panelShown);
    text->setWriteProtect(oldProtect);
    const bool saved = textSaved && budgetSaved;
    if (saved) {
        m_plan.PlanModified = false;
        // What the copy held is in the plan's own files now.
        autoSave->markSaved();
    }
    pumpMessagesExceptInput();
    text->setShowHidden(1);
    // The caret and the view as the user left them, once the notes take their room again:
    // a scroll position taken before would now show another part of the plan.
    text->setSelStart(selStart);
    text->setSelLength(selLength);
    text->setViewPlace(view);
    if (focused && focused->isVisible()) focused->setFocus();
    lockWindow.release();

    if (!saved) {
        // The words users know, and below them which file failed and why, so that they
        // can free space or choose another folder.
        const QString failure =
            !textSaved ? text->lastFileFailure() : m_links.budget()->lastSaveFailure();
        QString message = QStringLiteral("An error occurred when saving this plan.");
        if (!failure.isEmpty()) message += QLatin1Char('\n') + failure;
        ShowError(message);
    }
    return saved;
}

// --- The budget's places ----------------------------------------------------------------

bool PlanLifecycle::LoadBudget(const QString& fileName) {
    return m_links.budget()->LoadBudget(fileName,
                                        Catalogue::budgetFileOf(planSession().CurrentPlanFile));
}

bool PlanLifecycle::SaveBudget(const QString&) {
    // The sheet writes to its own file name, the open plan's budget since the load.
    return m_links.budget()->SaveBudget();
}

void PlanLifecycle::SelectBudgetStartCell() {
    m_links.budget()->SelectStartCell();
}
