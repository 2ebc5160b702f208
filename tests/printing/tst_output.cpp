// What leaves the program, read back by other programs (poppler, LibreOffice) and compared
// with what was worked out by hand: a small fixed plan (two sections, a prompt, a hidden
// note, a 2 x 2 table, a bold word, an indented paragraph and a hanging bullet) and a
// two-row budget, in every format.
//
// The page: no printer, A4 (8.27 x 11.69 in = 595 x 842 pt), margins of 1 in = 72 pt on
// every side, so the text area is 6.27 x 9.69 in from (72 pt, 72 pt).
#include "controls/sheet/biff4.h"
#include "controls/sheet/sheetcontrol.h"
#include "controls/sheet/sheetscript.h"
#include "controls/sheet/xlsxfile.h"
#include "controls/text/tableformat.h"
#include "controls/text/tablemodel.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "platform/printerinfo.h"
#include "printing/pagegeometry.h"
#include "printing/planexport.h"
#include "printing/planprint.h"
#include "support/libreoffice.h"
#include "support/pdftext.h"
#include "support/testenv.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <memory>

namespace {

const QString kFont = QStringLiteral("Liberation Sans");
constexpr double kPt = 72.0; // points per inch

QTextCharFormat plain(bool bold = false) {
    QTextCharFormat f;
    f.setFontFamilies({kFont});
    f.setFontPointSize(12);
    f.setForeground(Qt::black);
    f.setProperty(TextFormat::HTagProperty, 0);
    if (bold) f.setFontWeight(QFont::Bold);
    return f;
}

QString words(const QString& stem, int count) {
    QStringList out;
    for (int i = 1; i <= count; ++i) out << stem + QString::number(i);
    return out.join(QLatin1Char(' '));
}

QString lineWord(int n) {
    return QStringLiteral("Line%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Lines of the second section are a fixed 24 pixels (0.25 in = 360 twips) high, so that the
// page breaks can be counted: a 9.69 in text area (13,954 twips) holds 38 of them.
QTextBlockFormat fixedLine() {
    QTextBlockFormat f;
    f.setLineHeight(24, QTextBlockFormat::FixedHeight);
    return f;
}

// The fixed plan. Section 1 (tag 99): a heading, a prompt with a hidden note, a bold word,
// a paragraph indented with the ruler (left 1.5 in, first line +0.5 in: \fi720\li2160), a
// hanging bullet as the template has them (\fi-154\li154) and a 2 x 2 table of 1 in cells.
// Section 2 (tag 1) starts a new page: its heading and a paragraph of 40 lines.
void makePlan(TextControl& text) {
    auto* doc = new QTextDocument;
    doc->setDefaultFont(QFont(kFont, 12));
    QTextCursor c(doc);
    QTextBlockFormat heading;
    heading.setProperty(TextFormat::PTagProperty, 99);
    c.setBlockFormat(heading);
    c.insertText(QStringLiteral("Overview"), plain(true));
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("Write here: "), plain());
    QTextCharFormat prompt = plain();
    prompt.setForeground(QColor(0, 0, 255));
    prompt.setProperty(TextFormat::HTagProperty, 1);
    c.insertText(QStringLiteral("[Describe your firm]"), prompt);
    QTextCharFormat hidden = plain();
    hidden.setForeground(QColor(255, 0, 0));
    hidden.setProperty(TextFormat::HTagProperty, 999);
    hidden.setProperty(TextFormat::HiddenProperty, true);
    c.insertText(QStringLiteral(" SecretRedNote"), hidden);
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("Our "), plain());
    c.insertText(QStringLiteral("Boldword"), plain(true));
    c.insertText(QStringLiteral(" shop"), plain());
    QTextBlockFormat indented;
    indented.setLeftMargin(144); // 1.5 in at 96 pixels an inch
    indented.setTextIndent(48);  // 0.5 in
    c.insertBlock(indented);
    c.insertText(QStringLiteral("IndentStart ") + words(QStringLiteral("alpha"), 40), plain());
    QTextBlockFormat bullet;
    bullet.setLeftMargin(154 / 15.0); // 154 twips
    bullet.setTextIndent(-154 / 15.0);
    c.insertBlock(bullet);
    c.insertText(QStringLiteral("\u2022 BulletStart ") + words(QStringLiteral("beta"), 40),
                 plain());
    c.insertBlock(QTextBlockFormat());
    TableModel model = TableModel::empty(2, 2, 2 * 1440);
    model.border = TableFormat::AllBorders;
    QTextTable* table = model.insert(c);
    const char* cells[2][2] = {{"CellA1", "CellB1"}, {"CellA2", "CellB2"}};
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 2; ++k)
            table->cellAt(r, k).firstCursorPosition().insertText(QString::fromLatin1(cells[r][k]),
                                                                 plain());
    c.movePosition(QTextCursor::End);
    QTextBlockFormat second = fixedLine();
    second.setProperty(TextFormat::PTagProperty, 1);
    second.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.setBlockFormat(second);
    c.insertText(QStringLiteral("Budget notes"), plain(true));
    // One paragraph of 40 lines (each ended by a line break), which the page break cuts.
    c.insertBlock(fixedLine());
    QStringList lines;
    for (int n = 1; n <= 40; ++n) lines << lineWord(n);
    c.insertText(lines.join(QChar::LineSeparator), plain());
    text.adoptDocument(doc);
}

