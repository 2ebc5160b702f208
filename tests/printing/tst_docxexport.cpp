// The plan as a Word document, read back by other programs: python-docx reads its
// headings, tables, runs and properties, a plain zip reading checks that every part and
// relationship is there, and LibreOffice turns it into text and a PDF.
#include "app/exportcommands.h"
#include "controls/text/rtfreader.h"
#include "controls/text/textcontrol.h"
#include "printing/docxexport.h"
#include "support/docxread.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {

// A missing reader skips on a developer's machine, fails on CI, which must have them all.
#define REQUIRE_TOOL(present, what)                                                         \
    do {                                                                                    \
        if (!(present)) {                                                                   \
            if (qEnvironmentVariableIsSet("CI")) QFAIL(what " is not installed");          \
            QSKIP(what " is not installed");                                                \
        }                                                                                   \
    } while (false)

// Converts `file` with LibreOffice into its folder under its own profile.
bool convert(const QString& file, const QString& to) {
    const QString dir = QFileInfo(file).absolutePath();
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("soffice")),
            {QStringLiteral("-env:UserInstallation=file://") + dir + QStringLiteral("/lo-profile"),
             QStringLiteral("--headless"), QStringLiteral("--convert-to"), to,
             QStringLiteral("--outdir"), dir, file});
    return p.waitForFinished(240000) && p.exitCode() == 0;
}

QStringList strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& s : v.toArray()) out << s.toString();
    return out;
}

// A short plan: a title page line, three sections (the second one nested), formatted
// runs, an indented paragraph, a table with a cell across both columns, and a hidden red
// note.
const QByteArray kPlan = QByteArrayLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "\\pard\\qc\\plain\\f0\\fs36\\b Acme Marketing Plan\\par\n"
    "\\pard\\tzptag99\\plain\\f0\\fs28\\b Executive Summary\\par\n"
    "\\pard\\li720\\fi-360\\plain\\f1\\fs24 Our \\b boldword\\b0  and \\i italicword\\i0  and "
    "\\ul underword\\ulnone  and \\cf3 blueword\\cf0 .\\par\n"
    "\\pard\\plain\\f0\\fs20\\cf2\\v SecretRedNote\\v0 Visible after the note\\par\n"
    "\\pard\\tzptag2\\plain\\f0\\fs24\\b Market Analysis\\par\n"
    "\\trowd\\trgaph108\\trleft0\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx3000"
    "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
    "\\clbrdrr\\brdrs\\brdrw10\\cellx6000\n"
    "\\pard\\intbl\\plain\\f0\\fs20\\b Product\\b0\\cell\\pard\\intbl\\plain\\f0\\fs20 Price\\cell\\row\n"
    "\\trowd\\trgaph108\\trleft0\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
    "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx6000\n"
    "\\pard\\intbl\\plain\\f0\\fs20 Across both\\cell\\row\n"
    "\\pard\\tzptag3\\plain\\f0\\fs24\\b Next Steps\\par\n"
    "\\pard\\plain\\f0\\fs20 ClosingWordsZeta\\par\n}");

} // namespace

class TestDocxExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<TestEnv>(); }
    void cleanupTestCase() { m_env.reset(); }
    void planReadBackByWordProcessors();
    void planWithOnlyItsTitlePage();

private:
    std::unique_ptr<TestEnv> m_env;
};

