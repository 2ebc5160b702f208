// File > Export end to end: a new plan made through the open window, then each format
// written through the menu and its save dialog, and read back by another program
// (LibreOffice, poppler) or by our own reader.
#include "app/editfrm.h"
#include "app/exportcommands.h"
#include "app/settings.h"
#include "app/startup.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetfile.h"
#include "controls/text/paperlayout.h"
#include "controls/text/rtfreader.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "plans/answers.h"
#include "plans/catalogue.h"
#include "plans/navigator.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/printerinfo.h"
#include "printing/pagegeometry.h"
#include "support/libreoffice.h"
#include "support/docxread.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {

const QString kVisibleEnd = QStringLiteral("ClosingWordsZeta");
const QString kHiddenNote = QStringLiteral("SecretRedNote");

// Where the last save dialog opened, and what its name box held then.
QString g_dialogFolder;
QString g_dialogName;

// Answers the save dialog with a file name and, when given, a filter.
bool chooseFile(QWidget* w, const QString& path, const QString& filter = QString()) {
    auto* d = qobject_cast<QFileDialog*>(w);
    if (!d) return false;
    g_dialogFolder = d->directory().absolutePath();
    if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        g_dialogName = name->text();
    if (!filter.isEmpty()) d->selectNameFilter(filter);
    // The name typed whole into the dialog's entry, as a user may.
    auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) return false;
    name->setText(path);
    // As the Save button does.
    return QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
}

// Runs an export menu item, answering its dialog.
bool runExport(QAction* item, const QString& path, const QString& filter = QString()) {
    ModalAnswer answer([&](QWidget* w) { QVERIFY(chooseFile(w, path, filter)); });
    item->trigger();
    if (!answer.wasAnswered()) qWarning("%s", qPrintable(answer.failure()));
    return answer.wasAnswered();
}

bool convert(const QString& to, const QStringList& files, const QString& dir) {
    QString error;
    const bool ok = sofficeConvert(to, files, dir, &error);
    if (!ok) qWarning("%s", qPrintable(error));
    return ok;
}

QString fileText(const QString& path) {
    return QString::fromUtf8(readFileBytes(path));
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void planAsRichAndPlainText();
    void budgetAsWorkbooksAndTabbedText();
    void pdfsAsTheyPrint();
    void planAsWordDocument();
    void failureIsReportedAndTheTextComesBack();
    void dialogsPrintAllAndTheAuthor();

private:
    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_out;
    TfrmEdit* w = nullptr;
    QString out(const QString& name) const { return m_out.filePath(name); }
};

void TestExport::initTestCase() {
    m_env = std::make_unique<TestEnv>();
    PrinterInfo::setPdfPrinterForTesting(out(QStringLiteral("printed.pdf")));
    // The reminder of template prompts left would ask before every export.
    IniFile(Folders::settingsFile())
        .writeInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 0);
    // The PDFs here are the text's pages alone, as its paper layout cuts them; the contents
    // page that comes after the title page has its own test (tst_contents).
    IniFile(Folders::settingsFile())
        .writeInteger(Settings::MainSection, Settings::ContentsPageKey, 0);
    AnswerBook book;
    book.add(QStringLiteral("TfrmTips"),
             [](QWidget* d) { clickButton(d, QStringLiteral("cmdOk")); });
    book.add(QStringLiteral("Tfrmopen"), [](QWidget* d) {
        clickButton(d, QStringLiteral("Newbtn"));
        setEditText(d, QStringLiteral("conameedit"), QStringLiteral("Acme Ltd"));
        setEditText(d, QStringLiteral("cosbuedit"), QStringLiteral("Retail"));
        clickButton(d, QStringLiteral("Button3"));
    });
    book.add(QStringLiteral("TfrmNew"), [](QWidget* d) {
        setEditText(d, QStringLiteral("txtNewPlanName"), QStringLiteral("Acme Plan"));
        clickButton(d, QStringLiteral("Button1"));
    });
    Application::startUp({0});
    QVERIFY2(book.allAnswered(), qPrintable(book.seen().join(QLatin1Char(','))));
    w = frmEdit;
    QVERIFY(w);
    // A visible closing line and a red note that never leaves the program but in its
    // own files and rich text.
    QTextCursor c(w->ATX321->document());
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText(kVisibleEnd, QTextCharFormat());
    QTextCharFormat hidden;
    hidden.setProperty(TextFormat::HiddenProperty, true);
    hidden.setProperty(TextFormat::HTagProperty, 999);
    c.insertText(kHiddenNote, hidden);
    w->spread->SetCellText(6, 2, QStringLiteral("1200"));
    w->spread->SetCellText(11, 3, QStringLiteral("450"));
}

