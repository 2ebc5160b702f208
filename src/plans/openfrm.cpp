#include "plans/openfrm.h"

#include "analysis/factorfile.h"
#include "dialogs/dialogfrm.h"
#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"
#include "plans/nagfrm.h"
#include "plans/newfrm.h"
#include "plans/packagecommands.h"
#include "plans/recovery.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The navy numbered circles that lead the user through the window's steps.
QLabel* stepCircle(int n, QWidget* parent) {
    const int d = 22;
    QPixmap pm(d * 2, d * 2);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(1, 1, d - 2, d - 2));
    QFont f = parent->font();
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, d, d), Qt::AlignCenter, QString::number(n));
    p.end();
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("Step%1").arg(n));
    l->setPixmap(pm);
    l->setFixedSize(d, d);
    return l;
}

QString nameOfEdit(const char* key) {
    static const QHash<QString, QString> names = {
        {"coname", "conameedit"},     {"address1", "coaddress1edit"}, {"address2", "coaddress2edit"},
        {"address3", "coaddress3edit"}, {"address4", "coaddress4edit"}, {"address5", "coaddress5edit"},
        {"md", "comdedit"},           {"author", "coauthoredit"},     {"tel", "coteledit"},
        {"fax", "cofaxedit"},         {"created", "codateedit"},      {"p1", "prod1edit"},
        {"p2", "prod2edit"},          {"p3", "prod3edit"},            {"p4", "prod4edit"},
        {"p5", "prod5edit"},          {"c1", "compaedit"},            {"c2", "compbedit"},
        {"c3", "compcedit"},          {"sbu", "cosbuedit"}};
    return names.value(QString::fromLatin1(key));
}

const char* const kUserKeys[] = {"coname", "address1", "address2", "address3", "address4",
                                 "address5", "author",  "tel",      "fax"};

void eraseAnalysisSections(const QString& plan) {
    FactorFile::cleanPlan(plan);
}
} // namespace

