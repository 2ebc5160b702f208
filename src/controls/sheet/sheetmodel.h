#pragma once

#include <QPoint>

#include "evaluator.h"
#include "formula.h"
#include "sheettypes.h"

#include <QColor>
#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

// The sheet without a window: cells, formats, sizes, view and print settings, and the
// formula engine that keeps every formula's value current.
namespace Sheet {

// Horizontal alignment codes (the control's HAlign).
enum HAlignCode { AlignGeneral = 1, AlignLeft = 2, AlignCentre = 3, AlignRight = 4, AlignFill = 5,
                  AlignJustify = 6 };
// Vertical alignment codes.
enum VAlignCode { AlignTop = 1, AlignMiddle = 2, AlignBottom = 3 };

struct CellFormat {
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    QRgb color = 0xFF000000; // text colour
    int hAlign = AlignGeneral;
    int vAlign = AlignBottom;
    bool wrap = false;
    QString numberFormat = QStringLiteral("General");
    bool locked = true;  // refused to the user while protection is on
    bool hidden = false; // the formula is not shown while protection is on

    bool operator==(const CellFormat&) const = default;
};
size_t qHash(const CellFormat& f, size_t seed = 0);

// How the sheet prints. Margins in inches; paper size and source are Windows codes
// (9 A4, 1 Letter ...; source 0 means the printer's own choice).
struct PrintSettings {
    int scale = 100; // percent, used when not fitting to pages
    bool fitToPages = false;
    int pagesHigh = 1;
    int pagesWide = 1;
    bool hCenter = false;
    bool vCenter = false;
    bool landscape = false;
    double leftMargin = 0.75;
    double rightMargin = 0.75;
    double topMargin = 1.0;
    double bottomMargin = 1.0;
    bool gridLines = true;
    bool headings = false; // row numbers and column letters on paper
    int paperSize = 9;
    int paperSource = 0;

    bool operator==(const PrintSettings&) const = default;
};

// What the control shows and how it lets the user move; kept with the sheet so that a
// file reads back as it was written.
struct ViewSettings {
    int maxRow = kMaxRows;
    int maxCol = kMaxCols;
    int fixedRows = 0;
    int fixedCols = 0;
    bool protection = false;
    bool showEditBar = true;
    bool allowArrows = true;
    bool showGridLines = true;
    int activeRow = 1;
    int activeCol = 1;
    CellRange selection;
    int defaultColumnWidth = 64; // pixels at 96 per inch
    int defaultRowHeight = 20;

    bool operator==(const ViewSettings&) const = default;
};

struct Cell {
    enum Kind : quint8 { Blank, Number, Text, Formula };
    Kind kind = Blank;
    int format = 0;   // index into SheetModel::formats()
    double number = 0; // Number
    // Text; for a Formula, its text after "=" when it cannot be read (else empty).
    QString text;
    std::shared_ptr<const Expr> expr; // Formula that could be read
    Value value; // what the cell holds, or its formula's last result
};

class SheetModel : public CellReader {
public:
    SheetModel();
    ~SheetModel() override;
    SheetModel(const SheetModel&) = delete;
    SheetModel& operator=(const SheetModel&) = delete;

    // Takes over everything `other` holds (cells, formats, sizes, settings, its name and
    // the workbook's further sheets), leaving it empty. The change listener stays.
    void adopt(SheetModel&& other);
    // An empty sheet with default settings; a workbook's first sheet also drops the
    // further sheets.
    void clear();

    // ---- The workbook ----
    // A sheet is a workbook's first sheet, which holds the workbook's further sheets, or
    // one of those. Formulas of any sheet read the others by name ("Budget!B6",
    // "'Actual Spend'!B6"); a change in one sheet recalculates the formulas of the others
    // that read it.
    static QString defaultName() { return QStringLiteral("Sheet1"); }
    QString name() const { return m_name; }
    // Names are unique in a workbook (case-blind); false, and nothing changes, for a
    // name that is empty, longer than 31 characters, holds one of ' ! [ ] : * ? / \ or is
    // taken.
    bool setName(const QString& name);
    // The further sheets, in order (the first sheet's; empty for the others).
    int extraSheetCount() const { return int(m_extra.size()); }
    SheetModel* extraSheet(int index) { return m_extra[size_t(index)].get(); }
    const SheetModel* extraSheet(int index) const { return m_extra[size_t(index)].get(); }
    // Adds a further sheet to this sheet's workbook; null when the name cannot be used.
    SheetModel* addSheet(const QString& name);
    // The sheet of the workbook by name, case-blind; null when none has it.
    SheetModel* sheet(const QString& name);
    const SheetModel* sheet(const QString& name) const;
    const CellReader* sheetReader(const QString& name) const override { return sheet(name); }

    // Called after every change of content, formats, sizes or settings made through this
    // class (once per batch).
    void setChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // Changes made inside a batch are recalculated and reported once, at its end.
    class Batch {
    public:
        explicit Batch(SheetModel& m) : m_model(m) { ++m_model.m_batchDepth; }
        ~Batch() { m_model.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SheetModel& m_model;
    };