void TestDocxExport::planReadBackByWordProcessors() {
    QTemporaryDir dir;
    TextControl text;
    QVERIFY(RtfReader::read(kPlan, text.document()));
    // A tab stop at an inch on the indented paragraph.
    QTextBlock indented = text.document()->findBlock(0).next().next();
    QVERIFY(indented.text().startsWith(QLatin1String("Our")));
    QTextCursor c(indented);
    QTextBlockFormat tabs;
    tabs.setTabPositions({QTextOption::Tab(96, QTextOption::RightTab)});
    c.mergeBlockFormat(tabs);

    PageGeometry geometry;
    geometry.left = geometry.right = 1.0;
    geometry.top = 0.75;
    geometry.bottom = 0.5;
    ExportLinks links;
    links.text = &text;
    links.geometry = [&] { return geometry; };
    links.sections = [] {
        return QList<PdfSection>{{QStringLiteral("Executive Summary"), 0, 99, false},
                                 {QStringLiteral("Market Analysis"), 1, 2, false},
                                 {QStringLiteral("Next Steps"), 0, 3, false}};
    };
    links.info = [] {
        return PdfInfo{QStringLiteral("Acme Plan"), QStringLiteral("Acme Ltd"), QString()};
    };
    QFileDialog dialog;
    links.planDialog = &dialog;
    ExportCommands commands(links);
    QVERIFY(ExportCommands::planFilter().contains(QLatin1String("*.docx")));

    // File > Export > Plan with a name ending in .DOCX, typed into the dialog.
    const QString file = dir.filePath(QStringLiteral("Plan.DOCX"));
    {
        ModalAnswer answer([&](QWidget* w) {
            auto* name = w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(file);
            QMetaObject::invokeMethod(w, "accept", Qt::DirectConnection);
        });
        commands.Plan1Click();
        QVERIFY2(answer.wasAnswered(), qPrintable(answer.failure()));
    }
    QVERIFY(readFileBytes(file).startsWith("PK"));

    REQUIRE_TOOL(hasDocxReader(), "python3-docx");
    const QJsonObject d = readDocx(file);
    QVERIFY(!d.isEmpty());
    QCOMPARE(strings(d[QStringLiteral("problems")]), QStringList());
    // The navigator's items as headings, in order, at their levels.
    QCOMPARE(QJsonDocument(d[QStringLiteral("headings")].toArray()).toJson(QJsonDocument::Compact),
             QByteArray(R"([["Heading 1","Executive Summary"],["Heading 2","Market Analysis"],)"
                        R"(["Heading 1","Next Steps"]])"));
    const QJsonObject outline = d[QStringLiteral("outline")].toObject();
    QCOMPARE(outline[QStringLiteral("Heading 1")].toInt(-1), 0);
    QCOMPARE(outline[QStringLiteral("Heading 2")].toInt(-1), 1);
    const QStringList paragraphs = strings(d[QStringLiteral("paragraphs")]);
    QCOMPARE(paragraphs.value(0), QStringLiteral("Acme Marketing Plan"));
    QVERIFY(paragraphs.contains(QStringLiteral("Visible after the note")));
    QVERIFY(!paragraphs.join(QLatin1Char(' ')).contains(QLatin1String("SecretRedNote")));
    // The table: two cells, then one across both grid columns.
    QCOMPARE(QJsonDocument(d[QStringLiteral("tables")].toArray()).toJson(QJsonDocument::Compact),
             QByteArray(R"([[["Product","Price"],["Across both","Across both"]]])"));
    // Runs with their formats.
    const QStringList bold = strings(d[QStringLiteral("bold")]);
    QVERIFY(bold.contains(QStringLiteral("boldword")));
    QVERIFY(bold.contains(QStringLiteral("Product")));
    QVERIFY(!bold.contains(QStringLiteral("Price")));
    QCOMPARE(strings(d[QStringLiteral("italic")]), QStringList{QStringLiteral("italicword")});
    QCOMPARE(strings(d[QStringLiteral("underline")]), QStringList{QStringLiteral("underword")});
    QCOMPARE(d[QStringLiteral("colours")].toObject()[QStringLiteral("blueword")].toString(),
             QStringLiteral("0000FF"));
    const QJsonArray font = d[QStringLiteral("fonts")].toObject()[QStringLiteral("boldword")].toArray();
    QCOMPARE(font.at(0).toString(), QStringLiteral("Times New Roman"));
    QCOMPARE(font.at(1).toDouble(), 12.0);
    // Indents, the tab stop and alignment (python-docx: 1 centre, 2 right).
    const QJsonObject formats = d[QStringLiteral("formats")].toObject();
    const QJsonArray ind = formats.value(indented.text()).toArray();
    QCOMPARE(ind.at(0).toInt(), 720);
    QCOMPARE(ind.at(1).toInt(), -360);
    QCOMPARE(QJsonDocument(ind.at(2).toArray()).toJson(QJsonDocument::Compact), QByteArray("[[1440,2]]"));
    QCOMPARE(formats.value(QStringLiteral("Acme Marketing Plan")).toArray().at(3).toInt(), 1);
    // The page: the paper, and margins that leave the plan's text area.
    const QPageLayout layout = PdfExport::planPageLayout();
    const QSizeF paper = layout.fullRect(QPageLayout::Inch).size();
    const QMarginsF edge = layout.margins(QPageLayout::Inch);
    const QJsonArray page = d[QStringLiteral("page")].toArray();
    QCOMPARE(page.at(0).toInt(), twips(paper.width()));
    QCOMPARE(page.at(1).toInt(), twips(paper.height()));
    QCOMPARE(page.at(2).toInt(), layout.orientation() == QPageLayout::Landscape ? 1 : 0);
    QCOMPARE(page.at(3).toInt(), twips(edge.left() + 1.0));
    QCOMPARE(page.at(5).toInt(), twips(edge.top() + 0.75));
    QCOMPARE(page.at(6).toInt(), twips(edge.bottom() + 0.5));
    QVERIFY(d[QStringLiteral("footer")].toString().startsWith(QLatin1String("Page ")));
    QVERIFY(d[QStringLiteral("footerPage")].toBool());
    QCOMPARE(d[QStringLiteral("title")].toString(), QStringLiteral("Acme Plan"));
    QCOMPARE(d[QStringLiteral("author")].toString(), QStringLiteral("Acme Ltd"));

    // LibreOffice reads the same words, and fills in the page number.
    REQUIRE_TOOL(!QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty(),
                 "LibreOffice (soffice)");
    QVERIFY(convert(file, QStringLiteral("txt:Text (encoded):UTF8")));
    const QString txt = QString::fromUtf8(readFileBytes(dir.filePath(QStringLiteral("Plan.txt"))));
    for (const char* word : {"Acme Marketing Plan", "Executive Summary", "boldword", "Product",
                             "Price", "Across both", "Next Steps", "ClosingWordsZeta"})
        QVERIFY2(txt.contains(QLatin1String(word)), word);
    QVERIFY(!txt.contains(QLatin1String("SecretRedNote")));
    QVERIFY(convert(file, QStringLiteral("pdf")));
    const QString pdf = dir.filePath(QStringLiteral("Plan.pdf"));
    QCOMPARE(pdfPageCount(pdf), 1);
    QVERIFY2(pdfText(pdf, 1).contains(QLatin1String("Page 1")), qPrintable(pdfText(pdf, 1)));
}