Tfrmopen::Tfrmopen(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrmopen"));
    setWindowTitle(QStringLiteral("Open a plan"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    m_notebook = new QTabWidget(this);
    m_notebook->setObjectName(QStringLiteral("TabbedNotebook1"));
    m_notebook->addTab(buildCompanyPage(), QStringLiteral("Company Details"));
    m_notebook->addTab(buildProductPage(), QStringLiteral("Product Details"));
    layout->addWidget(m_notebook);

    auto* buttons = new QHBoxLayout;
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("Button1"));
    Button3 = new QPushButton(QStringLiteral("&OK"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button4"));
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(Button3);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(help, &QPushButton::clicked, this, [] { HelpSystem::instance().showContext(8); });
    connect(Button3, &QPushButton::clicked, this, &Tfrmopen::Button3Click);
    connect(cancel, &QPushButton::clicked, this, &Tfrmopen::Button4Click);
    resize(520, 500);
}

QLineEdit* Tfrmopen::addEdit(const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(250);
    return e;
}

QWidget* Tfrmopen::buildCompanyPage() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);

    auto* top = new QGridLayout;
    top->addWidget(stepCircle(1, page), 0, 0, Qt::AlignTop);
    top->addWidget(new QLabel(QStringLiteral("Select the plan you wish to edit (click on New to "
                                             "create a new plan)"),
                              page),
                   0, 1, 1, 3);
    cmbfilename = new QComboBox(page);
    cmbfilename->setObjectName(QStringLiteral("cmbfilename"));
    cmbfilename->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbfilename->setMinimumContentsLength(24);
    // A long plan name is cut short in the middle rather than widening the list.
    cmbfilename->view()->setTextElideMode(Qt::ElideMiddle);
    Newbtn = new QPushButton(QStringLiteral("&New"), page);
    Newbtn->setObjectName(QStringLiteral("Newbtn"));
    Button5 = new QPushButton(QStringLiteral("&Delete"), page);
    Button5->setObjectName(QStringLiteral("Button5"));
    top->addWidget(cmbfilename, 1, 1);
    top->addWidget(Newbtn, 1, 2);
    top->addWidget(Button5, 1, 3);
    // Plans brought from another computer or another person.
    auto* packages = new QHBoxLayout;
    auto* importButton = new QPushButton(QStringLiteral("&Import Plan Package..."), page);
    importButton->setObjectName(QStringLiteral("btnImportPackage"));
    auto* restoreButton = new QPushButton(QStringLiteral("&Restore from backup..."), page);
    restoreButton->setObjectName(QStringLiteral("btnRestoreBackup"));
    packages->addWidget(importButton);
    packages->addWidget(restoreButton);
    packages->addStretch();
    top->addLayout(packages, 2, 1, 1, 3);
    connect(importButton, &QPushButton::clicked, this,
            [this] { showImported(PackageCommands::ImportPlanPackage(this)); });
    connect(restoreButton, &QPushButton::clicked, this,
            [this] { showImported(PackageCommands::RestoreFromBackup(this)); });
    top->setColumnStretch(1, 1);
    v->addLayout(top);
    v->addSpacing(8);

    auto* head = new QHBoxLayout;
    head->addWidget(stepCircle(2, page));
    head->addWidget(new QLabel(QStringLiteral("Review the plan details"), page));
    head->addStretch();
    v->addLayout(head);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Company Name:"), addEdit("conameedit"));
    for (int i = 1; i <= 5; ++i)
        form->addRow(i == 1 ? QStringLiteral("Address:") : QString(),
                     addEdit(QStringLiteral("coaddress%1edit").arg(i)));
    form->addRow(QStringLiteral("Managing Director (or Senior Partner):"), addEdit("comdedit"));
    form->addRow(QStringLiteral("Tel:"), addEdit("coteledit"));
    form->addRow(QStringLiteral("Fax:"), addEdit("cofaxedit"));
    form->addRow(QStringLiteral("Plan Author:"), addEdit("coauthoredit"));
    auto* dateRow = new QHBoxLayout;
    QLineEdit* date = addEdit("codateedit");
    auto* cal = new QToolButton(page);
    cal->setObjectName(QStringLiteral("BitBtn1"));
    cal->setText(QStringLiteral("..."));
    cal->setToolTip(QStringLiteral("Pick the date from a calendar"));
    dateRow->addWidget(date);
    dateRow->addWidget(cal);
    form->addRow(QStringLiteral("Plan Date:"), dateRow);
    form->addRow(QStringLiteral("SBU Name:"), addEdit("cosbuedit"));
    v->addLayout(form);
    v->addStretch();

    connect(cmbfilename, &QComboBox::activated, this, &Tfrmopen::cmbfilenameChange);
    connect(Newbtn, &QPushButton::clicked, this, &Tfrmopen::NewbtnClick);
    connect(Button5, &QPushButton::clicked, this, &Tfrmopen::Button5Click);
    connect(cal, &QToolButton::clicked, this, [this, date] {
        if (openCalendar)
            openCalendar(date);
    });
    return page;
}

QWidget* Tfrmopen::buildProductPage() {
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    auto* products = new QGroupBox(QStringLiteral("Product details"), page);
    auto* pf = new QFormLayout(products);
    for (int i = 1; i <= 5; ++i)
        pf->addRow(QStringLiteral("Product / Service Line %1:").arg(i),
                   addEdit(QStringLiteral("prod%1edit").arg(i)));
    auto* competitors = new QGroupBox(QStringLiteral("Competitors"), page);
    auto* cf = new QFormLayout(competitors);
    cf->addRow(QStringLiteral("Competitor 'A':"), addEdit("compaedit"));
    cf->addRow(QStringLiteral("Competitor 'B':"), addEdit("compbedit"));
    cf->addRow(QStringLiteral("Competitor 'C':"), addEdit("compcedit"));
    auto* r3 = new QHBoxLayout;
    r3->addWidget(stepCircle(3, page), 0, Qt::AlignTop);
    r3->addWidget(products);
    auto* r4 = new QHBoxLayout;
    r4->addWidget(stepCircle(4, page), 0, Qt::AlignTop);
    r4->addWidget(competitors);
    v->addLayout(r3);
    v->addLayout(r4);
    v->addStretch();
    return page;
}

QStringList Tfrmopen::planList() const {
    QStringList out;
    for (int i = 0; i < cmbfilename->count(); ++i)
        out << cmbfilename->itemText(i);
    return out;
}

QString Tfrmopen::fieldText(const QString& editName) const {
    auto* e = findChild<QLineEdit*>(editName);
    return e ? e->text() : QString();
}
void Tfrmopen::setWindows(TfrmNew* newWindow, Tfrmopennag* nagWindow) {
    m_new = newWindow;
    m_nag = nagWindow;
}

QStringList Tfrmopen::keytextSources() const {
    QStringList out;
    for (const char* name : {"prod1edit", "prod2edit", "prod3edit", "prod4edit", "prod5edit",
                             "compaedit", "compbedit", "compcedit"})
        out << fieldText(QString::fromLatin1(name));
    return out;
}

QString Tfrmopen::companyName() const { return fieldText("conameedit"); }
QString Tfrmopen::sbuName() const { return fieldText("cosbuedit"); }

void Tfrmopen::emptyFields() {
    for (QLineEdit* e : findChildren<QLineEdit*>())
        if (e->objectName().endsWith(QLatin1String("edit")))
            e->clear();
}

void Tfrmopen::reloadList() {
    cmbfilename->clear();
    cmbfilename->addItems(Catalogue().plans());
    Button3->setEnabled(cmbfilename->count() > 0);
}

void Tfrmopen::selectEntry(int index) {
    if (index < 0 || index >= cmbfilename->count()) {
        Button3->setEnabled(cmbfilename->count() > 0);
        return;
    }
    cmbfilename->setCurrentIndex(index);
    cmbfilenameChange();
}

void Tfrmopen::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    // The drop-down list of plans widens itself to its longest name; it stays within the
    // window from the list's left edge.
    const int left = cmbfilename->mapTo(this, QPoint(0, 0)).x();
    cmbfilename->view()->window()->setMaximumWidth(std::max(width() - left, cmbfilename->width()));
}