// The words of each page, worked out by hand.
QStringList page1Words() {
    QStringList w{QStringLiteral("Overview"), QStringLiteral("Write"), QStringLiteral("here:"),
                  QStringLiteral("[Describe"), QStringLiteral("your"), QStringLiteral("firm]"),
                  QStringLiteral("Our"), QStringLiteral("Boldword"), QStringLiteral("shop"),
                  QStringLiteral("IndentStart")};
    w << words(QStringLiteral("alpha"), 40).split(QLatin1Char(' '));
    w << QStringLiteral("\u2022") << QStringLiteral("BulletStart");
    w << words(QStringLiteral("beta"), 40).split(QLatin1Char(' '));
    w << QStringLiteral("CellA1") << QStringLiteral("CellB1") << QStringLiteral("CellA2")
      << QStringLiteral("CellB2") << QStringLiteral("Page") << QStringLiteral("1");
    return w;
}
QStringList page2Words() {
    QStringList w{QStringLiteral("Budget"), QStringLiteral("notes")};
    for (int n = 1; n <= 37; ++n) w << lineWord(n); // 38 lines of 360 twips with the heading
    w << QStringLiteral("Page") << QStringLiteral("2");
    return w;
}
QStringList page3Words() {
    return {lineWord(38), lineWord(39), lineWord(40), QStringLiteral("Page"), QStringLiteral("3")};
}

QStringList textsOn(const QList<PdfWord>& all, int page) {
    QStringList out;
    for (const PdfWord& w : all)
        if (w.page == page) out << w.text;
    return out;
}

// The words of the paragraph that begins with `first`, up to the word before `next`.
QList<PdfWord> paragraphWords(const QList<PdfWord>& all, const QString& first,
                              const QString& next) {
    QList<PdfWord> out;
    bool in = false;
    for (const PdfWord& w : all) {
        if (w.text == first) in = true;
        if (w.text == next) break;
        if (in) out << w;
    }
    return out;
}

QString fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Every one of `expected` appears in `text`, in that order.
bool inOrder(const QString& text, const QStringList& expected, QString* missing) {
    qsizetype at = 0;
    for (const QString& e : expected) {
        const qsizetype found = text.indexOf(e, at);
        if (found < 0) {
            *missing = e;
            return false;
        }
        at = found + e.size();
    }
    return true;
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void pdfPagesAsWorkedOutByHand();
    void landscapeAndSmallPaperWithoutAPrinter();
    void wideTableFitsThePaper();
    void pictureKeepsEveryPixel();
    void planInOtherFormats();
    void budgetInEveryFormat();

private:
    bool exportPdf(const QString& path, const PageGeometry& g);
    PageGeometry pageGeometry(double margin = 1.0) const;

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<TextControl> m_text;
    std::unique_ptr<TextControl> m_footer;
    std::unique_ptr<PlanPrinting> m_printing;
    QString out(const QString& name) const { return m_dir.filePath(name); }
};

