#include "controls/text/paperlayout.h"
#include "controls/text/printfunctions.h"
#include "controls/text/textcontrol.h"
#include "controls/text/textformat.h"
#include "support/pdftext.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <memory>

namespace {

constexpr int kWidth = 6 * 1440;  // twips
constexpr int kHeight = 4 * 1440; // a short page, so that a few paragraphs fill several

QTextCharFormat plain() {
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("DejaVu Sans")});
    f.setFontPointSize(11);
    return f;
}

QTextCharFormat hidden() {
    QTextCharFormat f = plain();
    f.setForeground(QColor(255, 0, 0));
    f.setProperty(TextFormat::HTagProperty, 999);
    f.setProperty(TextFormat::HiddenProperty, true);
    return f;
}

// Paragraph i reads "Para<i>" followed by words, with a hidden note in every fifth, and
// a paragraph of nothing but a hidden note after every seventh.
QTextDocument* makeText(int paragraphs, int words = 40) {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    for (int i = 0; i < paragraphs; ++i) {
        if (i) c.insertBlock();
        c.insertText(QStringLiteral("Para%1 ").arg(i), plain());
        QString body;
        for (int w = 0; w < words; ++w)
            body += QStringLiteral("word%1 ").arg(w % 7);
        c.insertText(body, plain());
        if (i % 5 == 0) c.insertText(QStringLiteral(" SecretNote%1").arg(i), hidden());
        if (i % 7 == 6) {
            c.insertBlock();
            c.insertText(QStringLiteral("WholeHiddenNote"), hidden());
        }
    }
    return doc;
}

// A table of `rows` rows whose middle cell has (row % 4) + 1 paragraphs, after a few
// paragraphs of text. Cell (r, 0) reads "RowStart<r>", the last paragraph of (r, 1)
// "RowEnd<r>".
QTextDocument* makeTable(int rows) {
    QTextDocument* doc = makeText(4);
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    QTextTableFormat tf;
    tf.setBorderCollapse(true);
    tf.setBorder(0);
    tf.setCellPadding(0);
    tf.setCellSpacing(0);
    QTextTable* t = c.insertTable(rows, 3, tf);
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < 3; ++col) {
            QTextTableCell cell = t->cellAt(r, col);
            QTextTableCellFormat cf = cell.format().toTableCellFormat();
            cf.setTopBorder(0.67);
            cf.setBottomBorder(0.67);
            cf.setLeftBorder(0.67);
            cf.setRightBorder(0.67);
            cf.setTopBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cf.setBottomBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cf.setLeftBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cf.setRightBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            cf.setTopPadding(1);
            cf.setBottomPadding(1);
            cf.setLeftPadding(7);
            cf.setRightPadding(7);
            cell.setFormat(cf);
            QTextCursor in = cell.firstCursorPosition();
            if (col == 0) in.insertText(QStringLiteral("RowStart%1").arg(r), plain());
            if (col == 1) {
                for (int k = 0; k < r % 4; ++k) {
                    in.insertText(QStringLiteral("filler line"), plain());
                    in.insertBlock();
                }
                in.insertText(QStringLiteral("RowEnd%1").arg(r), plain());
            }
        }
    }
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertText(QStringLiteral("AfterTable"), plain());
    return doc;
}

std::unique_ptr<TextControl> control(QTextDocument* doc) {
    auto t = std::make_unique<TextControl>();
    t->adoptDocument(doc);
    t->setShowHidden(1);
    return t;
}

// A PDF printer with the whole sheet as its printable area.
std::unique_ptr<QPrinter> pdfPrinter(const QString& file) {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(file);
    p->setPageSize(QPageSize(QPageSize::A4));
    p->setFullPage(true);
    return p;
}