void TestExport::cleanupTestCase() {
    Application::shutDown();
    PrinterInfo::setPdfPrinterForTesting(QString());
    m_env.reset();
}

void TestExport::planAsRichAndPlainText() {
    TextControl* t = w->ATX321;
    const QString planFile = w->CurrentPlanFile;
    const QByteArray planBefore = readFileBytes(planFile);
    QVERIFY(!planBefore.isEmpty());
    t->setSelStart(300);
    t->setSelLength(12);
    t->setScrollVert(t->EndScrollPos() / 2);
    const int start = t->SelStart(), length = t->SelLength(), scroll = t->ScrollVert();
    QVERIFY(scroll > 0);
    const bool modified = w->PlanModified;

    // The extension decides, whatever its case.
    QVERIFY(runExport(w->menus().Plan1, out(QStringLiteral("Plan.RTF"))));
    // The first export opens in the user's documents folder (the home folder without
    // one), with an empty name.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(g_dialogFolder, QFileInfo(documents).isDir() ? QDir(documents).absolutePath()
                                                          : QDir::homePath());
    QCOMPARE(g_dialogName, QString());
    const QByteArray rtf = readFileBytes(out(QStringLiteral("Plan.RTF")));
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY2(!rtf.contains("\\tzhtag") && !rtf.contains("\\tzptag"), "our own control words");
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    QVERIFY(doc.toPlainText().contains(kVisibleEnd));
    // The user is where they were; the plan's own file and its unsaved state are as before.
    QCOMPARE(t->SelStart(), start);
    QCOMPARE(t->SelLength(), length);
    QCOMPARE(t->ScrollVert(), scroll);
    QVERIFY(w->PanelAll->isVisible());
    QCOMPARE(readFileBytes(planFile), planBefore);
    QCOMPARE(w->PlanModified, modified);

    QVERIFY(runExport(w->menus().Plan1, out(QStringLiteral("notes.txt"))));
    const QString plain = fileText(out(QStringLiteral("notes.txt")));
    QVERIFY(!plain.startsWith(QLatin1String("{\\rtf")));
    QVERIFY(plain.contains(kVisibleEnd));
    QVERIFY(!plain.contains(kHiddenNote));

    QVERIFY(runExport(w->menus().Plan1, out(QStringLiteral("plan.odt"))));
    QVERIFY(QFile::exists(out(QStringLiteral("plan.odt"))));

    // The next save writes the plan in its own format again.
    w->menus().mnuSave->trigger();
    QVERIFY(readFileBytes(planFile).contains("\\tzptag"));

    REQUIRE_LIBREOFFICE("the plan's rich text and OpenDocument files");
    QVERIFY(convert(QStringLiteral("txt:Text (encoded):UTF8"),
                    {out(QStringLiteral("Plan.RTF")), out(QStringLiteral("plan.odt"))}, m_out.path()));
    const QString fromRtf = fileText(out(QStringLiteral("Plan.txt")));
    const QString fromOdt = fileText(out(QStringLiteral("plan.txt")));
    QVERIFY(!fromOdt.contains(kHiddenNote));
    // The whole plan, not its last words alone: every line of the plain text (the text as
    // paper shows it, cells a line each), in order, in both.
    QStringList lines;
    for (const QString& line : plain.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    QVERIFY(lines.size() > 100);
    for (const auto& [name, read] : {std::pair{QStringLiteral("rtf"), fromRtf},
                                     std::pair{QStringLiteral("odt"), fromOdt}}) {
        qsizetype at = 0;
        for (const QString& line : lines) {
            const qsizetype found = read.indexOf(line, at);
            QVERIFY2(found >= 0, qPrintable(name + QStringLiteral(": \"") + line +
                                            QStringLiteral("\" is missing or out of order")));
            at = found + line.size();
        }
    }
}