void Tfrmopen::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void Tfrmopen::FormShow() {
    m_confirmPlanDelete = true;
    // A damaged catalogue is said so, kept as it was and listed with what can be read.
    Catalogue catalogue;
    const Catalogue::Mend mend = catalogue.mendIfDamaged();
    if (mend.damaged)
        QTimer::singleShot(0, this, [this, message = catalogue.mendMessage(mend)] {
            if (isVisible()) ShowMessageDialog(message, mtWarning, mbOK, mbOK, 0);
        });
    reloadList();
    emptyFields();
    m_notebook->setCurrentIndex(0);
    m_mayClose = true;
    planSession().CreatingPlan = false;
    selectEntry(0);
    // A package the desktop opened with the program.
    if (const QString package = PackageCommands::takePendingImport(); !package.isEmpty())
        QTimer::singleShot(0, this, [this, package] {
            if (isVisible()) showImported(PackageCommands::ImportPlanPackage(this, package));
        });
}

void Tfrmopen::showImported(const QStringList& added) {
    if (added.isEmpty()) return;
    reloadList();
    emptyFields();
    selectEntry(int(cmbfilename->findText(added.first(), Qt::MatchFixedString)));
}

void Tfrmopen::cmbfilenameChange() {
    Button3->setEnabled(cmbfilename->count() > 0);
    const QString name = cmbfilename->currentText();
    if (name.isEmpty())
        return;
    // Choosing another plan while a new one waits for its details gives the new one up:
    // OK then opens the plan chosen, with its own details.
    if (planSession().CreatingPlan && name != planSession().NewPlanName) {
        discardPendingPlan();
        selectEntry(int(cmbfilename->findText(name, Qt::MatchFixedString)));
        return;
    }
    Catalogue cat;
    if (!planSession().CreatingPlan) {
        planSession().CurrentPlanFile = cat.planTextFile(name);
        planSession().CurrentPlanName = name;
    }
    showDetails(cat.details(name));
}

void Tfrmopen::showDetails(const CompanyDetails& d) {
    for (size_t i = 0; i < d.keys().size() && d.keys()[i]; ++i)
        if (auto* e = findChild<QLineEdit*>(nameOfEdit(d.keys()[i])))
            e->setText(d.values[i]);
}

CompanyDetails Tfrmopen::detailsFromFields() const {
    CompanyDetails d;
    for (size_t i = 0; i < d.keys().size() && d.keys()[i]; ++i)
        d.values[i] = fieldText(nameOfEdit(d.keys()[i]));
    return d;
}

void Tfrmopen::prefillFromUser() {
    IniFile ini(Folders::settingsFile());
    for (const char* key : kUserKeys)
        if (auto* e = findChild<QLineEdit*>(nameOfEdit(key)))
            e->setText(ini.readString(userDetailsSection(), QString::fromLatin1(key)));
}

void Tfrmopen::rememberUser(const CompanyDetails& d) {
    try {
        IniFile ini(Folders::settingsFile());
        ini.beginBatch();
        for (const char* key : kUserKeys)
            ini.writeString(userDetailsSection(), QString::fromLatin1(key), d.value(key));
        ini.commit();
    } catch (const IniWriteError&) {
        // Only a convenience for the next new plan: the plan itself is not affected.
    }
}

