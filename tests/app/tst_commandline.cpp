// The command line end to end: the built program run as a child process from a program
// folder of its own (the program beside a copy of the built data), listing the catalogue
// and exporting a plan and its budget, each file read back by another program (poppler,
// LibreOffice) or our own reader; every error with its exit status; and the plan, the
// catalogue and the user's folders byte for byte as they were after an export.
//
// The children are started with a platform that needs a display and no display at all:
// listing and exporting must choose the offscreen platform themselves.

#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "plans/catalogue.h"
#include "plans/navigator.h"
#include "plans/navstructure.h"
#include "plans/planheader.h"
#include "platform/folders.h"
#include "support/libreoffice.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <unistd.h>

namespace {

const QString kClosing = QStringLiteral("ClosingWordsZeta");
const QString kHiddenNote = QStringLiteral("SecretRedNote");
const QString kHeaderDigits = QStringLiteral("000000000000500");

// Every file under a folder with a digest of its bytes: what "unchanged" means.
QStringList inventory(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString digest = QFileInfo(f).isDir()
                                   ? QStringLiteral("folder")
                                   : QString::fromLatin1(QCryptographicHash::hash(
                                         readFileBytes(f), QCryptographicHash::Md5).toHex());
        out << QDir(root).relativeFilePath(f) + QLatin1Char(' ') + digest;
    }
    out.sort();
    return out;
}

struct Result {
    int status = -1;
    QString out;
    QString err;
};

QString soffice() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
    QTemporaryDir m_program; // the program, data/ and userdata/
    QTemporaryDir m_home;    // the user's home: nothing may appear in it
    QTemporaryDir m_out;
    QList<NavItem> m_navigator;

    QString program() const { return m_program.filePath(QStringLiteral("tandel")); }
    QString userData(const QString& name) const {
        return m_program.filePath(QStringLiteral("userdata/") + name);
    }
    QString out(const QString& name) const { return m_out.filePath(name); }

    Result tandel(const QStringList& args) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program(), args);
        Result r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // Converts with LibreOffice into the output folder and returns the converted file's text.
    QString converted(const QString& file, const QString& to, const QString& ending) const {
        QProcess p;
        p.start(soffice(), {QStringLiteral("-env:UserInstallation=file://") +
                                m_out.filePath(QStringLiteral("profile")),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"), to,
                            QStringLiteral("--outdir"), m_out.filePath(QStringLiteral("lo")), file});
        if (!p.waitForFinished(240000) || p.exitCode() != 0) return QString();
        return QString::fromUtf8(readFileBytes(
            m_out.filePath(QStringLiteral("lo/") + QFileInfo(file).completeBaseName() + ending)));
    }

private slots:
    void initTestCase();
    void helpAndVersion();
    void listsThePlansOfTheCatalogue();
    void exportsEveryFormatAndChangesNothing();
    void pageSetupForOneExport();
    void errorsHaveTheirOwnStatus();
    void builderStillStartsTheWindows();
    void cleanupTestCase() { Folders::setProgramFolder(QString()); }
};