void TestExport::budgetAsWorkbooksAndTabbedText() {
    SheetControl* sheet = w->spread;
    const QString budgetFile = sheet->FileName();
    const QByteArray budgetBefore = readFileBytes(budgetFile);
    QVERIFY(runExport(w->menus().Cashflow1, out(QStringLiteral("budget.xls"))));
    QVERIFY(runExport(w->menus().Cashflow1, out(QStringLiteral("budget.txt"))));
    QVERIFY(runExport(w->menus().Cashflow1, out(QStringLiteral("book.xlsx"))));
    {
        // A name the budget has no format for writes nothing, and the user is told which
        // endings there are.
        QString told;
        std::unique_ptr<ModalAnswer> message;
        ModalAnswer dialog([&](QWidget* d) {
            // The message comes once the dialog has closed.
            message = std::make_unique<ModalAnswer>([&](QWidget* m) {
                if (auto* l = child<QLabel>(m, QStringLiteral("dlgLabel"))) told = l->text();
                clickButton(m, QStringLiteral("cmdOk"));
            });
            QVERIFY(chooseFile(d, out(QStringLiteral("budget.csv"))));
        });
        w->menus().Cashflow1->trigger();
        QVERIFY(dialog.wasAnswered());
        QVERIFY(message && message->wasAnswered());
        QVERIFY2(told.contains(QStringLiteral(".xls, .txt, .xlsx or .pdf")), qPrintable(told));
    }
    QVERIFY(!QFile::exists(out(QStringLiteral("budget.csv"))));
    QCOMPARE(sheet->FileName(), budgetFile);
    QCOMPARE(readFileBytes(budgetFile), budgetBefore);

    // Tabbed text: the values as the sheet shows them, a row a line, as worked out by hand
    // from the template: its title, the start month, the months of the first year, and
    // the two entries typed in.
    const Sheet::CellRange used = sheet->model().usedRange();
    const QByteArray tsv = readFileBytes(out(QStringLiteral("budget.txt")));
    QVERIFY(tsv.startsWith("\xEF\xBB\xBF" "Cashflow forecast \tStarting\t01/4/2027"));
    const QList<QByteArray> rows = tsv.mid(3).split('\n');
    QCOMPARE(rows.size(), used.row2 + 1); // each row ends its line
    for (const QByteArray& row : rows.mid(0, used.row2)) QVERIFY(row.endsWith('\r'));
    QVERIFY2(rows[3].startsWith("Period starts\t01/04/2027\t01/05/2027\t01/06/2027\t01/07/2027\t"
                                "01/08/2027\t01/09/2027\t01/10/2027\t01/11/2027\t01/12/2027\t"
                                "01/01/2028\t01/02/2028\t01/03/2028"),
             rows[3].constData());
    QCOMPARE(rows[5].split('\t').value(1), QByteArray("\xC2\xA3" "1,200"));
    QCOMPARE(rows[10].split('\t').value(2), QByteArray("\xC2\xA3" "450"));

    REQUIRE_LIBREOFFICE("the budget's workbooks");
    QVERIFY(convert(QStringLiteral("csv:Text - txt - csv (StarCalc):9,34,76,1"),
                    {out(QStringLiteral("budget.xls")), out(QStringLiteral("book.xlsx"))},
                    m_out.path()));
    for (const QString& name : {QStringLiteral("budget.csv"), QStringLiteral("book.csv")}) {
        const QList<QStringList> got = Sheet::parseTsv(fileText(out(name)));
        QCOMPARE(got.size(), used.row2);
        for (int r = 1; r <= used.row2; ++r)
            for (int c = 1; c <= used.col2; ++c) {
                const QString want = sheet->CellText(r, c);
                const QString have = got[r - 1].value(c - 1);
                // Cells that wrap come back with their line break.
                QVERIFY2(have.simplified() == want.simplified(),
                         qPrintable(QStringLiteral("%1 %2: LibreOffice shows \"%3\", the sheet \"%4\"")
                                        .arg(name, Sheet::cellName(r, c), have, want)));
            }
    }
}