    // ---- Content ----
    // Text as the user types it: "=..." a formula, text reading as a number a number (a
    // typed "£" or "%" also gives a General cell that format), "'..." text as it is,
    // anything else text. Empty text clears the content and keeps the format. Dates
    // typed stay text: formulas read them with DATEVALUE.
    void setEntry(int row, int col, const QString& text);
    void setNumber(int row, int col, double value);
    void setText(int row, int col, const QString& text); // literal text
    // Formula text without "="; kept even when it cannot be read (its value is then #NAME?).
    void setFormula(int row, int col, const QString& formula);
    // What the edit bar shows: "=SUM(B6:B9)", "1200", "'123" for text that would read as
    // a number.
    QString entry(int row, int col) const;
    // The value as the cell shows it, formatted.
    QString shownText(int row, int col, QColor* color = nullptr) const;
    Value cellValue(int row, int col) const override;
    void forEachValue(const CellRange& range,
                      const std::function<void(const Value&)>& fn) const override;
    const Cell* cell(int row, int col) const;
    // Why the cell's formula cannot be read; empty when it can (or is no formula).
    QString formulaError(int row, int col) const;
    // Removes the contents of the range; formats stay.
    void clearContents(const CellRange& range);
    // Removes contents and formats.
    void clearAll(const CellRange& range);
    // Deletes rows first..last; the rows below move up and every reference follows.
    void deleteRows(int first, int last);
    // Copies the content and format of one cell over `dest`, formulas shifted as a fill
    // shifts them.
    void fill(int srcRow, int srcCol, const CellRange& dest);
    // Copies a block of another sheet to (row, col), formulas shifted by the move.
    // `keepProtection`: the destination keeps its locked and hidden flags.
    void paste(const SheetModel& from, const CellRange& block, int row, int col,
               bool keepProtection);

    // The formula cells of the circle of references the cell stands on, in row and
    // column order; empty when it stands on none. Such cells show #CIRC!.
    QList<QPoint> circleOf(int row, int col) const;

    // ---- Formats ----
    const CellFormat& format(int row, int col) const;
    int formatIndex(int row, int col) const;
    void setFormat(int row, int col, const CellFormat& format);
    void setFormatIndex(int row, int col, int index); // an index of formats()
    // Applies `change` to the format of every cell of the range (empty cells included,
    // within MaxRow / MaxCol).
    void changeFormat(const CellRange& range, const std::function<void(CellFormat&)>& change);
    const std::vector<CellFormat>& formats() const { return m_formats; }
    int addFormat(const CellFormat& format);
    bool isLocked(int row, int col) const { return format(row, col).locked; }
    // Whether any cell of the range is locked.
    bool anyLocked(const CellRange& range) const;

    // ---- Sizes (pixels at 96 per inch) ----
    int columnWidth(int col) const;
    void setColumnWidth(int col, int width); // 0 restores the default
    bool hasColumnWidth(int col) const { return m_colWidths.count(col) > 0; }
    // The set height, or one that fits the row's largest font.
    int rowHeight(int row) const;
    void setRowHeight(int row, int height); // 0: fit the fonts
    int explicitRowHeight(int row) const;
    const std::map<int, int>& columnWidths() const { return m_colWidths; }
    const std::map<int, int>& rowHeights() const { return m_rowHeights; }

    // ---- Settings ----
    const ViewSettings& view() const { return m_view; }
    void setView(const ViewSettings& view);
    const PrintSettings& print() const { return m_print; }
    void setPrint(const PrintSettings& print);

    // ---- Reading the whole sheet (exporters, files, printing) ----
    const std::map<quint64, Cell>& cells() const { return m_cells; }
    // The rows and columns holding content; row2 == 0 when the sheet is empty.
    CellRange usedRange() const;
    // The same, with cells that only carry a format counted too.
    CellRange formattedRange() const;

private:
    friend class Batch;
    struct RangeDep {
        int row1, row2;
        quint64 dependent;
    };

    Cell& touch(int row, int col);
    void setContent(int row, int col, Cell::Kind kind, double number, const QString& text,
                    std::shared_ptr<const Expr> expr);
    void registerFormula(quint64 key, const Expr& expr);
    void unregisterFormula(quint64 key, const Expr& expr);
    void rebuildDependencies();
    void dependentsOf(quint64 key, std::vector<quint64>* out) const;
    void recalculate(const std::vector<quint64>& seeds);
    void recalculateAll();
    void evaluateCell(Cell& c);
    void changed(quint64 key);
    void changedLayout();
    void endBatch();
    void dropIfEmpty(quint64 key);
    SheetModel& book() { return m_owner ? *m_owner : *this; }
    const SheetModel& book() const { return m_owner ? *m_owner : *this; }
    // Recalculates the formulas of the workbook's other sheets that read this one.
    void notifyReaders();
    // Recalculates this sheet's formulas that read `sheetName`; true when there were any.
    bool recalculateReadersOf(const QString& sheetName);

    std::map<quint64, Cell> m_cells;
    std::vector<CellFormat> m_formats;
    QHash<CellFormat, int> m_formatIndex;
    std::map<int, int> m_colWidths;
    std::map<int, int> m_rowHeights;
    mutable std::unordered_map<int, int> m_autoHeights;
    ViewSettings m_view;
    PrintSettings m_print;

    std::unordered_map<quint64, std::vector<quint64>> m_dependents;
    // Each formula cell on a circle, with the circle's cells (shared by all of them).
    std::unordered_map<quint64, std::shared_ptr<const std::vector<quint64>>> m_circles;
    std::vector<std::vector<RangeDep>> m_rangeDeps; // by column
    std::vector<quint64> m_pending;
    bool m_pendingLayout = false;
    int m_batchDepth = 0;
    std::function<void()> m_listener;

    QString m_name = defaultName();
    SheetModel* m_owner = nullptr; // the workbook's first sheet, for a further sheet
    std::vector<std::unique_ptr<SheetModel>> m_extra;
    // Formulas reading other sheets, with those sheets' names; and how many formulas
    // read each name (folded to lower case).
    std::unordered_map<quint64, QStringList> m_external;
    QHash<QString, int> m_externalNames;
};

// The height that fits a font of `points`, in pixels at 96 per inch.
int rowHeightForFont(double points);

} // namespace Sheet