void TestOutput::initTestCase() {
    // TANDEL_KEEP_OUTPUT=1 keeps the files made (and the pictures of the landscape and
    // A5 pages) for a person to look at.
    if (qEnvironmentVariableIsSet("TANDEL_KEEP_OUTPUT")) {
        m_dir.setAutoRemove(false);
        qInfo("The files are kept in %s", qPrintable(m_dir.path()));
    }
    m_env = std::make_unique<TestEnv>();
    m_text = std::make_unique<TextControl>();
    m_footer = std::make_unique<TextControl>();
    m_printing = std::make_unique<PlanPrinting>(*m_text, *m_footer, nullptr);
}

void TestOutput::init() {
    PrinterInfo::setNoPrinterForTesting();
    makePlan(*m_text);
}

PageGeometry TestOutput::pageGeometry(double margin) const {
    PageGeometry g;
    g.left = g.right = g.top = g.bottom = margin;
    g.fitTo(PrinterInfo::instance().printablePageInches());
    return g;
}

bool TestOutput::exportPdf(const QString& path, const PageGeometry& g) {
    PdfExport pdf;
    const QList<PdfSection> sections{{QStringLiteral("Overview"), 0, 99, false},
                                     {QStringLiteral("Budget notes"), 0, 1, false}};
    PdfInfo info{QStringLiteral("Fixed Plan"), QStringLiteral("Ann Author"),
                 QStringLiteral("Tandel Zurozurov Irod")};
    QString error;
    const bool ok = pdf.addPlan(*m_printing, *m_text, g, PdfExport::planPageLayout(), sections) &&
                    pdf.finish(path, info, &error);
    if (!ok) qWarning("%s", qPrintable(error));
    return ok;
}