void TestExport::pdfsAsTheyPrint() {
    TextControl* t = w->ATX321;
    const PaperLayout paper(t->paperDocument(), twips(w->TextAreaWidth), twips(w->TextAreaHeight));
    const int planPages = paper.pageCount();
    QVERIFY(planPages >= 3);

    const QString planPdf = out(QStringLiteral("plan.pdf"));
    QVERIFY(runExport(w->menus().Plan1, planPdf));
    QCOMPARE(pdfPageCount(planPdf), planPages);
    QCOMPARE(pdfInfoField(planPdf, QStringLiteral("Title")), QStringLiteral("Acme Plan"));
    QCOMPARE(pdfInfoField(planPdf, QStringLiteral("Author")), QStringLiteral("Acme Ltd"));
    const QString all = pdfText(planPdf);
    QVERIFY(all.contains(kVisibleEnd));
    QVERIFY(!all.contains(kHiddenNote));
    // Every word once: page after page the text as paper shows it (the plain text, read
    // without its spaces, since a word may break after a hyphen) and each page's footer,
    // and nothing more (no line of a neighbouring page drawn, clipped, above or below a
    // page's text).
    QString paperText = fileText(out(QStringLiteral("notes.txt")));
    paperText.remove(QRegularExpression(QStringLiteral("\\s+")));
    QString pdfJoined;
    const QList<PdfWord> pdfWordList = pdfWords(planPdf);
    for (int p = 1; p <= planPages; ++p) {
        QStringList page;
        for (const PdfWord& word : pdfWordList)
            if (word.page == p) page << word.text;
        QVERIFY(page.size() >= 2);
        QCOMPARE(page.mid(page.size() - 2), (QStringList{QStringLiteral("Page"), QString::number(p)}));
        pdfJoined += page.mid(0, page.size() - 2).join(QString());
    }
    for (qsizetype i = 0; i < std::min(pdfJoined.size(), paperText.size()); ++i)
        QVERIFY2(pdfJoined[i] == paperText[i],
                 qPrintable(QStringLiteral("paper \"%1\", PDF \"%2\"")
                                .arg(paperText.mid(std::max<qsizetype>(0, i - 40), 80),
                                     pdfJoined.mid(std::max<qsizetype>(0, i - 40), 80))));
    QCOMPARE(pdfJoined.size(), paperText.size());
    // Page for page what the printer gets, footers included.
    w->cmdPrintClick();
    const QString printed = out(QStringLiteral("printed.pdf"));
    QCOMPARE(pdfPageCount(printed), planPages);
    for (int page : {1, 2, planPages}) {
        QCOMPARE(pdfText(planPdf, page), pdfText(printed, page));
        QVERIFY(pdfText(planPdf, page).contains(QStringLiteral("Page %1").arg(page)));
    }

    // A bookmark for every navigator item, nested as the navigator is, each on the page
    // where its section begins.
    Navigator* nav = w->navigator();
    const QList<PdfOutlineItem> marks = pdfOutline(planPdf);
    QCOMPARE(marks.size(), nav->itemCount());
    int lastPage = 1;
    bool nested = false;
    for (int n = 1; n <= nav->itemCount(); ++n) {
        const PdfOutlineItem& m = marks[n - 1];
        QCOMPARE(m.title, nav->itemText(n));
        QVERIFY2(m.page >= lastPage, qPrintable(m.title));
        lastPage = m.page;
        nested = nested || m.depth > 0;
    }
    QVERIFY(nested);
    QVERIFY(marks.back().page > 1);
    // A section's heading is on the page its bookmark leads to.
    const PdfOutlineItem& lastSection = marks.back();
    QVERIFY2(pdfText(planPdf, lastSection.page).contains(lastSection.title.left(12)),
             qPrintable(lastSection.title));

    // The budget as it prints, alone and after the plan.
    SheetControl* sheet = w->spread;
    const int sheetPages = sheet->PageCount();
    const QString budgetPdf = out(QStringLiteral("budget.pdf"));
    QVERIFY(runExport(w->menus().Cashflow1, budgetPdf));
    QCOMPARE(pdfPageCount(budgetPdf), sheetPages);
    // (pdftotext reads the "fl" of "Cashflow" as a ligature.)
    QVERIFY(pdfText(budgetPdf, 1).contains(QStringLiteral("Marketing costs")));
    QVERIFY(pdfText(budgetPdf).contains(QStringLiteral("\u00A3" "1,200")));

    const QString allPdf = out(QStringLiteral("all.pdf"));
    QVERIFY(runExport(w->menus().Plan1, allPdf, ExportCommands::planAndBudgetFilter()));
    QCOMPARE(pdfPageCount(allPdf), planPages + sheetPages);
    QCOMPARE(pdfText(allPdf, planPages + 1), pdfText(budgetPdf, 1));
    QCOMPARE(pdfText(allPdf, 1), pdfText(planPdf, 1));
    bool budgetMark = false;
    for (const PdfOutlineItem& m : pdfOutline(allPdf))
        if (m.title == Navigator::budgetItemText()) {
            QCOMPARE(m.page, planPages + 1);
            budgetMark = true;
        }
    QVERIFY(budgetMark);
}