void TestCommandLine::initTestCase() {
    // The program's folder is the folder of its file: a link (or else a copy) of the built
    // program beside a copy of the built data.
    const QByteArray built = QFile::encodeName(QStringLiteral(TANDEL_BUILD_DIR "/bin/tandel"));
    if (::link(built.constData(), QFile::encodeName(program()).constData()) != 0)
        QVERIFY(QFile::copy(QString::fromLocal8Bit(built), program()));
    QVERIFY(copyTree(QStringLiteral(TANDEL_PRISTINE_DIR "/data"),
                     m_program.filePath(QStringLiteral("data"))));
    QVERIFY(copyTree(QStringLiteral(TANDEL_PRISTINE_DIR "/userdata"),
                     m_program.filePath(QStringLiteral("userdata"))));
    Folders::setProgramFolder(m_program.path());

    QFile nav(m_program.filePath(QStringLiteral("data/mp.nav")));
    QVERIFY(nav.open(QIODevice::ReadOnly));
    m_navigator = parseNavStructure(nav.readAll()).items;
    QVERIFY(m_navigator.size() > 20);

    // "Acme Plan": the original plan as its first load and save leave it (placeholders
    // still in it here, which the export fills), with a closing line, a hidden note and a
    // settings header of half-inch margins on Letter paper.
    Catalogue catalogue;
    TextControl text;
    QVERIFY(text.loadFile(userData(QStringLiteral("1.mp")), TextControl::NativeRtf));
    QTextCursor c(text.document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText(kClosing, QTextCharFormat());
    QTextCharFormat hidden;
    hidden.setProperty(TextFormat::HiddenProperty, true);
    hidden.setProperty(TextFormat::HTagProperty, 999);
    c.insertText(kHiddenNote, hidden);
    PlanPageSettings page;
    page.left = page.right = page.top = page.bottom = 0.5;
    page.paperSize = 1;
    text.setSelStart(0);
    text.setSelLength(0);
    text.setSelFText(PlanHeader::make(page));
    text.setHTag(PlanHeader::HeaderTag);
    text.setFontColor(255);
    text.setFontHidden(-1);
    const int acme = catalogue.takePlanNumber();
    QVERIFY(text.saveFile(userData(QStringLiteral("%1.mp").arg(acme)), TextControl::NativeRtf));
    QVERIFY(QFile::copy(userData(QStringLiteral("1.mps")), userData(QStringLiteral("%1.mps").arg(acme))));
    catalogue.addPlan(QStringLiteral("Acme Plan"), acme);
    CompanyDetails details;
    details["coname"] = QStringLiteral("Acme Ltd");
    details["sbu"] = QStringLiteral("Retail");
    details["author"] = QStringLiteral("Jane Smith");
    catalogue.writeDetails(QStringLiteral("Acme Plan"), details);

    // Never saved: listed, but without files.
    catalogue.addPlan(QStringLiteral("Unsaved Plan"), catalogue.takePlanNumber());
    // A text file that is no plan at all.
    const int broken = catalogue.takePlanNumber();
    catalogue.addPlan(QStringLiteral("Broken Plan"), broken);
    QVERIFY(writeFileBytes(userData(QStringLiteral("%1.mp").arg(broken)), "not a plan"));
    // A good text with a budget that cannot be read.
    const int noBudget = catalogue.takePlanNumber();
    catalogue.addPlan(QStringLiteral("Lost Budget"), noBudget);
    QVERIFY(QFile::copy(userData(QStringLiteral("1.mp")), userData(QStringLiteral("%1.mp").arg(noBudget))));
    QVERIFY(writeFileBytes(userData(QStringLiteral("%1.mps").arg(noBudget)), "{ torn"));
    QCOMPARE(catalogue.plans().size(), 4);
}

void TestCommandLine::helpAndVersion() {
    const Result help = tandel({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    for (const char* option : {"--help", "--version", "--builder", "--list-plans", "--export",
                               "--plan", "--plan-file", "--with-budget", "--paper", "--landscape",
                               "--portrait", "--margins", "--left-margin", "--bottom-margin"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    // Every exit status is listed with its meaning.
    for (const char* line : {"0  Done.", "1  An option", "2  There is no such plan",
                             "3  The plan's text or budget cannot be read",
                             "4  The export file could not be written",
                             "5  There is no export format"})
        QVERIFY2(help.out.contains(QLatin1String(line)), line);

    const Result version = tandel({QStringLiteral("--version")});
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("Tandel Zurozurov Irod 1.0\n"));
}

void TestCommandLine::listsThePlansOfTheCatalogue() {
    const Result r = tandel({QStringLiteral("--list-plans")});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const Catalogue catalogue;
    QString expected;
    for (const QString& name : catalogue.plans()) {
        const QFileInfo file(catalogue.planTextFile(name));
        expected += name + QLatin1Char('\t') + catalogue.fileNumberText(name) + QLatin1Char('\t') +
                    (file.exists() ? file.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                   : QString()) +
                    QLatin1Char('\n');
    }
    QCOMPARE(r.out, expected);
    QVERIFY(r.out.startsWith(QStringLiteral("Acme Plan\t2\t20")));
    QVERIFY(r.out.contains(QStringLiteral("\nUnsaved Plan\t3\t\n")));
}

void TestCommandLine::exportsEveryFormatAndChangesNothing() {
    const QStringList programBefore = inventory(m_program.path());
    const QStringList homeBefore = inventory(m_home.path());
    const QString acme = QStringLiteral("Acme Plan");
    auto exportAcme = [&](const QString& name, QStringList more = {}) {
        const Result r = tandel(QStringList{QStringLiteral("--export"), out(name),
                                            QStringLiteral("--plan"), acme} + more);
        if (r.status != 0 || !r.err.isEmpty())
            qWarning("%s: status %d, %s", qPrintable(name), r.status, qPrintable(r.err));
        return r.status == 0 && r.err.isEmpty() && QFileInfo(out(name)).size() > 0;
    };

    // PDF: the pages as they print, on the plan's own page setup (Letter paper), the
    // placeholders filled, neither the header nor the hidden notes on paper, a bookmark per
    // navigator item, the plan's name and its author as title and author.
    QVERIFY(exportAcme(QStringLiteral("plan.pdf")));
    const QString pdf = out(QStringLiteral("plan.pdf"));
    const int planPages = pdfPageCount(pdf);
    QVERIFY(planPages > 1);
    QVERIFY2(pdfInfoField(pdf, QStringLiteral("Page size")).startsWith(QLatin1String("612 x 792")),
             qPrintable(pdfInfoField(pdf, QStringLiteral("Page size"))));
    const QString pdfWords = pdfText(pdf);
    QVERIFY(pdfWords.contains(QStringLiteral("Acme Ltd")));
    QVERIFY(pdfWords.contains(kClosing));
    QVERIFY(!pdfWords.contains(kHiddenNote));
    QVERIFY(!pdfWords.contains(kHeaderDigits));
    QVERIFY(!pdfWords.contains(QStringLiteral("[BusinessName]")));
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Title")), acme);
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Author")), QStringLiteral("Jane Smith"));
    const QList<PdfOutlineItem> outline = pdfOutline(pdf);
    QCOMPARE(outline.size(), m_navigator.size());
    QCOMPARE(outline.first().title, m_navigator.first().text);
    QCOMPARE(outline.first().page, 1);

    // With the budget's pages after the plan's, its bookmark leading to them.
    QVERIFY(exportAcme(QStringLiteral("all.pdf"), {QStringLiteral("--with-budget")}));
    const QString all = out(QStringLiteral("all.pdf"));
    QVERIFY(pdfPageCount(all) > planPages);
    QCOMPARE(pdfText(all, 1), pdfText(pdf, 1));
    QVERIFY(pdfText(all, planPages + 1).contains(QStringLiteral("Marketing costs")));
    bool budgetMark = false;
    for (const PdfOutlineItem& m : pdfOutline(all))
        if (m.title == Navigator::budgetItemText()) budgetMark = m.page == planPages + 1;
    QVERIFY(budgetMark);

    // Rich text, read by our own reader; plain text without notes or header.
    QVERIFY(exportAcme(QStringLiteral("plan.rtf")));
    TextControl rtf;
    QVERIFY(rtf.loadFile(out(QStringLiteral("plan.rtf")), TextControl::StandardRtf));
    QVERIFY(rtf.toPlainText().contains(kClosing));
    QVERIFY(rtf.toPlainText().contains(QStringLiteral("Acme Ltd")));
    QVERIFY(exportAcme(QStringLiteral("plan.txt")));
    const QString txt = QString::fromUtf8(readFileBytes(out(QStringLiteral("plan.txt"))));
    QVERIFY(txt.contains(kClosing));
    QVERIFY(txt.contains(QStringLiteral("Acme Ltd")));
    QVERIFY(!txt.contains(kHiddenNote));
    QVERIFY(!txt.contains(kHeaderDigits));

    // The budget as tab-separated text, an Excel 4 workbook and an Excel workbook.
    QVERIFY(exportAcme(QStringLiteral("budget.tsv")));
    const QString tsv = QString::fromUtf8(readFileBytes(out(QStringLiteral("budget.tsv"))));
    QVERIFY(tsv.contains(QStringLiteral("Marketing costs")));
    QVERIFY(tsv.contains(QLatin1Char('\t')));
    QVERIFY(exportAcme(QStringLiteral("budget.xls")));
    QVERIFY(exportAcme(QStringLiteral("book.xlsx")));
    QVERIFY(readFileBytes(out(QStringLiteral("book.xlsx"))).startsWith("PK"));
    QVERIFY(exportAcme(QStringLiteral("plan.odt")));
    QVERIFY(exportAcme(QStringLiteral("plan.docx")));
    QVERIFY(readFileBytes(out(QStringLiteral("plan.docx"))).startsWith("PK"));
    if (!soffice().isEmpty()) {
        const QString docx = converted(out(QStringLiteral("plan.docx")), QStringLiteral("txt"),
                                       QStringLiteral(".txt"));
        QVERIFY(docx.contains(kClosing));
        QVERIFY(!docx.contains(kHiddenNote));
        const QString odt = converted(out(QStringLiteral("plan.odt")), QStringLiteral("txt"),
                                      QStringLiteral(".txt"));
        QVERIFY(odt.contains(kClosing));
        QVERIFY(odt.contains(QStringLiteral("Acme Ltd")));
        QVERIFY(!odt.contains(kHiddenNote));
        QVERIFY(converted(out(QStringLiteral("budget.xls")), QStringLiteral("csv"),
                          QStringLiteral(".csv"))
                    .contains(QStringLiteral("Marketing costs")));
        QVERIFY(converted(out(QStringLiteral("book.xlsx")), QStringLiteral("csv"),
                          QStringLiteral(".csv"))
                    .contains(QStringLiteral("Marketing costs")));
    } else {
        QVERIFY2(!missingToolFails(), "LibreOffice (soffice) is not installed, and CI must read the files back");
        qWarning("LibreOffice (soffice) is not installed: the ODT, DOCX and Excel files are not read back");
    }

    // The original plan, which the plan list does not name, by its file number: no names
    // to fill its placeholders with.
    const Result original = tandel({QStringLiteral("--export"), out(QStringLiteral("original.txt")),
                                    QStringLiteral("--plan-file"), QStringLiteral("1")});
    QCOMPARE(original.status, 0);
    QVERIFY(readFileBytes(out(QStringLiteral("original.txt"))).contains("[BusinessName]"));

    // Neither the plan, its budget, the catalogue, the settings nor anything else of the
    // program's or the user's: the load wrote nothing back and filled no placeholder on disk.
    QCOMPARE(inventory(m_program.path()), programBefore);
    QCOMPARE(inventory(m_home.path()), homeBefore);
    QVERIFY(readFileBytes(userData(QStringLiteral("2.mp"))).contains(kHeaderDigits.toLatin1()));
}

void TestCommandLine::pageSetupForOneExport() {
    const QStringList before = inventory(m_program.path());
    auto pages = [&](const QString& name, const QStringList& options) {
        const Result r = tandel(QStringList{QStringLiteral("--export"), out(name),
                                            QStringLiteral("--plan-file"), QStringLiteral("2")} +
                                options);
        return r.status == 0 ? pdfPageCount(out(name)) : -r.status;
    };
    const int narrow = pages(QStringLiteral("a4.pdf"),
                             {QStringLiteral("--paper"), QStringLiteral("a4"),
                              QStringLiteral("--landscape"), QStringLiteral("--margins"),
                              QStringLiteral("2")});
    QVERIFY(narrow > 0);
    QVERIFY(pdfInfoField(out(QStringLiteral("a4.pdf")), QStringLiteral("Page size"))
                .startsWith(QLatin1String("842 x 595")));
    const int wide = pages(QStringLiteral("wide.pdf"),
                           {QStringLiteral("--paper"), QStringLiteral("9"),
                            QStringLiteral("--landscape"), QStringLiteral("--margins"),
                            QStringLiteral("2"), QStringLiteral("--left-margin"),
                            QStringLiteral("0.5"), QStringLiteral("--right-margin=0.5")});
    QVERIFY2(wide < narrow, qPrintable(QStringLiteral("%1 %2").arg(wide).arg(narrow)));
    // The page setup window's check: margins that leave no text area are refused.
    const Result overlap = tandel({QStringLiteral("--export"), out(QStringLiteral("x.pdf")),
                                   QStringLiteral("--plan-file"), QStringLiteral("2"),
                                   QStringLiteral("--left-margin"), QStringLiteral("4.5"),
                                   QStringLiteral("--right-margin"), QStringLiteral("4.5")});
    QCOMPARE(overlap.status, 1);
    QVERIFY(overlap.err.contains(QStringLiteral("The margins overlap or they are off the paper.")));
    QVERIFY(!QFile::exists(out(QStringLiteral("x.pdf"))));
    // The plan keeps its own page setup for the next export.
    QCOMPARE(inventory(m_program.path()), before);
}

void TestCommandLine::errorsHaveTheirOwnStatus() {
    const QStringList before = inventory(m_program.path());
    const QString target = out(QStringLiteral("e.pdf"));
    struct Case {
        QStringList args;
        int status;
        const char* says;
    };
    const QString file = QStringLiteral("--export");
    const QList<Case> cases = {
        {{QStringLiteral("--frobnicate")}, 1, "Unknown option 'frobnicate'"},
        {{file, target}, 1, "--export needs the plan"},
        {{file, target, QStringLiteral("--plan"), QStringLiteral("Acme Plan"),
          QStringLiteral("--plan-file"), QStringLiteral("2")}, 1, "--export needs the plan"},
        {{QStringLiteral("--plan"), QStringLiteral("Acme Plan")}, 1, "--plan goes only with --export"},
        {{file, target, QStringLiteral("--plan-file"), QStringLiteral("../2")}, 1, "whole number"},
        {{file, target, QStringLiteral("--plan-file"), QStringLiteral("2"), QStringLiteral("--paper"),
          QStringLiteral("Napkin")}, 1, "no paper size called \"Napkin\""},
        {{file, target, QStringLiteral("--plan-file"), QStringLiteral("2"), QStringLiteral("--margins"),
          QStringLiteral("wide")}, 1, "--margins needs a margin in inches"},
        {{file, out(QStringLiteral("e.txt")), QStringLiteral("--plan-file"), QStringLiteral("2"),
          QStringLiteral("--landscape")}, 1, "go only with a PDF"},
        {{file, out(QStringLiteral("e.odt")), QStringLiteral("--plan-file"), QStringLiteral("2"),
          QStringLiteral("--with-budget")}, 1, "--with-budget goes only with a PDF"},
        {{QStringLiteral("--list-plans"), QStringLiteral("--plan-file"), QStringLiteral("2")}, 1,
         "--list-plans goes with no other option"},
        {{file, target, QStringLiteral("--plan"), QStringLiteral("Nobody's Plan")}, 2,
         "There is no plan called \"Nobody's Plan\""},
        {{file, target, QStringLiteral("--plan-file"), QStringLiteral("77")}, 2,
         "There is no plan with the file number 77"},
        {{file, target, QStringLiteral("--plan"), QStringLiteral("Unsaved Plan")}, 3,
         "The plan \"Unsaved Plan\" cannot be read."},
        {{file, target, QStringLiteral("--plan"), QStringLiteral("broken plan")}, 3,
         "is not a rich text file"},
        {{file, out(QStringLiteral("e.xlsx")), QStringLiteral("--plan"), QStringLiteral("Lost Budget")},
         3, "The budget of the plan \"Lost Budget\" cannot be read."},
        {{file, out(QStringLiteral("missing/e.pdf")), QStringLiteral("--plan-file"), QStringLiteral("2")},
         4, "An error occurred when saving this file\n"},
        {{file, out(QStringLiteral("missing/e.tsv")), QStringLiteral("--plan-file"), QStringLiteral("2")},
         4, "missing/e.tsv: No such file or directory"},
        {{file, out(QStringLiteral("e.doc")), QStringLiteral("--plan-file"), QStringLiteral("2")}, 5,
         "There is no export format for the ending"},
    };
    for (const Case& c : cases) {
        const Result r = tandel(c.args);
        const QString what = c.args.join(QLatin1Char(' ')) + QStringLiteral(" -> ") + r.err;
        QVERIFY2(r.status == c.status, qPrintable(QString::number(r.status) + QLatin1Char(' ') + what));
        QVERIFY2(r.err.startsWith(QStringLiteral("tandel: ")), qPrintable(what));
        QVERIFY2(r.err.contains(QLatin1String(c.says)), qPrintable(what));
        QVERIFY2(r.out.isEmpty(), qPrintable(what));
    }
    // Nothing was written anywhere, not even a temporary file beside a target.
    QCOMPARE(QDir(m_out.path()).entryList({QStringLiteral("e.*"), QStringLiteral(".e.*")},
                                          QDir::Files | QDir::Hidden),
             QStringList());
    QCOMPARE(inventory(m_program.path()), before);
    // A plan whose budget is lost still exports its text.
    const Result text = tandel({file, out(QStringLiteral("lost.txt")), QStringLiteral("--plan"),
                                QStringLiteral("Lost Budget")});
    QCOMPARE(text.status, 0);
}

void TestCommandLine::builderStillStartsTheWindows() {
    // The windows' own option is still taken: the program starts and waits for the user.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(program(), {QStringLiteral("--builder")});
    QVERIFY(p.waitForStarted(10000));
    QVERIFY(!p.waitForFinished(3000));
    p.kill();
    p.waitForFinished(5000);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
