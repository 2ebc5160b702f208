#include "app/commandline.h"

#include "app/editfrm.h"
#include "app/exportcommands.h"
#include "app/settings.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"
#include "plans/catalogue.h"
#include "plans/lifecycle.h"
#include "plans/navigator.h"
#include "plans/navstructure.h"
#include "plans/packagecommands.h"
#include "plans/planpackage.h"
#include "plans/planheader.h"
#include "platform/datafolderlock.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "printing/planexport.h"
#include "printing/planprint.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#ifndef TANDEL_VERSION
#define TANDEL_VERSION "1.0"
#endif

namespace CommandLine {

namespace {

const QString kProgram = QStringLiteral("tandel");

void writeTo(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// One message to standard error, in the program's words: the first line after the
// program's name, any further lines (the file and the reason) as they are.
void complain(const QString& message) {
    writeTo(stderr, kProgram + QStringLiteral(": ") + message + QLatin1Char('\n'));
}

int fail(int status, const QString& message) {
    complain(message);
    return status;
}

const char* const kExitStatus =
    "Exit status:\n"
    "  0  Done.\n"
    "  1  An option is unknown, lacks its value or does not go with the others.\n"
    "  2  There is no such plan in the catalogue.\n"
    "  3  The plan's text or budget cannot be read.\n"
    "  4  The export file could not be written.\n"
    "  5  There is no export format for the file's ending.\n"
    "  6  The plan package cannot be imported: it is damaged or refused, or a plan's name is\n"
    "     taken.\n"
    "  7  Another copy of the program is working on the plans.\n";

const char* const kExamples =
    "Examples:\n"
    "  tandel --list-plans\n"
    "  tandel --export plan.pdf --plan \"Acme Ltd\" --with-budget\n"
    "  tandel --export budget.xlsx --plan-file 3\n"
    "  tandel --export plan.pdf --plan \"Acme Ltd\" --paper Letter --landscape --margins 0.75\n"
    "  tandel --export acme.tzplan --plan \"Acme Ltd\"\n"
    "  tandel --import acme.tzplan --plan \"Acme Ltd 2\"\n";

enum class Kind { Plan, Budget, Package };

struct Ending {
    Kind kind;
    QString suffix; // lower case
    bool pdf() const { return suffix == QLatin1String("pdf"); }
};

// The formats File > Export writes, by the file's ending (without regard to case): the
// plan's from "P&lan...", the budget's from "&Cashflow...", with tab-separated text
// named .tsv here since .txt is the plan's.
std::optional<Ending> endingOf(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    for (const char* plan : {"pdf", "odt", "docx", "rtf", "txt"})
        if (suffix == QLatin1String(plan)) return Ending{Kind::Plan, suffix};
    for (const char* budget : {"xlsx", "xls", "tsv"})
        if (suffix == QLatin1String(budget)) return Ending{Kind::Budget, suffix};
    if (suffix == PlanPackage::suffix()) return Ending{Kind::Package, suffix};
    return std::nullopt;
}

// A paper size by its Windows code or its name ("A4", "Letter", "Legal"...); 0 when
// there is none.
int paperCodeOf(const QString& text) {
    bool number = false;
    const int code = text.toInt(&number);
    if (number) return PrinterInfo::pageSizeForCode(code).isValid() ? code : 0;
    for (int c = 1; c < PrinterInfo::kUserPaper; ++c) {
        const QPageSize size = PrinterInfo::pageSizeForCode(c);
        if (!size.isValid()) continue;
        if (size.key().compare(text, Qt::CaseInsensitive) == 0 ||
            size.name().compare(text, Qt::CaseInsensitive) == 0)
            return c;
    }
    return 0;
}

// A margin in inches as the options give it; nothing for text that is no such number.
std::optional<double> marginOf(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 20) return std::nullopt;
    return value;
}

// The navigator's items, for the PDF's bookmarks, as the main window's navigator reads
// them from the shipped structure.
QList<PdfSection> sectionsOfNavigator() {
    QList<PdfSection> sections;
    QFile file(Folders::resolve(Folders::shippedDataFolder() + QStringLiteral("mp.nav")));
    if (!file.open(QIODevice::ReadOnly)) return sections;
    const NavStructure nav = parseNavStructure(file.readAll());
    int n = 0;
    for (const NavItem& item : nav.items) {
        ++n;
        PdfSection s;
        s.title = item.text;
        s.depth = item.depth;
        s.tag = Navigator::sectionTagOf(n);
        s.budget = s.title == Navigator::budgetItemText();
        sections << s;
    }
    return sections;
}

// Page setup's "Contents page", read without making the settings' folder.
bool contentsPageWanted() {
    const QString file = Folders::settingsFile(false);
    if (!QFileInfo::exists(file)) return true;
    return IniFile(file).readInteger(Settings::MainSection, Settings::ContentsPageKey, 1) != 0;
}

// The margins of a plan whose file carries none: those of the settings, read without
// making the settings' folder.
Settings::Margins defaultMargins() {
    using namespace Settings;
    const QString file = Folders::settingsFile(false);
    Margins m;
    if (!QFileInfo::exists(file)) return m;
    const IniFile ini(file);
    m.Left = marginFromText(ini.readString(MainSection, "MarginL", "1"));
    m.Right = marginFromText(ini.readString(MainSection, "MarginR", "1"));
    m.Top = marginFromText(ini.readString(MainSection, "MarginT", "1"));
    m.Bottom = marginFromText(ini.readString(MainSection, "MarginB", "1"));
    return m;
}

int listPlans() {
    const Catalogue catalogue;
    QString out;
    for (const QString& name : catalogue.plans()) {
        const QString number = catalogue.fileNumberText(name);
        const QString file = catalogue.planTextFile(name);
        const QFileInfo info(file);
        const QString saved =
            !file.isEmpty() && info.isFile()
                ? info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                : QString();
        out += name + QLatin1Char('\t') + number + QLatin1Char('\t') + saved + QLatin1Char('\n');
    }
    writeTo(stdout, out);
    return Done;
}

// What an export asks for, once the options have been checked.
struct ExportRequest {
    QString file;
    Ending ending{Kind::Plan, QString()};
    QString planName;  // --plan
    QString planFile;  // --plan-file
    bool withBudget = false;
    int paperCode = 0; // 0: the plan's own
    int orientation = 0;
    std::optional<double> margins[4]; // left, right, top, bottom
    bool pageOptions() const {
        return paperCode || orientation || margins[0] || margins[1] || margins[2] || margins[3];
    }
};

// The plan to export: its name in the catalogue (empty for a file the catalogue does not
// list) and its text file.
struct PlanToExport {
    QString name;
    QString textFile;
};

int findPlan(const ExportRequest& r, PlanToExport* plan) {
    const Catalogue catalogue;
    const QStringList names = catalogue.plans();
    if (!r.planName.isEmpty()) {
        for (const QString& name : names)
            if (name == r.planName) plan->name = name;
        if (plan->name.isEmpty())
            for (const QString& name : names)
                if (name.compare(r.planName, Qt::CaseInsensitive) == 0) plan->name = name;
        if (plan->name.isEmpty())
            return fail(UnknownPlan,
                        QStringLiteral("There is no plan called \"%1\" in the plan list.\n"
                                       "tandel --list-plans lists the plans.")
                            .arg(r.planName));
        plan->textFile = catalogue.planTextFile(plan->name);
        if (plan->textFile.isEmpty())
            return fail(UnreadablePlan,
                        QStringLiteral("The plan \"%1\" cannot be read: the plan list gives it "
                                       "no file number.")
                            .arg(plan->name));
        return Done;
    }
    const int number = r.planFile.toInt();
    for (const QString& name : names) {
        const QString n = catalogue.fileNumberText(name);
        if (Catalogue::isPlanNumberText(n) && n.toInt() == number) {
            plan->name = name;
            break;
        }
    }
    plan->textFile = Folders::resolve(Folders::userDataFolder() + QString::number(number) +
                                      QStringLiteral(".mp"));
    // A plan file the list does not name (the original plan) is exported all the same.
    if (plan->name.isEmpty() && !QFileInfo(plan->textFile).isFile())
        return fail(UnknownPlan,
                    QStringLiteral("There is no plan with the file number %1.\n"
                                   "tandel --list-plans lists the plans.")
                        .arg(number));
    return Done;
}

// A plan package of a listed plan: everything of it that File > "Export Plan Package..."
// takes.
int exportPackage(const ExportRequest& r, const PlanToExport& plan) {
    if (plan.name.isEmpty())
        return fail(UnknownPlan, QStringLiteral("The plan file %1 is not in the plan list: only the "
                                                "plans listed go into a plan package.")
                                     .arg(QFileInfo(plan.textFile).fileName()));
    if (!QFileInfo(plan.textFile).isFile())
        return fail(UnreadablePlan, QStringLiteral("The plan \"%1\" has not been saved yet, so "
                                                   "there is nothing of it to put in a package.")
                                        .arg(plan.name));
    QString error;
    if (!PlanPackage::exportPlan(plan.name, r.file, &error)) {
        const bool unreadable = !error.startsWith(QStringLiteral("The plan package could not"));
        return fail(unreadable ? UnreadablePlan : UnwritableFile, error);
    }
    return Done;
}

// Adds the package's plans; `name` names a single plan afresh. A restore of a backup adds
// the plans whose names are free and says which it left.
int importPackage(const QString& file, const QString& name) {
    if (!Folders::seedUserFolder())
        return fail(UnwritableFile, QStringLiteral("The folder for your plans cannot be made: %1")
                                        .arg(QDir::toNativeSeparators(Folders::userFolder())));
    const QString data = Folders::dataFolder();
    QDir().mkpath(data);
    if (DataFolderLock::acquire(data) == DataFolderLock::Result::HeldByOther) {
        const QString who = DataFolderLock::holder(data);
        return fail(FolderInUse,
                    QStringLiteral("Another copy of the program is working on the plans%1. Please "
                                   "import the package there, or close it and try again.")
                        .arg(who.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(who)));
    }
    const auto unlock = qScopeGuard([] { DataFolderLock::release(); });
    const PlanPackage::ReadResult read = PlanPackage::readFile(file);
    if (!read.ok) return fail(RefusedPackage, read.error);
    if (!name.isEmpty() && read.package.plans.size() != 1)
        return fail(BadOption, QStringLiteral("--plan names the plan of a package that holds one plan; "
                                              "this one holds %1.")
                                   .arg(read.package.plans.size()));
    PlanPackage::Package package = read.package;
    if (!name.isEmpty()) package.plans.first().name = name;
    QString refused;
    const PlanPackage::ImportResult done = PlanPackage::import(
        package, [&](const QString& taken, const QString& problem, bool maySkip) {
            if (maySkip) return PlanPackage::Choice{PlanPackage::Choice::Skip, {}};
            refused = QStringLiteral("The plan \"%1\" cannot be added under that name: %2\n"
                                     "Give it another with --plan <name>. Nothing has been changed.")
                          .arg(taken, problem);
            return PlanPackage::Choice{};
        });
    if (done.cancelled) return fail(RefusedPackage, refused);
    if (!done.ok) return fail(UnwritableFile, done.error);
    QString out;
    for (const QString& added : done.added) out += QStringLiteral("added\t") + added + QLatin1Char('\n');
    for (const QString& skipped : done.skipped)
        out += QStringLiteral("skipped\t") + skipped + QStringLiteral("\tthe name is taken\n");
    writeTo(stdout, out);
    return Done;
}

int exportPlan(const ExportRequest& r) {
    // Whatever would be shown in a window goes to standard error instead: nothing may wait
    // for a click that cannot come.
    QString said;
    setMessageSink([&said](const QString& message, int) {
        complain(message);
        said += message;
    });
    const auto restore = qScopeGuard([] { setMessageSink({}); });

    PlanToExport plan;
    if (const int status = findPlan(r, &plan); status != Done) return status;
    if (r.ending.kind == Kind::Package) return exportPackage(r, plan);
    const QString shownName = plan.name.isEmpty() ? QFileInfo(plan.textFile).fileName()
                                                  : QStringLiteral("\"%1\"").arg(plan.name);

    // The plan as its load reads it, in this process alone: the text without its header,
    // the header's page setup, the placeholders filled. Nothing is saved.
    TextControl text;
    TextControl footer;
    SheetControl sheet;
    PlanPrinting printing(text, footer, nullptr);
    printing.setSections(sectionsOfNavigator);
    printing.setContentsPage(contentsPageWanted());
    if (!text.loadFile(plan.textFile, TextControl::NativeRtf))
        return fail(UnreadablePlan, QStringLiteral("The plan %1 cannot be read.\n%2")
                                        .arg(shownName, text.lastFileError()));
    if (!text.lastFileComplete())
        complain(QStringLiteral("The plan %1 is damaged: its file ends early. What could be "
                                "read is exported.")
                     .arg(shownName));
    const PlanHeader::Parsed header = PlanHeader::parse(PlanLifecycle::takeHeaderText(text));
    // The names the open window gives the load; a file the plan list does not name (the
    // original plan) has none, and keeps its placeholders.
    const CompanyDetails details =
        plan.name.isEmpty() ? CompanyDetails() : Catalogue().details(plan.name);
    if (!plan.name.isEmpty())
        PlanLifecycle::replacePlaceholders(text, details.value("coname"), details.value("sbu"));
    text.setSelStart(0);
    text.setSelLength(0);

    PrinterInfo& printer = PrinterInfo::instance();
    if (header.pageOk && printer.setPaperSize(header.settings.paperSize))
        printer.setOrientation(header.settings.orientation);
    if (r.paperCode) printer.setPaperSize(r.paperCode);
    if (r.orientation) printer.setOrientation(r.orientation);

    PageGeometry geometry;
    if (header.marginsOk) {
        geometry.left = header.settings.left;
        geometry.right = header.settings.right;
        geometry.top = header.settings.top;
        geometry.bottom = header.settings.bottom;
    } else {
        const Settings::Margins m = defaultMargins();
        geometry.left = m.Left;
        geometry.right = m.Right;
        geometry.top = m.Top;
        geometry.bottom = m.Bottom;
    }
    double* const margins[4] = {&geometry.left, &geometry.right, &geometry.top,
                                &geometry.bottom};
    for (int i = 0; i < 4; ++i)
        if (r.margins[i]) *margins[i] = *r.margins[i];
    const QSizeF page = printer.printablePageInches();
    geometry.fitTo(page);
    // The page setup window's own check, for a page set up here.
    if (r.pageOptions() && (geometry.left + geometry.right + 0.1 > page.width() ||
                            geometry.top + geometry.bottom + 0.1 > page.height()))
        return fail(BadOption, QStringLiteral("The margins overlap or they are off the paper.\n"
                                              "Enter a different margin size."));

    const bool needsBudget = r.ending.kind == Kind::Budget || r.withBudget;
    if (needsBudget) {
        int type = SheetControl::NativeFile;
        const QString budgetFile = Catalogue::budgetFileOf(plan.textFile);
        if (!sheet.Read(budgetFile, type)) {
            QString message =
                QStringLiteral("The budget of the plan %1 cannot be read.").arg(shownName);
            if (!sheet.lastError().isEmpty()) message += QLatin1Char('\n') + sheet.lastError();
            return fail(UnreadablePlan, message);
        }
    }

    // The same writers as File > Export, on this plan instead of the main window's.
    ExportLinks links;
    links.text = &text;
    links.sheet = needsBudget ? &sheet : nullptr;
    links.printing = [&printing]() -> PlanPrinting& { return printing; };
    links.geometry = [geometry] { return geometry; };
    links.sections = [] { return sectionsOfNavigator(); };
    links.info = [&plan, &details] {
        return ExportCommands::planInfo(plan.name, details.value("author"), details.value("coname"));
    };
    ExportCommands commands(std::move(links));
    bool written = false;
    if (r.ending.kind == Kind::Budget)
        written = commands.ExportBudget(r.file);
    else if (r.ending.pdf())
        written = commands.ExportPlanPdf(r.file, r.withBudget);
    else if (r.ending.suffix == QLatin1String("odt"))
        written = commands.ExportPlanOdt(r.file);
    else if (r.ending.suffix == QLatin1String("docx"))
        written = commands.ExportPlanDocx(r.file);
    else
        written = commands.ExportPlanText(r.file);
    if (!written) {
        // Which file and why, when the control that wrote knows and the message did not
        // say so already.
        const QString why =
            r.ending.kind == Kind::Budget ? sheet.lastFailure() : text.lastFileFailure();
        if (!why.isEmpty() && !said.contains(why)) writeTo(stderr, why + QLatin1Char('\n'));
        return UnwritableFile;
    }
    return Done;
}

} // namespace

bool worksWithoutWindows(int argc, char** argv) {
    // The program's own options are long ones; Qt's own (-platform, -style ...) take one
    // dash and go with the windows.
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "-h") == 0 || std::strcmp(a, "-?") == 0 || std::strcmp(a, "-v") == 0)
            return true;
        if (std::strncmp(a, "--", 2) == 0 && std::strcmp(a, "--") != 0 &&
            std::strcmp(a, "--builder") != 0)
            return true;
    }
    return false;
}

