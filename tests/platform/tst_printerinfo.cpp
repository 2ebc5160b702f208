#include "platform/printerinfo.h"

#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestPrinterInfo : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void cleanupTestCase() { PrinterInfo::setPdfPrinterForTesting(QString()); }

    void windowsPaperCodes_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("id");
        QTest::newRow("Letter") << 1 << int(QPageSize::Letter);
        QTest::newRow("Tabloid") << 3 << int(QPageSize::Tabloid);
        QTest::newRow("Legal") << 5 << int(QPageSize::Legal);
        QTest::newRow("Executive") << 7 << int(QPageSize::ExecutiveStandard);
        QTest::newRow("A3") << 8 << int(QPageSize::A3);
        QTest::newRow("A4") << 9 << int(QPageSize::A4);
        QTest::newRow("A5") << 11 << int(QPageSize::A5);
        QTest::newRow("B4 JIS") << 12 << int(QPageSize::JisB4);
        QTest::newRow("B5 JIS") << 13 << int(QPageSize::JisB5);
        QTest::newRow("Envelope DL") << 27 << int(QPageSize::EnvelopeDL);
    }
    void windowsPaperCodes() {
        QFETCH(int, code);
        QFETCH(int, id);
        const QPageSize size = PrinterInfo::pageSizeForCode(code);
        QVERIFY(size.isValid());
        QCOMPARE(int(size.id()), id);
        QCOMPARE(PrinterInfo::paperCode(QPageSize(QPageSize::PageSizeId(id))), code);
    }

    void codesWithoutPaper() {
        QVERIFY(!PrinterInfo::pageSizeForCode(0).isValid());
        QVERIFY(!PrinterInfo::pageSizeForCode(-9).isValid());
        QVERIFY(!PrinterInfo::pageSizeForCode(256).isValid());
        QVERIFY(!PrinterInfo::pageSizeForCode(64000).isValid());
        QCOMPARE(PrinterInfo::paperCode(QPageSize(QSizeF(8, 11), QPageSize::Inch)), 256);
        QCOMPARE(PrinterInfo::paperCode(QPageSize()), 0);
        QCOMPARE(PrinterInfo::orientationCode(QPageLayout::Portrait), 1);
        QCOMPARE(PrinterInfo::orientationCode(QPageLayout::Landscape), 2);
        QCOMPARE(PrinterInfo::orientationFor(2), QPageLayout::Landscape);
        QCOMPARE(PrinterInfo::orientationFor(1), QPageLayout::Portrait);
        QCOMPARE(PrinterInfo::orientationFor(7), QPageLayout::Portrait);
    }

    void noPrinterGivesTheWholePaper() {
        PrinterInfo::setNoPrinterForTesting();
        PrinterInfo& p = PrinterInfo::instance();
        QVERIFY(!p.isAvailable());
        QVERIFY(!p.printer());
        QCOMPARE(p.deviceEntry(), QString());
        double w = 0, h = 0;
        // The whole sheet of A4: 8.27 by 11.69 inches.
        QVERIFY(!p.printablePage(&w, &h));
        QVERIFY(qAbs(w - 8.27) < 0.01);
        QVERIFY(qAbs(h - 11.69) < 0.01);
        // Page setup still keeps its choices for the plan file, and they make the page:
        // Legal (8.5 by 14) turned to landscape.
        QCOMPARE(p.paperSize(), 9);
        QVERIFY(p.setPaperSize(5));
        QVERIFY(p.setOrientation(2));
        QCOMPARE(p.paperSize(), 5);
        QCOMPARE(p.orientation(), 2);
        QCOMPARE(p.printablePageInches(), QSizeF(14, 8.5));
        // A5 portrait: 5.83 by 8.27.
        QVERIFY(p.setPaperSize(11));
        QVERIFY(p.setOrientation(1));
        QVERIFY(qAbs(p.printablePageInches().width() - 5.83) < 0.01);
        QVERIFY(qAbs(p.printablePageInches().height() - 8.27) < 0.01);
    }

    void pdfPrinterReportsItsPage() {
        PrinterInfo::setPdfPrinterForTesting(m_dir.filePath("page.pdf"), "Laser", "LPT1:");
        PrinterInfo& p = PrinterInfo::instance();
        QVERIFY(p.isAvailable());
        QVERIFY(p.printer());
        QCOMPARE(p.name(), QString("Laser"));
        QCOMPARE(p.port(), QString("LPT1:"));
        QCOMPARE(p.deviceEntry().section(',', 0, 0), QString("Laser"));
        QCOMPARE(p.deviceEntry().section(',', 2), QString("LPT1:"));
        QCOMPARE(p.paperSize(), 9);
        QCOMPARE(p.orientation(), 1);

        double w = 0, h = 0;
        QVERIFY(p.printablePage(&w, &h));
        QVERIFY(qAbs(w - 8.27) < 0.01);
        QVERIFY(qAbs(h - 11.69) < 0.01);

        QVERIFY(p.setOrientation(2));
        QVERIFY(qAbs(p.paperInches().width() - 11.69) < 0.01);
        QVERIFY(qAbs(p.paperInches().height() - 8.27) < 0.01);
        QVERIFY(p.printablePage(&w, &h));
        QVERIFY(qAbs(w - 11.69) < 0.01);
        QVERIFY(qAbs(h - 8.27) < 0.01);

        QVERIFY(p.setPaperSize(1));
        QCOMPARE(p.paperSize(), 1);
        QCOMPARE(p.orientation(), 2);
        QVERIFY(p.printablePage(&w, &h));
        QVERIFY(qAbs(w - 11.0) < 0.001);
        QVERIFY(qAbs(h - 8.5) < 0.001);

        // Codes that name no paper change nothing.
        QVERIFY(!p.setPaperSize(0));
        QVERIFY(!p.setPaperSize(4321));
        QVERIFY(!p.setOrientation(3));
        QCOMPARE(p.paperSize(), 1);
        QCOMPARE(p.orientation(), 2);

        // A page of 8 by 11 inches has no Windows code of its own.
        QVERIFY(p.printer()->setPageSize(QPageSize(QSizeF(8, 11), QPageSize::Inch)));
        QVERIFY(p.setOrientation(1));
        QCOMPARE(p.paperSize(), 256);
        QVERIFY(p.printablePage(&w, &h));
        QVERIFY(qAbs(w - 8.0) < 0.001);
        QVERIFY(qAbs(h - 11.0) < 0.001);
    }

    void paperListsCarryCodesAndNames() {
        PrinterInfo::setPdfPrinterForTesting(m_dir.filePath("lists.pdf"));
        PrinterInfo& p = PrinterInfo::instance();
        const auto sizes = p.paperSizes();
        QStringList names;
        QList<int> codes;
        for (const auto& s : sizes) {
            codes << s.code;
            names << s.name;
            QVERIFY(!s.name.isEmpty());
            QVERIFY(s.code > 0 && s.code != 256);
        }
        QVERIFY(codes.contains(9));
        QVERIFY(codes.contains(1));
        QVERIFY(codes.contains(5));
        QCOMPARE(codes.size(), QSet<int>(codes.begin(), codes.end()).size());
        QCOMPARE(names.at(codes.indexOf(9)), QString("A4"));

        const auto sources = p.paperSources();
        QVERIFY(!sources.isEmpty());
        QCOMPARE(p.paperSource(), 7);
        QVERIFY(p.setPaperSource(2));
        QCOMPARE(p.paperSource(), 2);
        QVERIFY(!p.setPaperSource(12)); // no bin has that code
        QCOMPARE(p.paperSource(), 2);
    }

    void printsOnTheChosenPaper() {
        const QString pdf = m_dir.filePath("letter.pdf");
        PrinterInfo::setPdfPrinterForTesting(pdf);
        PrinterInfo& p = PrinterInfo::instance();
        QVERIFY(p.setPaperSize(1));
        QVERIFY(p.setOrientation(2));
        {
            QPainter painter(p.printer());
            QVERIFY(painter.isActive());
            painter.drawText(QPointF(200, 200), "Printed on letter paper");
        }
        QVERIFY(QFile::exists(pdf));
        const QString info = run("pdfinfo", {pdf});
        QVERIFY2(info.contains("792 x 612 pts"), qPrintable(info));
        QVERIFY(run("pdftotext", {pdf, "-"}).contains("Printed on letter paper"));
    }

    void choicesSurviveARefresh() {
        PrinterInfo::setPdfPrinterForTesting(m_dir.filePath("refresh.pdf"));
        PrinterInfo& p = PrinterInfo::instance();
        QVERIFY(p.setPaperSize(11));
        QVERIFY(p.setOrientation(2));
        p.refresh();
        QCOMPARE(p.paperSize(), 11);
        QCOMPARE(p.orientation(), 2);
    }
};

QTEST_MAIN(TestPrinterInfo)
#include "tst_printerinfo.moc"