void TestExport::planAsWordDocument() {
    const QString file = out(QStringLiteral("plan.docx"));
    QVERIFY(runExport(w->menus().Plan1, file));
    QVERIFY(readFileBytes(file).startsWith("PK"));
    if (!hasDocxReader()) {
        if (qEnvironmentVariableIsSet("CI")) QFAIL("python3-docx is not installed");
        QSKIP("python3-docx is not installed: the Word document is not read back");
    }
    const QJsonObject d = readDocx(file);
    QCOMPARE(d.value(QStringLiteral("problems")).toArray().size(), 0);
    QCOMPARE(d.value(QStringLiteral("title")).toString(), QStringLiteral("Acme Plan"));
    QCOMPARE(d.value(QStringLiteral("author")).toString(), QStringLiteral("Acme Ltd"));
    QStringList paragraphs;
    for (const QJsonValue& p : d.value(QStringLiteral("paragraphs")).toArray())
        paragraphs << p.toString();
    QVERIFY(paragraphs.contains(kVisibleEnd));
    QVERIFY(!paragraphs.join(QLatin1Char(' ')).contains(kHiddenNote));

    // Each navigator item whose section opens with words on paper is a heading, in the
    // navigator's order, top-level items as Heading 1 and the items under them as Heading 2.
    Navigator* nav = w->navigator();
    const std::unique_ptr<QTextDocument> paper = w->ATX321->paperDocument();
    QStringList want;
    for (int n = 1; n <= nav->itemCount(); ++n) {
        const int tag = Navigator::sectionTagOf(n);
        QTextBlock b = paper->begin();
        while (b.isValid() && b.blockFormat().intProperty(TextFormat::PTagProperty) != tag)
            b = b.next();
        if (!b.isValid() || b.text().trimmed().isEmpty()) continue;
        const bool nested = nav->indexOf(n).parent().isValid();
        want << (nested ? QStringLiteral("Heading 2|") : QStringLiteral("Heading 1|")) + b.text();
    }
    QStringList got;
    for (const QJsonValue& h : d.value(QStringLiteral("headings")).toArray())
        got << h.toArray().at(0).toString() + QLatin1Char('|') + h.toArray().at(1).toString();
    QVERIFY2(want.size() > nav->itemCount() / 2, qPrintable(want.join(QLatin1Char('\n'))));
    QCOMPARE(got, want);
}

