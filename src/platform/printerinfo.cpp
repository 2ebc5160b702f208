#include "platform/printerinfo.h"

#include <QMarginsF>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// The paper sizes offered when the "printer" is a file: the common office sizes.
const int kFilePaperCodes[] = {9, 1, 5, 8, 11, 13, 12, 7, 3, 14, 27, 28, 20, 37};

struct Bin {
    QPrinter::PaperSource source;
    int code;
    const char* name;
};
const Bin kBins[] = {
    {QPrinter::Upper, 1, "Upper Tray"},
    {QPrinter::Lower, 2, "Lower Tray"},
    {QPrinter::Middle, 3, "Middle Tray"},
    {QPrinter::Manual, 4, "Manual Feed"},
    {QPrinter::Envelope, 5, "Envelope"},
    {QPrinter::EnvelopeManual, 6, "Envelope Manual Feed"},
    {QPrinter::Auto, 7, "Automatically Select"},
    {QPrinter::Tractor, 8, "Tractor Feed"},
    {QPrinter::SmallFormat, 9, "Small Format"},
    {QPrinter::LargeFormat, 10, "Large Format"},
    {QPrinter::LargeCapacity, 11, "Large Capacity"},
    {QPrinter::Cassette, 14, "Cassette"},
    {QPrinter::FormSource, 15, "Form Source"},
};

const Bin* binForCode(int code) {
    for (const Bin& b : kBins)
        if (b.code == code) return &b;
    return nullptr;
}

const Bin* binForSource(QPrinter::PaperSource source) {
    for (const Bin& b : kBins)
        if (b.source == source) return &b;
    return nullptr;
}

} // namespace

PrinterInfo& PrinterInfo::instance() {
    static PrinterInfo info;
    return info;
}

PrinterInfo::PrinterInfo() {
    setUp();
}
PrinterInfo::~PrinterInfo() = default;

void PrinterInfo::refresh() {
    setUp();
}

void PrinterInfo::setUp() {
    // The paper choices outlive a change of printer, as far as the new one allows.
    QPageSize keepSize(QPageSize::A4);
    QPageLayout::Orientation keepOrientation = QPageLayout::Portrait;
    QPrinter::PaperSource keepSource = QPrinter::Auto;
    const bool hadPrinter = bool(m_printer);
    if (hadPrinter) {
        keepSize = m_printer->pageLayout().pageSize();
        keepOrientation = m_printer->pageLayout().orientation();
        keepSource = m_printer->paperSource();
    }

    m_printer.reset();
    m_available = false;
    m_name.clear();
    m_port.clear();
    m_driver.clear();

    if (!m_testPdf.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_testPdf);
        m_available = true;
        m_name = m_testName;
        m_port = m_testPort;
        m_driver = QStringLiteral("PDF");
    } else if (!m_testNoPrinter) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (!info.isNull()) {
            m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
            m_available = m_printer->isValid();
            m_name = info.printerName();
            // The print system has no ports; where the printer stands is the nearest
            // thing a user recognises.
            m_port = info.location().isEmpty() ? info.printerName() : info.location();
            m_driver = info.makeAndModel().isEmpty() ? QStringLiteral("CUPS") : info.makeAndModel();
            if (!m_available) m_printer.reset();
        }
    }
    if (!m_printer) {
        // Nothing to print on: a file device holds the paper choices.
        m_available = false;
        m_name.clear();
        m_port.clear();
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
    }

    if (!m_printer->setPageSize(keepSize)) m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setPageOrientation(keepOrientation);
    if (hadPrinter) m_printer->setPaperSource(keepSource);
    useWholePrintableArea();
}

void PrinterInfo::useWholePrintableArea() {
    // A painter on the printer starts at the top left of the printable area, as a
    // printer's own device does: the plan's margins are measured from there.
    m_printer->setFullPage(false);
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setPageMargins(layout.minimumMargins(), layout.units());
}

QString PrinterInfo::deviceEntry() const {
    if (!m_available) return QString();
    return m_name + QLatin1Char(',') + m_driver + QLatin1Char(',') + m_port;
}

QSizeF PrinterInfo::paperInches() const {
    QPageLayout layout = m_printer->pageLayout();
    return layout.fullRect(QPageLayout::Inch).size();
}