void TestOutput::pdfPagesAsWorkedOutByHand() {
    const PageGeometry g = pageGeometry();
    QVERIFY(qAbs(g.textWidth - 6.27) < 0.01);
    QVERIFY(qAbs(g.textHeight - 9.69) < 0.01);
    const QString pdf = out(QStringLiteral("fixed.pdf"));
    QVERIFY(exportPdf(pdf, g));
    QCOMPARE(pdfPageCount(pdf), 3);
    QVERIFY2(QRegularExpression(QStringLiteral("Page size:\\s+59[45](\\.\\d+)? x 84[12]"))
                 .match(run(QStringLiteral("pdfinfo"), {pdf}))
                 .hasMatch(),
             qPrintable(run(QStringLiteral("pdfinfo"), {pdf})));
    QCOMPARE(pdfInfoField(pdf, QStringLiteral("Author")), QStringLiteral("Ann Author"));

    // Every word once, on its page, and nothing else: no line of a neighbouring page drawn
    // (and hidden) above or below the text area, no hidden note.
    const QList<PdfWord> all = pdfWords(pdf);
    QCOMPARE(textsOn(all, 1), page1Words());
    QCOMPARE(textsOn(all, 2), page2Words());
    QCOMPARE(textsOn(all, 3), page3Words());
    const double areaBottom = 72 + 9.69 * kPt;
    for (const PdfWord& w : all) {
        if (w.text == QLatin1String("Page") || w.text == QString::number(w.page)) {
            // The footer: in the 500 twips (25 pt) under the text area.
            QVERIFY2(w.box.top() >= areaBottom - 1 && w.box.bottom() <= areaBottom + 25,
                     qPrintable(w.text));
            continue;
        }
        QVERIFY2(w.box.top() >= 72 - 1 && w.box.bottom() <= 72 + 9.69 * kPt + 1,
                 qPrintable(w.text));
        QVERIFY2(w.box.left() >= 72 - 1 && w.box.right() <= 72 + 6.27 * kPt + 1,
                 qPrintable(w.text));
    }
    // The margins are the ones set: the text starts 1 in from the paper's corner.
    const PdfWord first = pdfWord(all, QStringLiteral("Overview"));
    QVERIFY2(qAbs(first.box.left() - 72) < 1.5, qPrintable(QString::number(first.box.left())));
    QVERIFY2(first.box.top() >= 72 && first.box.top() < 72 + 6, qPrintable(QString::number(first.box.top())));
    // Page 3 begins with its first line at the top margin.
    QVERIFY(qAbs(pdfWord(all, lineWord(38)).box.top() - 72) < 18);
    QCOMPARE(pdfWord(all, lineWord(38)).page, 3);

    // The ruler's indents at their true size: the first line at 1 + 1.5 + 0.5 in = 216 pt,
    // the lines after it at 1 + 1.5 in = 180 pt.
    const QList<PdfWord> indented =
        paragraphWords(all, QStringLiteral("IndentStart"), QStringLiteral("\u2022"));
    QVERIFY(indented.size() == 41);
    QVERIFY2(qAbs(indented.first().box.left() - 216) < 1.5,
             qPrintable(QString::number(indented.first().box.left())));
    int wrapped = 0;
    for (int i = 1; i < indented.size(); ++i) {
        if (indented[i].box.top() > indented[i - 1].box.top() + 5) {
            ++wrapped;
            QVERIFY2(qAbs(indented[i].box.left() - 180) < 1.5,
                     qPrintable(indented[i].text + QLatin1Char(' ') +
                                QString::number(indented[i].box.left())));
        }
    }
    QVERIFY(wrapped >= 2);
    // The hanging bullet: its bullet at the margin, 72 pt, every line after the first at
    // 72 + 154 / 20 = 79.7 pt.
    const QList<PdfWord> hanging =
        paragraphWords(all, QStringLiteral("\u2022"), QStringLiteral("CellA1"));
    QVERIFY(qAbs(hanging.first().box.left() - 72) < 1.5);
    wrapped = 0;
    for (int i = 1; i < hanging.size(); ++i) {
        if (hanging[i].box.top() > hanging[i - 1].box.top() + 5) {
            ++wrapped;
            QVERIFY2(qAbs(hanging[i].box.left() - 79.7) < 1.5,
                     qPrintable(hanging[i].text + QLatin1Char(' ') +
                                QString::number(hanging[i].box.left())));
        }
    }
    QVERIFY(wrapped >= 1);
    // The table's second column begins an inch (72 pt) after its first.
    const double columnStep =
        pdfWord(all, QStringLiteral("CellB1")).box.left() - pdfWord(all, QStringLiteral("CellA1")).box.left();
    QVERIFY2(qAbs(columnStep - 72) < 1.5, qPrintable(QString::number(columnStep)));
    // The bookmarks lead to the sections' pages.
    const QList<PdfOutlineItem> marks = pdfOutline(pdf);
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks[0].page, 1);
    QCOMPARE(marks[1].page, 2);
}

void TestOutput::landscapeAndSmallPaperWithoutAPrinter() {
    PrinterInfo& printer = PrinterInfo::instance();
    struct Case {
        const char* name;
        int paper;
        int orientation;
        double width, height; // points
    };
    const Case cases[] = {{"landscape", 9, 2, 842, 595}, {"a5", 11, 1, 420, 595}};
    for (const Case& k : cases) {
        QVERIFY(printer.setPaperSize(k.paper));
        QVERIFY(printer.setOrientation(k.orientation));
        const PageGeometry g = pageGeometry(0.75);
        const QString pdf = out(QString::fromLatin1(k.name) + QStringLiteral(".pdf"));
        QVERIFY(exportPdf(pdf, g));
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(qAbs(size.captured(1).toDouble() - k.width) < 2, qPrintable(info));
        QVERIFY2(qAbs(size.captured(2).toDouble() - k.height) < 2, qPrintable(info));
        // Every word of the plan is on the paper, inside its margins (0.75 in = 54 pt),
        // and every page has its footer.
        const QList<PdfWord> all = pdfWords(pdf);
        QStringList texts;
        for (const PdfWord& w : all) {
            texts << w.text;
            QVERIFY2(w.box.left() >= 54 - 1 && w.box.right() <= k.width - 54 + 1,
                     qPrintable(QString::fromLatin1(k.name) + QLatin1Char(' ') + w.text));
            QVERIFY2(w.box.top() >= 54 - 1 && w.box.bottom() <= k.height - 54 + 40,
                     qPrintable(QString::fromLatin1(k.name) + QLatin1Char(' ') + w.text));
        }
        for (const QString& w : page1Words() + page2Words() + page3Words())
            if (w != QLatin1String("Page") && !w.at(0).isDigit())
                QVERIFY2(texts.contains(w), qPrintable(QString::fromLatin1(k.name) + QLatin1Char(' ') + w));
        const int pages = pdfPageCount(pdf);
        for (int p = 1; p <= pages; ++p)
            QVERIFY(pdfText(pdf, p).contains(QStringLiteral("Page %1").arg(p)));
        // What the pages look like is kept beside the test for a person to look at.
        run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                                         pdf, out(QString::fromLatin1(k.name))});
    }
}