void TestExport::failureIsReportedAndTheTextComesBack() {
    TextControl* t = w->ATX321;
    t->setSelStart(120);
    t->setSelLength(4);
    QString message;
    ModalAnswer answer([&](QWidget* d) {
        if (auto* l = child<QLabel>(d, QStringLiteral("dlgLabel"))) message = l->text();
        clickButton(d, QStringLiteral("cmdOk"));
    });
    const QString nowhere = out(QStringLiteral("missing/folder/plan.rtf"));
    QVERIFY(!w->exportCommands()->ExportPlanText(nowhere));
    QVERIFY(answer.wasAnswered());
    // The words users know, and below them the file and the system's reason.
    QCOMPARE(message.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("An error occurred when saving this file"));
    QCOMPARE(message.section(QLatin1Char('\n'), 1),
             nowhere + QStringLiteral(": No such file or directory"));
    QVERIFY(w->PanelAll->isVisible());
    QVERIFY(w->updatesEnabled());
    QCOMPARE(t->SelStart(), 120);
    QCOMPARE(t->SelLength(), 4);
    QVERIFY(!QFile::exists(nowhere));

    for (const QString& name : {QStringLiteral("missing/book.xlsx"), QStringLiteral("missing/book.xls"),
                                QStringLiteral("missing/book.pdf")}) {
        ModalAnswer again([&](QWidget* d) {
            if (auto* l = child<QLabel>(d, QStringLiteral("dlgLabel"))) message = l->text();
            clickButton(d, QStringLiteral("cmdOk"));
        });
        QVERIFY(!w->exportCommands()->ExportBudget(out(name)));
        QVERIFY(again.wasAnswered());
        QCOMPARE(message.section(QLatin1Char('\n'), 1),
                 out(name) + QStringLiteral(": No such file or directory"));
    }
    ModalAnswer odt([&](QWidget* d) {
        if (auto* l = child<QLabel>(d, QStringLiteral("dlgLabel"))) message = l->text();
        clickButton(d, QStringLiteral("cmdOk"));
    });
    QVERIFY(!w->exportCommands()->ExportPlanOdt(out(QStringLiteral("missing/plan.odt"))));
    QVERIFY(odt.wasAnswered());
    QCOMPARE(message.section(QLatin1Char('\n'), 1),
             out(QStringLiteral("missing/plan.odt")) + QStringLiteral(": No such file or directory"));
}

void TestExport::dialogsPrintAllAndTheAuthor() {
    // The budget's dialog opens where the last export went, with its name box empty, and
    // the budget leaves without the reminder of the plan's template prompts.
    IniFile settings(Folders::settingsFile());
    settings.writeInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 1);
    QVERIFY(runExport(w->menus().Cashflow1, out(QStringLiteral("again.xls"))));
    QVERIFY(QFile::exists(out(QStringLiteral("again.xls"))));
    QCOMPARE(g_dialogFolder, QDir(m_out.path()).absolutePath());
    QCOMPARE(g_dialogName, QString());
    settings.writeInteger(Settings::MainSection, Settings::PlanCheckReminderKey, 0);

    // The PDF's author is the one the plan's details name.
    Catalogue catalogue;
    CompanyDetails details = catalogue.details(w->CurrentPlanName);
    details["author"] = QStringLiteral("Ann Author");
    catalogue.writeDetails(w->CurrentPlanName, details);
    const QString pdf = out(QStringLiteral("authored.pdf"));
    QVERIFY(runExport(w->menus().Plan1, pdf));
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Author")), QStringLiteral("Ann Author"));

    // Ctrl+P in the text does what the File menu shows beside it: "Print All", the plan
    // and then the budget (which prints last onto the test's printer file).
    QCOMPARE(w->menus().mnuPrint->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QCOMPARE(w->menus().mnuPrint->text(), QStringLiteral("Print &All"));
    const QString printed = out(QStringLiteral("printed.pdf"));
    QFile::remove(printed);
    w->ATX321->setFocus();
    QTest::keyClick(w->ATX321, Qt::Key_P, Qt::ControlModifier);
    QTRY_VERIFY(QFile::exists(printed));
    QCOMPARE(pdfPageCount(printed), w->spread->PageCount());
    QVERIFY(pdfText(printed, 1).contains(QStringLiteral("Marketing costs")));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