// A new plan lives in the catalogue from the new-plan window's OK, and gets its files only
// when it is opened. One left behind by a second "&New" or by choosing another plan would
// stay listed for ever without files, so it goes the way Cancel takes it: out of the
// catalogue, the counter alone staying advanced.
void Tfrmopen::discardPendingPlan() {
    if (!planSession().CreatingPlan)
        return;
    const int at = cmbfilename->findText(planSession().NewPlanName, Qt::MatchFixedString);
    if (at >= 0)
        cmbfilename->setCurrentIndex(at);
    const bool confirm = m_confirmPlanDelete;
    m_confirmPlanDelete = false;
    Button5Click();
    m_confirmPlanDelete = confirm;
    planSession().CreatingPlan = false;
}

void Tfrmopen::NewbtnClick() {
    if (!m_new)
        return;
    discardPendingPlan();
    setEnabled(false);
    m_new->setPlanList(planList());
    const int result = m_new->exec();
    setEnabled(true);
    if (result == mrOk) {
        planSession().CreatingPlan = true;
        emptyFields();
        reloadList();
        const int last = cmbfilename->findText(planSession().NewPlanName, Qt::MatchFixedString);
        selectEntry(last >= 0 ? last : cmbfilename->count() - 1);
        prefillFromUser();
    } else {
        planSession().CreatingPlan = false;
    }
}

void Tfrmopen::Button5Click() {
    if (cmbfilename->count() == 0)
        return;
    const QString name = planSession().CreatingPlan && !m_confirmPlanDelete ? planSession().NewPlanName
                                                                         : cmbfilename->currentText();
    if (m_confirmPlanDelete &&
        ShowMessageDialog(QStringLiteral("Deleted plans cannot be recovered.\nContinue?"), mtWarning,
                          mbYes | mbNo, mbNo, 0) != mrYes)
        return;
    // The plan waiting for its details is no longer being made once it is deleted.
    if (planSession().CreatingPlan && name == planSession().NewPlanName)
        planSession().CreatingPlan = false;
    try {
        eraseAnalysisSections(name);
        Catalogue cat;
        const QString textFile = cat.planTextFile(name);
        const bool numberOk = Catalogue::isPlanNumberText(cat.fileNumberText(name));
        cat.removePlan(name);
        if (!textFile.isEmpty()) {
            QFile::remove(textFile);
            QFile::remove(Catalogue::budgetFileOf(textFile));
            Recovery::remove(Recovery::numberOfPlanFile(textFile));
        } else if (m_confirmPlanDelete && !numberOk) {
            ShowMessageDialog(QStringLiteral("The files of the plan \"%1\" cannot be found. Its "
                                             "entry has been removed from the list of plans.")
                                  .arg(name),
                              mtWarning, mbOK, mbOK, 0);
        }
    } catch (const IniWriteError& e) {
        ShowError(e.message());
    }
    reloadList();
    emptyFields();
    selectEntry(0);
}

void Tfrmopen::Button3Click() {
    if (sbuName().isEmpty() || companyName().isEmpty()) {
        m_mayClose = false;
        if (m_nag)
            m_nag->exec();
        return;
    }
    if (planSession().CreatingPlan) {
        planSession().CurrentPlanName = planSession().NewPlanName;
        planSession().CurrentPlanFile = planSession().NewPlanFile;
    } else {
        if (planSession().CurrentPlanFile.isEmpty()) {
            m_mayClose = false;
            ShowError(QStringLiteral("The files of the plan \"%1\" cannot be found.")
                          .arg(planSession().CurrentPlanName));
            return;
        }
        planSession().BasePlanFile = planSession().CurrentPlanFile;
    }
    const int idx = cmbfilename->findText(planSession().CurrentPlanName, Qt::MatchFixedString);
    if (idx >= 0)
        cmbfilename->setCurrentIndex(idx);
    const CompanyDetails d = detailsFromFields();
    try {
        Catalogue().writeDetails(planSession().CurrentPlanName, d);
    } catch (const IniWriteError& e) {
        m_mayClose = false;
        ShowError(e.message());
        return;
    }
    rememberUser(d);
    m_mayClose = true;
    done(mrOk);
}

void Tfrmopen::Button4Click() {
    discardPendingPlan();
    m_mayClose = true;
    done(mrCancel);
}

void Tfrmopen::closeEvent(QCloseEvent* e) {
    if (!m_mayClose) {
        e->ignore();
        return;
    }
    // The close box is Cancel: a plan being created must not be left in the catalogue
    // without files.
    e->ignore();
    Button4Click();
}

void Tfrmopen::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        if (m_mayClose)
            Button4Click();
        return;
    }
    QDialog::keyPressEvent(e);
}