void TestOutput::wideTableFitsThePaper() {
    // Three columns of 3 in: 9 in of table on a text area of 6.27 in.
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    c.insertText(QStringLiteral("Before"), plain());
    c.insertBlock();
    TableModel model = TableModel::empty(1, 3, 9 * 1440);
    model.border = TableFormat::AllBorders;
    QTextTable* table = model.insert(c);
    for (int k = 0; k < 3; ++k)
        table->cellAt(0, k).firstCursorPosition().insertText(
            QStringLiteral("Wide%1 ").arg(k) + words(QStringLiteral("w%1x").arg(k), 12), plain());
    m_text->adoptDocument(doc);
    const QString pdf = out(QStringLiteral("wide.pdf"));
    QVERIFY(exportPdf(pdf, pageGeometry()));
    const QList<PdfWord> all = pdfWords(pdf);
    QVERIFY(pdfWord(all, QStringLiteral("Wide2")).page == 1);
    for (const PdfWord& w : all)
        QVERIFY2(w.box.right() <= 72 + 6.27 * kPt + 1,
                 qPrintable(w.text + QLatin1Char(' ') + QString::number(w.box.right())));
    // The columns keep their proportions: each a third of the text area.
    const double step = pdfWord(all, QStringLiteral("Wide1")).box.left() -
                        pdfWord(all, QStringLiteral("Wide0")).box.left();
    QVERIFY2(qAbs(step - 6.27 * kPt / 3) < 4, qPrintable(QString::number(step)));
}

void TestOutput::pictureKeepsEveryPixel() {
    // Fine lines and lettering, as in a chart or a logo, which JPEG would smear.
    QImage picture(240, 120, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, (x + y) % 3 == 0 ? qRgb(0, 114, 178) : qRgb(255, 255, 255));
    m_text->setSelStart(0);
    QVERIFY(m_text->insertPicture(picture, QSizeF(180, 90)));
    const QString pdf = out(QStringLiteral("picture.pdf"));
    QVERIFY(exportPdf(pdf, pageGeometry()));

    const QString list = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    QVERIFY2(list.contains(QRegularExpression(QStringLiteral("\\bimage\\s+240\\s+120\\b"))), qPrintable(list));
    QVERIFY2(!list.contains(QStringLiteral("jpeg")), qPrintable(list));
    const QString prefix = out(QStringLiteral("picture-out"));
    run(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, prefix});
    const QImage back(prefix + QStringLiteral("-000.png"));
    QCOMPARE(back.size(), picture.size());
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), picture);
}