void prepareWithoutWindows() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler toolkit = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
        if (type != QtCriticalMsg && type != QtFatalMsg) return;
        if (toolkit) toolkit(type, context, message);
        else writeTo(stderr, message + QLatin1Char('\n'));
    });
}

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        TfrmEdit::ApplicationTitle() +
        QStringLiteral(": write a small business's marketing plan.\n\n"
                       "Without options the program starts its windows. --list-plans and "
                       "--export work without a display and show no window; an export writes "
                       "nothing but its file, and the plan, the plan list and the settings stay "
                       "as they are. --import adds the plans of a plan package, all of them or "
                       "none. A plan package (.tzplan) named alone starts the windows with its "
                       "import."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption builder(QStringLiteral("builder"),
                                     QStringLiteral("Offer the builder toolbar, with which the "
                                                    "template's navigator is made."));
    const QCommandLineOption list(QStringLiteral("list-plans"),
                                  QStringLiteral("List the plans: name, file number and when "
                                                 "last saved, separated by tabs, one a line."));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("Export a plan to <file>, in the format of its ending: the plan as .pdf "
                       "(with bookmarks), .odt, .docx, .rtf or .txt; the budget as .xlsx, .xls or "
                       ".tsv; the plan with its budget, details and analyses as a plan package, "
                       ".tzplan."),
        QStringLiteral("file"));
    const QCommandLineOption plan(QStringLiteral("plan"),
                                  QStringLiteral("The plan to export, by its name (with --import, "
                                                 "the name to give the imported plan)."),
                                  QStringLiteral("name"));
    const QCommandLineOption planFile(QStringLiteral("plan-file"),
                                      QStringLiteral("The plan to export, by its file number."),
                                      QStringLiteral("number"));
    const QCommandLineOption withBudget(QStringLiteral("with-budget"),
                                        QStringLiteral("Add the budget's pages to a PDF of the "
                                                       "plan."));
    const QCommandLineOption paper(QStringLiteral("paper"),
                                   QStringLiteral("Paper size for a PDF of the plan: A4, A5, "
                                                  "Letter, Legal... or a Windows paper code."),
                                   QStringLiteral("size"));
    const QCommandLineOption landscape(QStringLiteral("landscape"),
                                       QStringLiteral("Lay a PDF of the plan out in landscape."));
    const QCommandLineOption portrait(QStringLiteral("portrait"),
                                      QStringLiteral("Lay a PDF of the plan out in portrait."));
    const QCommandLineOption margins(QStringLiteral("margins"),
                                     QStringLiteral("All four margins of a PDF of the plan, "
                                                    "in inches."),
                                     QStringLiteral("inches"));
    const QCommandLineOption left(QStringLiteral("left-margin"),
                                  QStringLiteral("The left margin, in inches."),
                                  QStringLiteral("inches"));
    const QCommandLineOption right(QStringLiteral("right-margin"),
                                   QStringLiteral("The right margin, in inches."),
                                   QStringLiteral("inches"));
    const QCommandLineOption top(QStringLiteral("top-margin"),
                                 QStringLiteral("The top margin, in inches."),
                                 QStringLiteral("inches"));
    const QCommandLineOption bottom(QStringLiteral("bottom-margin"),
                                    QStringLiteral("The bottom margin, in inches."),
                                    QStringLiteral("inches"));
    const QCommandLineOption importFrom(
        QStringLiteral("import"),
        QStringLiteral("Add the plans of the plan package <file> (.tzplan) as new plans; with "
                       "--plan, its one plan under that name. A backup's plans whose names are "
                       "taken are left out."),
        QStringLiteral("file"));
    parser.addOptions({builder, list, exportTo, importFrom, plan, planFile, withBudget, paper,
                       landscape, portrait, margins, left, right, top, bottom});

    if (!parser.parse(arguments))
        return fail(BadOption, parser.errorText() + QStringLiteral("\ntandel --help lists the "
                                                                   "options."));
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        writeTo(stdout, parser.helpText() + QLatin1Char('\n') + QLatin1String(kExitStatus) +
                            QLatin1Char('\n') + QLatin1String(kExamples));
        return Done;
    }
    if (parser.isSet(version)) {
        writeTo(stdout, TfrmEdit::ApplicationTitle() + QLatin1Char(' ') +
                            QStringLiteral(TANDEL_VERSION) + QLatin1Char('\n'));
        return Done;
    }
    // A plan package opened from the file manager: the windows start with its import.
    const QStringList positional = parser.positionalArguments();
    if (positional.size() == 1 && arguments.size() == 2 &&
        QFileInfo(positional.first()).suffix().compare(PlanPackage::suffix(), Qt::CaseInsensitive) == 0) {
        PackageCommands::setPendingImport(QFileInfo(positional.first()).absoluteFilePath());
        return StartWindows;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(BadOption, QStringLiteral("The program opens no file named on the command "
                                              "line: %1\ntandel --help lists the options.")
                                   .arg(parser.positionalArguments().join(QLatin1Char(' '))));

    const QList<const QCommandLineOption*> exportOnly = {&plan,     &planFile, &withBudget,
                                                         &paper,    &landscape, &portrait,
                                                         &margins,  &left,     &right,
                                                         &top,      &bottom};
    auto nameOf = [](const QCommandLineOption& o) { return QStringLiteral("--") + o.names().first(); };

    if (parser.isSet(importFrom)) {
        if (parser.isSet(exportTo) || parser.isSet(builder) || parser.isSet(list))
            return fail(BadOption, QStringLiteral("--import goes with no other option but --plan."));
        for (const QCommandLineOption* o : exportOnly)
            if (o != &plan && parser.isSet(*o))
                return fail(BadOption, QStringLiteral("--import goes with no other option but --plan."));
        if (parser.values(importFrom).size() > 1 || parser.values(plan).size() > 1)
            return fail(BadOption, QStringLiteral("--import takes one package at a time."));
        if (parser.value(importFrom).isEmpty())
            return fail(BadOption, QStringLiteral("--import needs a file name."));
        if (parser.isSet(plan) && parser.value(plan).isEmpty())
            return fail(BadOption, QStringLiteral("--plan needs a name."));
        return importPackage(parser.value(importFrom), parser.value(plan));
    }
    if (parser.isSet(list)) {
        if (parser.isSet(exportTo) || parser.isSet(builder))
            return fail(BadOption, QStringLiteral("--list-plans goes with no other option."));
        for (const QCommandLineOption* o : exportOnly)
            if (parser.isSet(*o))
                return fail(BadOption, QStringLiteral("--list-plans goes with no other option."));
        return listPlans();
    }
    if (!parser.isSet(exportTo)) {
        for (const QCommandLineOption* o : exportOnly)
            if (parser.isSet(*o))
                return fail(BadOption, QStringLiteral("%1 goes only with --export.").arg(nameOf(*o)));
        return StartWindows;
    }

    // An export.
    if (parser.isSet(builder))
        return fail(BadOption, QStringLiteral("--builder goes only with the windows, not with "
                                              "--export."));
    ExportRequest r;
    r.file = parser.value(exportTo);
    if (r.file.isEmpty()) return fail(BadOption, QStringLiteral("--export needs a file name."));
    if (parser.isSet(plan) == parser.isSet(planFile))
        return fail(BadOption, QStringLiteral("--export needs the plan: --plan <name> or "
                                              "--plan-file <number>, one of them."));
    for (const QCommandLineOption* o : exportOnly)
        if (o->valueName().size() && parser.values(*o).size() > 1)
            return fail(BadOption, QStringLiteral("%1 is given more than once.").arg(nameOf(*o)));
    if (parser.isSet(plan)) {
        r.planName = parser.value(plan);
        if (r.planName.isEmpty()) return fail(BadOption, QStringLiteral("--plan needs a name."));
    } else {
        r.planFile = parser.value(planFile);
        if (!Catalogue::isPlanNumberText(r.planFile))
            return fail(BadOption, QStringLiteral("--plan-file needs a plan's file number, a "
                                                  "whole number above 0: %1")
                                       .arg(r.planFile));
    }
    if (parser.isSet(landscape) && parser.isSet(portrait))
        return fail(BadOption, QStringLiteral("--landscape and --portrait do not go together."));
    if (parser.isSet(paper)) {
        r.paperCode = paperCodeOf(parser.value(paper).trimmed());
        if (!r.paperCode)
            return fail(BadOption, QStringLiteral("There is no paper size called \"%1\".")
                                       .arg(parser.value(paper)));
    }
    if (parser.isSet(landscape)) r.orientation = PrinterInfo::kLandscape;
    if (parser.isSet(portrait)) r.orientation = PrinterInfo::kPortrait;
    const QCommandLineOption* marginOptions[4] = {&left, &right, &top, &bottom};
    for (int i = 0; i < 4; ++i) {
        const QCommandLineOption& o = parser.isSet(*marginOptions[i]) ? *marginOptions[i] : margins;
        if (!parser.isSet(o)) continue;
        r.margins[i] = marginOf(parser.value(o));
        if (!r.margins[i])
            return fail(BadOption, QStringLiteral("%1 needs a margin in inches, from 0 to 20: %2")
                                       .arg(nameOf(o), parser.value(o)));
    }
    r.withBudget = parser.isSet(withBudget);

    const std::optional<Ending> ending = endingOf(r.file);
    if (!ending)
        return fail(UnknownEnding,
                    QStringLiteral("There is no export format for the ending of %1.\nThe plan "
                                   "is exported as .pdf, .odt, .docx, .rtf or .txt, the budget as "
                                   ".xlsx, .xls or .tsv, a plan package as .tzplan.")
                        .arg(r.file));
    r.ending = *ending;
    if (r.withBudget && !r.ending.pdf())
        return fail(BadOption, QStringLiteral("--with-budget goes only with a PDF of the plan."));
    if (r.pageOptions() && !r.ending.pdf())
        return fail(BadOption, QStringLiteral("--paper, --landscape, --portrait and the margins "
                                              "go only with a PDF of the plan."));

    return exportPlan(r);
}

} // namespace CommandLine
