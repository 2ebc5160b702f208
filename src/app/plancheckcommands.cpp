#include "app/plancheckcommands.h"

#include "app/editfrm.h"
#include "app/settings.h"
#include "controls/text/textcontrol.h"
#include "plans/catalogue.h"
#include "plans/checkfrm.h"
#include "plans/navigator.h"
#include "plans/planreminder.h"
#include "plans/plansession.h"
#include "plans/progressmarks.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/repaintlock.h"
#include "widgets/toolpanel.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileInfo>
#include <QMenu>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>

PlanCheckCommands::PlanCheckCommands(TfrmEdit* window)
    : QObject(window), w(window), m_progress(new PlanProgress(*window->ATX321, this)),
      m_check(*m_progress, *window->ATX321) {
    m_check.setSpeller(w->Spell);
    m_check.setAnalysisSections({17, 19, 21, 23});
    m_marks = new ProgressMarks(*m_progress, *w->Outline1, w->Statusbar1, this);
    connect(m_progress, &PlanProgress::refreshed, this, [this] {
        if (m_open) m_marks->update();
    });

    // The outline may be built (or rebuilt by the template builder) after this.
    m_outlineChanged.setSingleShot(true);
    m_outlineChanged.setInterval(0);
    connect(&m_outlineChanged, &QTimer::timeout, this, &PlanCheckCommands::outlineChanged);
    QStandardItemModel* model = w->navigator()->model();
    auto later = [this] { m_outlineChanged.start(); };
    connect(model, &QAbstractItemModel::modelReset, this, later);
    connect(model, &QAbstractItemModel::rowsInserted, this, later);
    connect(model, &QAbstractItemModel::rowsRemoved, this, later);
    outlineChanged();

    m_window = new TfrmCheckPlan(m_check, *m_progress, w);
    m_window->setSectionTitles([this](int n) { return w->navigator()->itemText(n); });
    m_window->setGoTo([this](const CheckEntry& e) { goTo(e); });

    mnuCheckPlan = new QAction(QStringLiteral("Chec&k Plan..."), w);
    mnuCheckPlan->setObjectName(QStringLiteral("mnuCheckPlan"));
    mnuCheckPlan->setIcon(checkPlanIcon());
    QAction* line = w->menus().mnuPlan->addSeparator();
    line->setObjectName(QStringLiteral("NCheckPlan"));
    w->menus().mnuPlan->addAction(mnuCheckPlan);
    connect(mnuCheckPlan, &QAction::triggered, this, &PlanCheckCommands::mnuCheckPlanClick);

    // Beside the spelling button, like the toolbar's other buttons.
    cmdCheckPlan = new QToolButton(w->docStandard);
    cmdCheckPlan->setObjectName(QStringLiteral("cmdCheckPlan"));
    cmdCheckPlan->setIcon(checkPlanIcon());
    cmdCheckPlan->setIconSize(QSize(16, 16));
    cmdCheckPlan->setAutoRaise(true);
    cmdCheckPlan->setFixedSize(24, 23);
    cmdCheckPlan->setToolTip(QStringLiteral("Check Plan"));
    cmdCheckPlan->setStatusTip(QStringLiteral("Check Plan"));
    cmdCheckPlan->setFocusPolicy(Qt::NoFocus);
    if (auto* row = qobject_cast<QBoxLayout*>(w->docStandard->layout()))
        row->insertWidget(row->indexOf(w->cmdSpell) + 1, cmdCheckPlan);
    connect(cmdCheckPlan, &QToolButton::clicked, this, &PlanCheckCommands::mnuCheckPlanClick);
    mnuCheckPlan->setEnabled(false);
    cmdCheckPlan->setEnabled(false);
}

void PlanCheckCommands::outlineChanged() {
    Navigator* nav = w->navigator();
    m_progress->setSectionCount(nav->itemCount());
    int budget = 0;
    for (int n = 1; n <= nav->itemCount() && budget == 0; ++n)
        if (nav->itemText(n) == Navigator::budgetItemText()) budget = n;
    m_check.setBudget(budget, m_budget);
    if (m_open) m_progress->invalidateAll();
}

void PlanCheckCommands::SetBudgetFacts(BudgetFactsProvider facts) {
    m_budget = std::move(facts);
    outlineChanged();
}

void PlanCheckCommands::BudgetChanged() {
    if (m_window->isVisible()) m_window->Recheck();
}

void PlanCheckCommands::loadTemplate() {
    // The original plan every new plan starts from.
    const QString file = Folders::resolve(Folders::userDataFolder() + QStringLiteral("1.mp"));
    const QDateTime time = QFileInfo(file).lastModified();
    if (file == m_templateFile && time == m_templateTime && !m_progress->planTemplate().isEmpty())
        return;
    m_templateFile = file;
    m_templateTime = time;
    m_progress->setTemplate(PlanTemplate::fromFile(file));
}

void PlanCheckCommands::SetPlanOpen(bool open) {
    m_open = open;
    mnuCheckPlan->setEnabled(open);
    cmdCheckPlan->setEnabled(open);
    if (open) {
        loadTemplate();
        // The names the load filled the placeholders with, as the open window stored them.
        const CompanyDetails details = Catalogue().details(planSession().CurrentPlanName);
        m_progress->setPlaceholderNames(details.value("coname"), details.value("sbu"));
        m_progress->setActive(true);
    } else {
        m_progress->setActive(false);
        m_marks->clear();
        m_window->hide();
    }
}

void PlanCheckCommands::mnuCheckPlanClick() {
    if (!m_open) return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool PlanCheckCommands::ReminderOn() {
    const IniFile ini(Folders::settingsFile());
    return ini.readInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 1) != 0;
}

bool PlanCheckCommands::BeforePlanLeaves() {
    if (!m_open || !ReminderOn()) return true;
    m_progress->refresh();
    return RemindOfTemplatePrompts(m_progress->sectionsWithPrompts(), w,
                                   [this] { mnuCheckPlanClick(); });
}

// As the navigator goes there: the caret at the place, the outline and the guidance
// following it, a prompt selected whole so that typing replaces it.
void PlanCheckCommands::goTo(const CheckEntry& entry) {
    if (!m_open) return;
    TextControl* text = w->ATX321;
    w->raise();
    w->activateWindow();
    RepaintLock lock(text);
    // From the end of the text, moving the caret back brings its line to the top of the
    // view, as the navigator shows a section.
    // (One move of the caret only: each move brings the caret into view again.)
    text->setScrollVert(text->EndScrollPos());
    if (entry.kind == CheckEntry::Prompt) {
        // Inside the prompt, as a click there would leave the caret.
        text->setSelStart(entry.place.start + 1);
    } else {
        text->setSelStart(entry.place.start);
        if (entry.place.end > entry.place.start)
            text->setSelLength(entry.place.end - entry.place.start);
    }
    w->navigator()->SectionSync(text, Navigator::CaretMoved);
    if (!w->navigator()->BudgetShown()) text->setFocus();
}