void TestOutput::planInOtherFormats() {
    // Plain text: what paper shows, a paragraph a line, cells a line each.
    const QString txt = out(QStringLiteral("fixed.txt"));
    QVERIFY(m_text->exportFile(txt, TextControl::PlainText));
    const QString plainText = fileText(txt);
    const QStringList expectedLines{
        QStringLiteral("Overview"), QStringLiteral("Write here: [Describe your firm]"),
        QStringLiteral("Our Boldword shop"),
        QStringLiteral("IndentStart ") + words(QStringLiteral("alpha"), 40),
        QStringLiteral("\u2022 BulletStart ") + words(QStringLiteral("beta"), 40),
        QStringLiteral("CellA1"), QStringLiteral("CellB1"), QStringLiteral("CellA2"),
        QStringLiteral("CellB2"), QStringLiteral("Budget notes"), lineWord(1), lineWord(40)};
    QString missing;
    QVERIFY2(inOrder(plainText, expectedLines, &missing), qPrintable(missing + QStringLiteral(" in\n") + plainText));
    QVERIFY(!plainText.contains(QStringLiteral("SecretRedNote")));

    const QString rtf = out(QStringLiteral("fixedrtf.rtf"));
    QVERIFY(m_text->exportFile(rtf, TextControl::StandardRtf));
    const QString odt = out(QStringLiteral("fixedodt.odt"));
    PageGeometry g = pageGeometry();
    g.left = 1.25;
    g.fitTo(PrinterInfo::instance().printablePageInches());
    QString error;
    QVERIFY2(writePlanOdt(*m_text, odt,
                          PdfExport::odtPage(g, {QStringLiteral("Fixed Plan"), QStringLiteral("Ann Author"),
                                                 QStringLiteral("Tandel Zurozurov Irod")}),
                          &error),
             qPrintable(error));

    REQUIRE_LIBREOFFICE("the plan's rich text and OpenDocument files");
    QVERIFY2(sofficeConvert(QStringLiteral("txt:Text (encoded):UTF8"), {rtf, odt}, m_dir.path(), &error),
             qPrintable(error));
    QVERIFY2(sofficeConvert(QStringLiteral("html"), {rtf, odt}, m_dir.path(), &error), qPrintable(error));
    QVERIFY2(sofficeConvert(QStringLiteral("pdf"), {odt}, m_dir.path(), &error), qPrintable(error));
    QVERIFY2(sofficeConvert(QStringLiteral("fodt"), {odt}, m_dir.path(), &error), qPrintable(error));
    for (const QString& name : {QStringLiteral("fixedrtf"), QStringLiteral("fixedodt")}) {
        // Every paragraph and cell, in order; the hidden note nowhere.
        const QString read = fileText(out(name + QStringLiteral(".txt")));
        QVERIFY2(inOrder(read, expectedLines, &missing),
                 qPrintable(name + QStringLiteral(": ") + missing + QStringLiteral(" in\n") + read));
        if (name == QLatin1String("fixedodt")) QVERIFY(!read.contains(QStringLiteral("SecretRedNote")));
        // The bold word is bold, and only it.
        const QString html = fileText(out(name + QStringLiteral(".html")));
        QVERIFY2(QRegularExpression(QStringLiteral("<b>\\s*Boldword\\s*</b>")).match(html).hasMatch() ||
                     QRegularExpression(QStringLiteral("font-weight: ?bold[^>]*>\\s*Boldword")).match(html).hasMatch(),
                 qPrintable(name));
    }
    // The OpenDocument file as LibreOffice sees it: the page of 8.27 x 11.69 in with the
    // margins set (1.25 in = 90 pt on the left, 1 in elsewhere), the title and author, the
    // font of the text, and the table's cell borders.
    const QString fromOdt = out(QStringLiteral("fixedodt.pdf"));
    const QString info = run(QStringLiteral("pdfinfo"), {fromOdt});
    QVERIFY2(info.contains(QStringLiteral("Title:           Fixed Plan")), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("Author:          Ann Author")), qPrintable(info));
    QVERIFY2(QRegularExpression(QStringLiteral("Page size:\\s+59[45](\\.\\d+)? x 84[12]")).match(info).hasMatch(),
             qPrintable(info));
    const QList<PdfWord> odtWords = pdfWords(fromOdt);
    const PdfWord overview = pdfWord(odtWords, QStringLiteral("Overview"));
    QVERIFY2(qAbs(overview.box.left() - 90) < 1.5, qPrintable(QString::number(overview.box.left())));
    QVERIFY2(overview.box.top() > 72 - 1 && overview.box.top() < 72 + 8,
             qPrintable(QString::number(overview.box.top())));
    const PdfWord indent = pdfWord(odtWords, QStringLiteral("IndentStart"));
    QVERIFY2(qAbs(indent.box.left() - (90 + 144)) < 1.5, qPrintable(QString::number(indent.box.left())));
    const QString fonts = run(QStringLiteral("pdffonts"), {fromOdt});
    QVERIFY2(fonts.contains(QStringLiteral("LiberationSans")), qPrintable(fonts));
    QVERIFY2(!fonts.contains(QStringLiteral("DejaVu")), qPrintable(fonts));
    const QString flat = fileText(out(QStringLiteral("fixedodt.fodt")));
    QVERIFY2(QRegularExpression(QStringLiteral("fo:border(-top)?=\"[0-9.]+(pt|in|cm|mm) solid #000000\""))
                 .match(flat)
                 .hasMatch(),
             "the table cells have no borders");
}