bool PrinterInfo::printablePage(double* width, double* height) const {
    // Without a printer nothing stops the text short of the paper's edge: the whole sheet
    // chosen in page setup, in its orientation, is the page, and the plan's margins are
    // measured from its edges. (A fixed stand-in page would put landscape or small paper's
    // text off the sheet.)
    const QSizeF paper = paperInches();
    double w = paper.width() > 0 ? paper.width() : kFallbackWidth;
    double h = paper.height() > 0 ? paper.height() : kFallbackHeight;
    bool ok = false;
    if (m_available) {
        // Where a painter on the printer may draw: the page less the printer's margins,
        // which are its least ones unless the printer setup dialog set others.
        const QRectF paint = m_printer->pageLayout().paintRect(QPageLayout::Point);
        const double pw = paint.width() / 72.0;
        const double ph = paint.height() / 72.0;
        if (pw > 0 && ph > 0) {
            w = pw;
            h = ph;
            ok = true;
        }
    }
    if (width) *width = w;
    if (height) *height = h;
    return ok;
}

QSizeF PrinterInfo::printablePageInches() const {
    double w = 0, h = 0;
    printablePage(&w, &h);
    return QSizeF(w, h);
}

QList<PrinterInfo::Paper> PrinterInfo::paperSizes() const {
    QList<Paper> list;
    QList<QPageSize> sizes;
    if (m_available && m_printer->outputFormat() == QPrinter::NativeFormat)
        sizes = QPrinterInfo(*m_printer).supportedPageSizes();
    if (sizes.isEmpty())
        for (int code : kFilePaperCodes)
            sizes << pageSizeForCode(code);
    for (const QPageSize& s : sizes) {
        const int code = paperCode(s);
        if (code <= 0 || code == kUserPaper) continue;
        bool seen = false;
        for (const Paper& p : list)
            seen = seen || p.code == code;
        if (!seen) list << Paper{code, s.name()};
    }
    return list;
}

int PrinterInfo::paperSize() const {
    return paperCode(m_printer->pageLayout().pageSize());
}

bool PrinterInfo::setPaperSize(int code) {
    const QPageSize size = pageSizeForCode(code);
    if (!size.isValid()) return false;
    if (!m_printer->setPageSize(size)) return false;
    useWholePrintableArea();
    return true;
}

QList<PrinterInfo::Paper> PrinterInfo::paperSources() const {
    QList<Paper> list;
    // The print system does not list a printer's trays; automatic selection always
    // works, and a tray chosen before stays on offer.
    QList<QPrinter::PaperSource> sources{QPrinter::Auto};
    if (m_printer->paperSource() != QPrinter::Auto) sources << m_printer->paperSource();
    for (QPrinter::PaperSource s : sources)
        if (const Bin* b = binForSource(s)) list << Paper{b->code, QString::fromLatin1(b->name)};
    return list;
}

int PrinterInfo::paperSource() const {
    const Bin* b = binForSource(m_printer->paperSource());
    return b ? b->code : 7;
}

bool PrinterInfo::setPaperSource(int code) {
    const Bin* b = binForCode(code);
    if (!b) return false;
    m_printer->setPaperSource(b->source);
    return true;
}

int PrinterInfo::orientation() const {
    return orientationCode(m_printer->pageLayout().orientation());
}

bool PrinterInfo::setOrientation(int code) {
    if (code != kPortrait && code != kLandscape) return false;
    if (!m_printer->setPageOrientation(orientationFor(code))) return false;
    useWholePrintableArea();
    return true;
}

int PrinterInfo::paperCode(const QPageSize& size) {
    if (!size.isValid()) return 0;
    if (size.id() == QPageSize::Custom) return kUserPaper;
    const int code = size.windowsId();
    return code > 0 ? code : kUserPaper;
}

QPageSize PrinterInfo::pageSizeForCode(int code) {
    if (code <= 0 || code == kUserPaper) return QPageSize();
    const QPageSize::PageSizeId id = QPageSize::id(code);
    if (id == QPageSize::Custom) return QPageSize();
    return QPageSize(id);
}

int PrinterInfo::orientationCode(QPageLayout::Orientation orientation) {
    return orientation == QPageLayout::Landscape ? kLandscape : kPortrait;
}

QPageLayout::Orientation PrinterInfo::orientationFor(int code) {
    return code == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void PrinterInfo::setPdfPrinterForTesting(const QString& pdfPath, const QString& name,
                                          const QString& port) {
    PrinterInfo& p = instance();
    p.m_testPdf = pdfPath;
    p.m_testName = name;
    p.m_testPort = port;
    p.m_testNoPrinter = false;
    p.m_printer.reset(); // each test starts from A4 portrait
    p.setUp();
}

void PrinterInfo::setNoPrinterForTesting() {
    PrinterInfo& p = instance();
    p.m_testPdf.clear();
    p.m_testNoPrinter = true;
    p.m_printer.reset();
    p.setUp();
}