void TestDocxExport::planWithOnlyItsTitlePage() {
    QTemporaryDir dir;
    TextControl text;
    QVERIFY(RtfReader::read(
        QByteArrayLiteral("{\\rtf1\\ansi\\pard\\qc\\tzptag99\\b Acme Plan\\par\\pard\\b0 Prepared by us\\par}"),
        text.document()));
    const QString file = dir.filePath(QStringLiteral("title.docx"));
    DocxSetup setup{PdfExport::planPageLayout(), PageGeometry(),
                    {{QStringLiteral("Title Page"), 0, 99, false}}, {}};
    QString error;
    QVERIFY2(writePlanDocx(text, setup, file, &error), qPrintable(error));
    // A folder that does not exist writes nothing and says why.
    QVERIFY(!writePlanDocx(text, setup, dir.filePath(QStringLiteral("none/x.docx")), &error));
    QVERIFY(!error.isEmpty());

    REQUIRE_TOOL(hasDocxReader(), "python3-docx");
    const QJsonObject d = readDocx(file);
    QCOMPARE(strings(d[QStringLiteral("problems")]), QStringList());
    QCOMPARE(QJsonDocument(d[QStringLiteral("headings")].toArray()).toJson(QJsonDocument::Compact),
             QByteArray(R"([["Heading 1","Acme Plan"]])"));
    QCOMPARE(strings(d[QStringLiteral("paragraphs")]),
             (QStringList{QStringLiteral("Acme Plan"), QStringLiteral("Prepared by us")}));
    QCOMPARE(d[QStringLiteral("title")].toString(), QString());
    QCOMPARE(d[QStringLiteral("tables")].toArray().size(), 0);
}

QTEST_MAIN(TestDocxExport)
#include "tst_docxexport.moc"