void TestOutput::budgetInEveryFormat() {
    SheetControl sheet;
    const Sheet::ScriptResult made = Sheet::runSheetScript(QStringLiteral(
        "set A1 Item\nset B1 Cost\nset C1 Twice\n"
        "set A2 Adverts\nset B2 1200\nset C2 =B$2+$B2\n"), &sheet.model());
    QVERIFY2(made.ok(), qPrintable(made.failures.join(u'\n')));
    sheet.Finish();

    const QString tsv = out(QStringLiteral("two.txt"));
    const QString xls = out(QStringLiteral("twoxls.xls"));
    const QString xlsx = out(QStringLiteral("twoxlsx.xlsx"));
    QVERIFY(sheet.Write(tsv, SheetControl::TabbedText));
    QVERIFY(sheet.Write(xls, SheetControl::Excel4File));
    QString error;
    QVERIFY2(Sheet::writeXlsx(sheet.model(), xlsx, &error), qPrintable(error));
    QCOMPARE(readFileBytes(tsv), QByteArray("\xEF\xBB\xBF" "Item\tCost\tTwice\r\n"
                                            "Adverts\t1200\t2400\r\n"));
    const QString pdf = out(QStringLiteral("two.pdf"));
    {
        PdfExport p;
        QVERIFY(p.addBudget(sheet, QString()));
        QVERIFY2(p.finish(pdf, PdfInfo{}, &error), qPrintable(error));
    }
    QVERIFY(pdfText(pdf).contains(QStringLiteral("Adverts")));
    QVERIFY(pdfText(pdf).contains(QStringLiteral("2400")));

    REQUIRE_LIBREOFFICE("the budget's workbooks");
    QVERIFY2(sofficeConvert(QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), {xls, xlsx},
                            m_dir.path(), &error),
             qPrintable(error));
    QVERIFY2(sofficeConvert(QStringLiteral("fods"), {xls, xlsx}, m_dir.path(), &error), qPrintable(error));
    for (const QString& name : {QStringLiteral("twoxls"), QStringLiteral("twoxlsx")}) {
        QCOMPARE(fileText(out(name + QStringLiteral(".csv"))),
                 QStringLiteral("\"Item\",\"Cost\",\"Twice\"\n\"Adverts\",1200,2400\n"));
        // The formula itself, with its absolute row and absolute column where they were.
        const QString flat = fileText(out(name + QStringLiteral(".fods")));
        QVERIFY2(flat.contains(QStringLiteral("table:formula=\"of:=[.B$2]+[.$B2]\"")),
                 qPrintable(name));
    }
    // The workbook's default font is the sheet's (Arial 10), not Calibri 11.
    const QString flat = fileText(out(QStringLiteral("twoxlsx.fods")));
    const QRegularExpressionMatch normal =
        QRegularExpression(QStringLiteral("<style:style style:name=\"Default\"[^>]*>(.*?)</style:style>"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(flat);
    QVERIFY2(normal.hasMatch(), "no default cell style");
    QVERIFY2(normal.captured(1).contains(QStringLiteral("style:font-name=\"Arial\"")),
             qPrintable(normal.captured(1)));
    // LibreOffice names the size only where it differs from its own 10 points.
    const QRegularExpression size(QStringLiteral("fo:font-size=\"([0-9.]+)pt\""));
    const QRegularExpressionMatch own = size.match(normal.captured(1));
    QVERIFY2(!own.hasMatch() || own.captured(1).toDouble() == 10, qPrintable(normal.captured(1)));
    const int defaults = flat.indexOf(QStringLiteral("<style:default-style style:family=\"table-cell\""));
    QVERIFY(defaults >= 0);
    QCOMPARE(size.match(flat, defaults).captured(1).toDouble(), 10.0);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