// Which page (from 0) holds the whole stretch top..bottom, or -1.
int pageHolding(const PaperLayout& paper, double top, double bottom) {
    for (int i = 0; i < paper.pageCount(); ++i)
        if (top >= paper.page(i).top - 0.01 && bottom <= paper.page(i).bottom + 0.01) return i;
    return -1;
}

// A page that records the text drawn on it, a run at a time: what a PDF would hold,
// before any reader merges text drawn twice in the same place.
class TextRecorder : public QPaintDevice {
public:
    QStringList texts;
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return 8 * 600;
        case PdmHeight: return 11 * 600;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 600;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder* d) : QPaintEngine(AllFeatures), m_d(d) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            m_d->texts << item.text();
        }
        Type type() const override { return User; }

    private:
        TextRecorder* m_d;
    };
    mutable Engine m_engine{this};
};

using Units = std::vector<PaperLayout::Unit>;
using Pages = std::vector<std::pair<double, double>>;

} // namespace

Q_DECLARE_METATYPE(Units)
Q_DECLARE_METATYPE(Pages)

class TestPaperPrint : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString pdf(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    // A paragraph that page breaks cut, with lines of a fixed height, and plain ones: each
    // page draws its own lines once, and none of the pages before or after it.
    void eachPageDrawsItsOwnLinesOnce() {
        auto* doc = new QTextDocument;
        QTextCursor c(doc);
        QStringList lines;
        for (int n = 0; n < 60; ++n) lines << QStringLiteral("Fixed%1").arg(n);
        QTextBlockFormat fixed;
        fixed.setLineHeight(24, QTextBlockFormat::FixedHeight);
        c.setBlockFormat(fixed);
        c.insertText(lines.join(QChar::LineSeparator), plain());
        c.insertBlock(QTextBlockFormat());
        QStringList more;
        for (int n = 0; n < 60; ++n) more << QStringLiteral("Plain%1").arg(n);
        c.insertText(more.join(QChar::LineSeparator), plain());
        auto text = control(doc);
        const PaperLayout paper(text->paperDocument(), kWidth, kHeight);
        QVERIFY(paper.pageCount() >= 6);
        QStringList all;
        for (int i = 0; i < paper.pageCount(); ++i) {
            TextRecorder page;
            QPainter painter(&page);
            paper.drawPage(&painter, i, QPointF(1440, 1440));
            painter.end();
            all << page.texts;
        }
        QCOMPARE(all, lines + more);
    }
    // Lines a little closer than their height, as a font with a negative leading sets them
    // (Nimbus Sans, Arial's stand-in without Liberation): each word still once on paper.
    void linesThatOverlapPrintOnce() {
        for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans")}) {
            auto* doc = new QTextDocument;
            QTextCursor c(doc);
            QTextCharFormat f = plain();
            f.setFontFamilies({family});
            QTextBlockFormat close;
            if (family.startsWith(QLatin1String("DejaVu")))
                close.setLineHeight(96, QTextBlockFormat::ProportionalHeight);
            QStringList words;
            for (int n = 0; n < 2000; ++n) words << QStringLiteral("w%1").arg(n);
            for (int p = 0; p < 20; ++p) {
                if (p) c.insertBlock();
                c.setBlockFormat(close);
                c.insertText(words.mid(p * 100, 100).join(QLatin1Char(' ')), f);
            }
            auto text = control(doc);
            const PaperLayout paper(text->paperDocument(), kWidth, kHeight);
            QVERIFY(paper.pageCount() >= 6);
            QStringList all;
            for (int i = 0; i < paper.pageCount(); ++i) {
                TextRecorder page;
                QPainter painter(&page);
                paper.drawPage(&painter, i, QPointF(1440, 1440));
                painter.end();
                all << page.texts;
            }
            QCOMPARE(all.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts), words);
        }
    }
    // Paper shows every length of the model at its true size: each paragraph's box, its
    // lines' starts and its tab stops lie, in twips, at fifteen times where the same text
    // lies on a 96-dpi screen.
    void paperKeepsEveryLengthOfTheScreen() {
        auto* doc = new QTextDocument;
        doc->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        QTextCursor c(doc);
        c.insertText(QStringLiteral("Plain first paragraph"), plain());
        QTextBlockFormat ruler; // left 1.5 in, first line +0.5 in, right 0.25 in
        ruler.setLeftMargin(144);
        ruler.setTextIndent(48);
        ruler.setRightMargin(24);
        ruler.setTopMargin(12);
        ruler.setBottomMargin(6);
        ruler.setTabPositions({QTextOption::Tab(96, QTextOption::LeftTab)});
        c.insertBlock(ruler);
        c.insertText(QStringLiteral("Tab\tstop then words words words words words words words "
                                    "words words words words words words words words words"),
                     plain());
        QTextBlockFormat hanging; // \fi-154\li154
        hanging.setLeftMargin(154 / 15.0);
        hanging.setTextIndent(-154 / 15.0);
        c.insertBlock(hanging);
        c.insertText(QStringLiteral("Bullet words words words words words words words words words "
                                    "words words words words words words words words words"),
                     plain());
        c.insertBlock(QTextBlockFormat());
        QTextTableFormat tf;
        tf.setCellPadding(5);
        tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 96),
                                      QTextLength(QTextLength::FixedLength, 144)});
        QTextTable* t = c.insertTable(1, 2, tf);
        t->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("Cell"), plain());
        std::unique_ptr<QTextDocument> screen(doc->clone());
        screen->setDocumentMargin(0);
        screen->setTextWidth(6 * 96);
        auto text = control(doc);
        const PaperLayout paper(text->paperDocument(), 6 * 1440, 9 * 1440);
        const QTextDocument* onPaper = paper.document();
        QAbstractTextDocumentLayout* s = screen->documentLayout();
        QAbstractTextDocumentLayout* p = onPaper->documentLayout();
        QTextBlock a = screen->begin();
        QTextBlock b = onPaper->begin();
        double screenBottom = 0, paperBottom = 0;
        for (; a.isValid() && b.isValid(); a = a.next(), b = b.next()) {
            const QString what = a.text().left(12);
            const QRectF rs = s->blockBoundingRect(a), rp = p->blockBoundingRect(b);
            QVERIFY2(qAbs(rp.left() - 15 * rs.left()) < 16, qPrintable(what));
            // The space between paragraphs (their spacing before and after, a table's
            // border and padding); the lines' own heights differ a little with the fonts'
            // hinting at the two resolutions.
            QVERIFY2(qAbs((rp.top() - paperBottom) - 15 * (rs.top() - screenBottom)) < 16,
                     qPrintable(what + QStringLiteral(": %1 against %2")
                                           .arg(rp.top() - paperBottom)
                                           .arg(15 * (rs.top() - screenBottom))));
            screenBottom = rs.bottom();
            paperBottom = rp.bottom();
            const QTextLayout* ls = a.layout();
            const QTextLayout* lp = b.layout();
            QVERIFY(ls->lineCount() > 0 && lp->lineCount() > 0);
            for (int i = 0; i < std::min(2, std::min(ls->lineCount(), lp->lineCount())); ++i)
                QVERIFY2(qAbs(lp->lineAt(i).x() - 15 * ls->lineAt(i).x()) < 16,
                         qPrintable(what + QStringLiteral(" line %1: %2 against %3")
                                               .arg(i)
                                               .arg(lp->lineAt(i).x())
                                               .arg(15 * ls->lineAt(i).x())));
            if (a.text().startsWith(QLatin1String("Tab\t"))) {
                // The word after the tab starts at the stop: 1 in after the line's start.
                const double stopScreen = ls->lineAt(0).cursorToX(4) - ls->lineAt(0).x();
                const double stopPaper = lp->lineAt(0).cursorToX(4) - lp->lineAt(0).x();
                QVERIFY2(qAbs(stopPaper - 15 * stopScreen) < 16,
                         qPrintable(QStringLiteral("%1 against %2").arg(stopPaper).arg(15 * stopScreen)));
            }
        }
        // The first line of the ruler's paragraph starts 2 in in, the next 1.5 in.
        const QTextBlock indented = onPaper->begin().next();
        QCOMPARE(indented.layout()->lineAt(0).x(), 2.0 * 1440);
        QCOMPARE(indented.layout()->lineAt(1).x(), 1.5 * 1440);
    }

    void paginate_data() {
        QTest::addColumn<Units>("units");
        QTest::addColumn<Pages>("pages");
        QTest::newRow("fits") << Units{{0, 10}, {10, 20}} << Pages{{0, 20}};
        QTest::newRow("a line that would cross goes over")
            << Units{{0, 40}, {40, 80}, {80, 120}} << Pages{{0, 80}, {80, 120}};
        QTest::newRow("overlapping rows share their border")
            << Units{{0, 52}, {50, 102}, {100, 152}} << Pages{{0, 52}, {50, 102}, {100, 152}};
        QTest::newRow("break before") << Units{{0, 10}, {10, 20, true}, {20, 30}}
                                      << Pages{{0, 10}, {10, 30}};
        QTest::newRow("taller than a page is cut")
            << Units{{0, 10}, {10, 250}, {250, 260}}
            << Pages{{0, 10}, {10, 110}, {110, 210}, {210, 260}};
    }
    void paginate() {
        QFETCH(Units, units);
        QFETCH(Pages, pages);
        const std::vector<PaperLayout::Page> got = PaperLayout::paginate(units, 100);
        QCOMPARE(got.size(), pages.size());
        for (size_t i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].top, pages[i].first);
            QCOMPARE(got[i].bottom, pages[i].second);
        }
    }

    // Every line of the paper layout lies whole on one page, every table row too, and
    // the pages come in order without leaving anything out.
    void linesAndRowsStayWhole() {
        auto t = control(makeTable(40));
        const PaperLayout paper(t->paperDocument(), kWidth, kHeight);
        QVERIFY(paper.pageCount() >= 4);
        for (int i = 0; i < paper.pageCount(); ++i) {
            QVERIFY(paper.usedHeight(i) <= kHeight);
            if (i) QVERIFY(paper.page(i).top <= paper.page(i - 1).bottom + 0.01);
        }
        const QTextDocument* doc = paper.document();
        QAbstractTextDocumentLayout* layout = doc->documentLayout();
        int lines = 0;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const QRectF r = layout->blockBoundingRect(b);
            for (int i = 0; i < b.layout()->lineCount(); ++i) {
                const QTextLine line = b.layout()->lineAt(i);
                const double top = r.top() + line.y() - b.layout()->lineAt(0).y();
                QVERIFY2(pageHolding(paper, top, top + line.height()) >= 0,
                         qPrintable(b.text()));
                ++lines;
            }
        }
        QVERIFY(lines > 40);
        QTextTable* table = nullptr;
        for (QTextFrame* f : doc->rootFrame()->childFrames())
            table = table ? table : qobject_cast<QTextTable*>(f);
        QVERIFY(table);
        for (int r = 0; r < table->rows(); ++r) {
            const QTextTableCell first = table->cellAt(r, 0);
            const QTextTableCell last = table->cellAt(r, 1);
            const double top = layout->blockBoundingRect(doc->findBlock(first.firstPosition())).top();
            const double bottom =
                layout->blockBoundingRect(doc->findBlock(last.lastPosition())).bottom();
            QVERIFY2(pageHolding(paper, top, bottom) >= 0, qPrintable(QString::number(r)));
        }
    }

    // Printed: every page once with its events, the skip flag leaving pages out, each row's
    // first and last words on the same sheet, hidden text nowhere.
    void printsPagesWithEvents() {
        auto t = control(makeTable(40));
        const PaperLayout paper(t->paperDocument(), kWidth, kHeight);
        const int pages = paper.pageCount();
        QVERIFY(pages >= 4);

        QList<int> asked, ended;
        connect(t.get(), &TextControl::OnPrintThisPage, this, [&](int page, bool& skip) {
            asked << page;
            skip = page == 2; // the second page is left out
        });
        connect(t.get(), &TextControl::OnPrintEndPage, this, [&](int index) { ended << index; });

        const QString file = pdf("events.pdf");
        auto printer = pdfPrinter(file);
        QPainter painter(printer.get());
        QCOMPARE(ATX_PRINT_START(0, &painter, 1, 1), 0);
        int y = 1440;
        QCOMPARE(ATX_PRINT(t.get(), y, 1440, kHeight, 1440, kWidth, 0, -1, 0), 0);
        QCOMPARE(ATX_PRINT_FINISH(), 0);
        painter.end();

        QList<int> all, drawn;
        for (int i = 1; i <= pages; ++i)
            all << i;
        for (int i = 0; i < pages; ++i)
            if (i != 1) drawn << i;
        QCOMPARE(asked, all);
        QCOMPARE(ended, drawn);
        QCOMPARE(y, 1440 + int(std::lround(paper.usedHeight(pages - 1))));
        QCOMPARE(pdfPageCount(file), pages - 1);

        // Each row whole on one sheet: its first cell's word and its last line's word.
        const QList<PdfWord> words = pdfWords(file);
        int rowsSeen = 0;
        for (int r = 0; r < 40; ++r) {
            const PdfWord start = pdfWord(words, QStringLiteral("RowStart%1").arg(r));
            const PdfWord end = pdfWord(words, QStringLiteral("RowEnd%1").arg(r));
            if (!start.page && !end.page) continue; // on the page left out
            QVERIFY2(start.page && start.page == end.page, qPrintable(QString::number(r)));
            ++rowsSeen;
        }
        QVERIFY(rowsSeen > 20);
        // The text starts an inch in from the sheet's edges.
        const PdfWord first = pdfWord(words, QStringLiteral("Para0"));
        QCOMPARE(first.page, 1);
        QVERIFY2(std::abs(first.box.left() - 72) < 1.5, qPrintable(QString::number(first.box.left())));
        QVERIFY2(first.box.top() > 71.5 && first.box.top() < 80, qPrintable(QString::number(first.box.top())));
    }

    void hiddenTextNeverOnPaper() {
        for (int shown : {1, 0}) {
            auto t = control(makeText(30));
            t->setShowHidden(shown);
            const QString file = pdf("hidden.pdf");
            auto printer = pdfPrinter(file);
            QPainter painter(printer.get());
            ATX_PRINT_START(0, &painter, 1, 1);
            int y = 0;
            QCOMPARE(ATX_PRINT(t.get(), y, 720, kHeight, 720, kWidth, 0, -1, 0), 0);
            ATX_PRINT_FINISH();
            painter.end();
            const QString text = pdfText(file);
            QVERIFY(pdfPageCount(file) > 2);
            // Every paragraph once: nothing a page cuts off lies unseen in the file.
            for (int i = 0; i < 30; ++i)
                QCOMPARE(text.count(QStringLiteral("Para%1 ").arg(i)), 1);
            QVERIFY(!text.contains(QLatin1String("Secret")));
            QVERIFY(!text.contains(QLatin1String("WholeHidden")));
            // The control keeps its hidden text and shows it as before.
            QCOMPARE(t->ShowHidden(), shown);
            QVERIFY(t->toPlainText().contains(QLatin1String("SecretNote25")));
        }
    }

    // The layout is made once per text and geometry: drawing another page costs a page.
    void layoutKeptPerTextAndGeometry() {
        auto t = control(makeText(60));
        QImage image(800, 1100, QImage::Format_RGB32);
        int wanted = 3;
        connect(t.get(), &TextControl::OnPrintThisPage, this,
                [&](int page, bool& skip) { skip = page != wanted; });
        auto render = [&](int width) {
            image.fill(Qt::white);
            QPainter p(&image);
            ATX_PRINT_START(0, &p, 1, 1);
            int y = 0;
            const int e = ATX_PRINT(t.get(), y, 720, kHeight, 720, width, 0, -1, 0);
            ATX_PRINT_FINISH();
            return e;
        };
        QCOMPARE(paperLayoutCount(t.get()), 0);
        QCOMPARE(render(kWidth), 0);
        QCOMPARE(paperLayoutCount(t.get()), 1);
        const QImage page3 = image;
        wanted = 4;
        QCOMPARE(render(kWidth), 0);
        QCOMPARE(paperLayoutCount(t.get()), 1);
        QVERIFY(image != page3);
        wanted = 3;
        render(kWidth);
        QCOMPARE(image, page3);
        QCOMPARE(paperLayoutCount(t.get()), 1);

        render(kWidth - 1440);
        QCOMPARE(paperLayoutCount(t.get()), 2);
        t->setSelStart(0);
        t->setSelText(QStringLiteral("More "));
        render(kWidth - 1440);
        QCOMPARE(paperLayoutCount(t.get()), 3);
        // Another document in the control is another text.
        t->adoptDocument(makeText(60));
        render(kWidth - 1440);
        QCOMPARE(paperLayoutCount(t.get()), 4);
    }

    void errorCodes() {
        auto t = control(makeText(3));
        int y = 0;
        QCOMPARE(ATX_PRINT(t.get(), y, 0, kHeight, 0, kWidth, 0, -1, 0), int(PrintNotStarted));
        QCOMPARE(ATX_PRINT_START(0, nullptr, 1, 1), int(PrintNoDevice));
        QImage image(100, 100, QImage::Format_RGB32);
        QPainter p(&image);
        QCOMPARE(ATX_PRINT_START(0, &p, 1, 1), 0);
        QCOMPARE(ATX_PRINT(nullptr, y, 0, kHeight, 0, kWidth, 0, -1, 0), int(PrintNoControl));
        QCOMPARE(ATX_PRINT(t.get(), y, 0, 0, 0, kWidth, 0, -1, 0), int(PrintBadGeometry));
        QCOMPARE(ATX_PRINT_REGION(t.get(), y, 500, 0, 0, 0, 1, 0), int(PrintBadGeometry));
        QCOMPARE(ATX_PRINT_FINISH(), 0);
        QCOMPARE(ATX_PRINT_FINISH(), int(PrintNotStarted));
        QCOMPARE(ATX_PRINT_REGION(t.get(), y, 500, 0, kWidth, 0, 1, 0), int(PrintNotStarted));
    }

    // A range of the text prints alone.
    void printsARange() {
        auto t = control(makeText(10, 5));
        const QString text = t->toPlainText();
        const int from = int(text.indexOf(QLatin1String("Para3")));
        const int to = int(text.indexOf(QLatin1String("Para5")));
        const QString file = pdf("range.pdf");
        auto printer = pdfPrinter(file);
        QPainter painter(printer.get());
        ATX_PRINT_START(0, &painter, 1, 1);
        int y = 0;
        QCOMPARE(ATX_PRINT(t.get(), y, 720, kHeight, 720, kWidth, from, to, 0), 0);
        ATX_PRINT_FINISH();
        painter.end();
        const QString printed = pdfText(file);
        QVERIFY(printed.contains(QLatin1String("Para3")));
        QVERIFY(printed.contains(QLatin1String("Para4")));
        QVERIFY(!printed.contains(QLatin1String("Para5")));
        QVERIFY(!printed.contains(QLatin1String("Para2")));
    }
};

QTEST_MAIN(TestPaperPrint)
#include "tst_paperprint.moc"
