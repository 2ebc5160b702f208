#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <memory>

class QPrinter;

// The printer the program prints on: the system's default printer, with the paper size,
// paper source and orientation chosen in page setup. Those choices hold for the whole
// program, as they did for the printer settings they stand in for.
//
// Sizes and orientations speak the Windows codes that plan files store: paper 1 Letter,
// 5 Legal, 8 A3, 9 A4, 11 A5, 13 B5 (JIS) ...; orientation 1 portrait, 2 landscape.
//
// When no printer answers, the printable page is the whole sheet of paper chosen, in the
// orientation chosen (the plan's margins are then measured from the paper's edges),
// printer() is nullptr, and the paper choices are still kept so that page setup, plan
// files and PDF export work.
class PrinterInfo {
public:
    static PrinterInfo& instance();
    ~PrinterInfo();

    // Only should the paper itself have no size.
    static constexpr double kFallbackWidth = 7.79;
    static constexpr double kFallbackHeight = 11.24;
    static constexpr int kPortrait = 1;
    static constexpr int kLandscape = 2;
    static constexpr int kUserPaper = 256;

    // Asks the system for its default printer again (after the printer setup dialog,
    // for instance), keeping the paper choices where the new printer offers them.
    void refresh();

    bool isAvailable() const { return m_available; }
    QString name() const { return m_name; }
    QString port() const { return m_port; }
    // The printer as the profile's "device" entry wrote it: name, driver and port
    // separated by commas; empty when there is no printer.
    QString deviceEntry() const;

    // The printable part of the page in inches, in the current orientation. Returns
    // false and gives the whole sheet of paper when no printer answers.
    bool printablePage(double* width, double* height) const;
    QSizeF printablePageInches() const;
    // The whole sheet of paper in inches, in the current orientation.
    QSizeF paperInches() const;

    struct Paper {
        int code = 0;
        QString name;
    };
    // Paper sizes the printer offers that have a Windows code, in the printer's order.
    QList<Paper> paperSizes() const;
    int paperSize() const;
    // False (and nothing changes) for a code with no paper size behind it.
    bool setPaperSize(int code);

    // Paper sources (Windows bin codes: 1 upper, 2 lower, 4 manual, 7 automatic ...).
    QList<Paper> paperSources() const;
    int paperSource() const;
    bool setPaperSource(int code);

    int orientation() const;
    bool setOrientation(int code);

    // The printer to paint on, set up with the paper choices; nullptr without a printer.
    QPrinter* printer() const { return m_available ? m_printer.get() : nullptr; }

    static int paperCode(const QPageSize& size);
    // An invalid QPageSize for a code that names no paper.
    static QPageSize pageSizeForCode(int code);
    static int orientationCode(QPageLayout::Orientation orientation);
    // Any code but 2 is portrait.
    static QPageLayout::Orientation orientationFor(int code);

    // Tests print to a PDF file instead of a printer. The name and port are what a
    // printer would report. An empty path goes back to the system's default printer.
    static void setPdfPrinterForTesting(const QString& pdfPath,
                                        const QString& name = QStringLiteral("PDF"),
                                        const QString& port = QStringLiteral("FILE:"));
    // Tests: behave as if the system had no printer at all.
    static void setNoPrinterForTesting();

private:
    PrinterInfo();
    void setUp();
    void useWholePrintableArea();

    std::unique_ptr<QPrinter> m_printer;
    bool m_available = false;
    QString m_name;
    QString m_port;
    QString m_driver;
    QString m_testPdf;
    QString m_testName;
    QString m_testPort;
    bool m_testNoPrinter = false;
};
