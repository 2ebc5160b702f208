#pragma once

#include "sheetmodel.h"

#include <QPointer>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;

namespace Sheet {
class SheetView;
class SheetPrinter;
} // namespace Sheet

// The spreadsheet control: a sheet of cells with formulas, formats and protection, an
// edit bar, frozen heading rows and columns, the clipboard, files and printing.
//
// Rows and columns count from 1. Font, alignment and number-format properties act on
// the current selection when written and report the active cell when read. While
// EnableProtection is on the user cannot change locked cells: typing, pasting, clearing,
// deleting rows and the formatting setters are refused with a message
// ("Locked cells cannot be changed while the sheet is protected.") shown beside the
// cell and sent through StatusMessage. The program's own calls that name cells
// (SetCellText, Read) are never refused.
//
// Everything the control holds lives in its model (model()): cells with formulas and
// their last values, formats, column widths, row heights, view and print settings. An
// exporter reads it from there (SheetModel::cells(), formats(), columnWidths(),
// rowHeights(), print()).
//
// Widgets inside, by object name: "pnlEditBar" (the edit bar), "lblCellRef" (the active
// cell's name), "txtEditBar" (its entry), "sheetView" (the grid), "cellEditor" (the
// in-place editor while a cell is being edited).
class SheetControl : public QWidget {
    Q_OBJECT

    Q_PROPERTY(int Row READ Row WRITE setRow)
    Q_PROPERTY(int Col READ Col WRITE setCol)
    Q_PROPERTY(int SelStartRow READ SelStartRow WRITE setSelStartRow)
    Q_PROPERTY(int SelEndRow READ SelEndRow WRITE setSelEndRow)
    Q_PROPERTY(int SelStartCol READ SelStartCol WRITE setSelStartCol)
    Q_PROPERTY(int SelEndCol READ SelEndCol WRITE setSelEndCol)
    Q_PROPERTY(QString Selection READ Selection WRITE setSelection)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE setFixedRows)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE setFixedCols)
    Q_PROPERTY(int MaxRow READ MaxRow WRITE setMaxRow)
    Q_PROPERTY(int MaxCol READ MaxCol WRITE setMaxCol)
    Q_PROPERTY(bool EnableProtection READ EnableProtection WRITE setEnableProtection)
    Q_PROPERTY(bool AllowArrows READ AllowArrows WRITE setAllowArrows)
    Q_PROPERTY(bool ShowEditBar READ ShowEditBar WRITE setShowEditBar)
    Q_PROPERTY(bool ShowGridLines READ ShowGridLines WRITE setShowGridLines)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(bool FontItalic READ FontItalic WRITE setFontItalic)
    Q_PROPERTY(bool FontUnderline READ FontUnderline WRITE setFontUnderline)
    Q_PROPERTY(bool FontStrikeout READ FontStrikeout WRITE setFontStrikeout)
    Q_PROPERTY(int FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(int HAlign READ HAlign WRITE setHAlign)
    Q_PROPERTY(QString NumberFormat READ NumberFormat WRITE setNumberFormat)
    Q_PROPERTY(bool PrintHCenter READ PrintHCenter WRITE setPrintHCenter)
    Q_PROPERTY(bool PrintVCenter READ PrintVCenter WRITE setPrintVCenter)
    Q_PROPERTY(bool PrintLandscape READ PrintLandscape WRITE setPrintLandscape)
    Q_PROPERTY(double PrintLeftMargin READ PrintLeftMargin WRITE setPrintLeftMargin)
    Q_PROPERTY(double PrintRightMargin READ PrintRightMargin WRITE setPrintRightMargin)
    Q_PROPERTY(double PrintTopMargin READ PrintTopMargin WRITE setPrintTopMargin)
    Q_PROPERTY(double PrintBottomMargin READ PrintBottomMargin WRITE setPrintBottomMargin)
    Q_PROPERTY(bool PrintGridLines READ PrintGridLines WRITE setPrintGridLines)
    Q_PROPERTY(bool PrintHeadings READ PrintHeadings WRITE setPrintHeadings)

public:
    // File types of Read and Write.
    enum FileType { DetectType = 0, NativeFile = 1, Excel4File = 2, TabbedText = 3, NativeFile5 = 5 };
    // Clear types: 1 everything, 2 formats, 3 contents.
    enum ClearType { ClearAll = 1, ClearFormats = 2, ClearContents = 3 };
    // Delete shift type: 3 whole rows.
    enum ShiftType { ShiftRows = 3 };
    // The printer settings the sheet keeps with its print settings: the paper, as Windows
    // paper size and source codes (9 A4, 1 Letter ...; source 0 the printer's choice).
    // The orientation is PrintLandscape's.
    struct DevMode {
        int paperSize = 9;
        int paperSource = 0;
        bool operator==(const DevMode&) const = default;
    };
    // Refusal shown when the user changes a locked cell under protection.
    static QString lockedMessage();
    // What the user is told about a circle of references (cells as (column, row)).
    static QString circleMessage(const QList<QPoint>& circle);

    explicit SheetControl(QWidget* parent = nullptr);
    // A control showing a sheet held elsewhere (another sheet of a workbook); the sheet
    // must outlive the control.
    explicit SheetControl(Sheet::SheetModel* sheet, QWidget* parent = nullptr);
    ~SheetControl() override;

    Sheet::SheetModel& model() { return *m_model; }
    const Sheet::SheetModel& model() const { return *m_model; }

    // ---- Selection ----
    int Row() const;                // the active cell's row
    void setRow(int row);           // moves the active cell, selection with it
    int Col() const;
    void setCol(int col);
    int SelStartRow() const;
    void setSelStartRow(int row);   // the selection keeps its columns
    int SelEndRow() const;
    void setSelEndRow(int row);
    int SelStartCol() const;
    void setSelStartCol(int col);
    int SelEndCol() const;
    void setSelEndCol(int col);
    QString Selection() const;      // "B6" or "B6:D9"
    void setSelection(const QString& ref); // the first cell becomes active; bad text is ignored
    // Selects a range with (row, col) active.
    void selectRange(const Sheet::CellRange& range, int activeRow, int activeCol);

    // ---- View ----
    int FixedRows() const;
    void setFixedRows(int rows);
    int FixedCols() const;
    void setFixedCols(int cols);
    int MaxRow() const;
    void setMaxRow(int rows);
    int MaxCol() const;
    void setMaxCol(int cols);
    bool EnableProtection() const;
    void setEnableProtection(bool on);
    bool AllowArrows() const;
    void setAllowArrows(bool on);
    bool ShowEditBar() const;
    void setShowEditBar(bool on);
    bool ShowGridLines() const;
    void setShowGridLines(bool on);
    // The first scrollable row and column shown (below and right of the frozen ones).
    int TopRow() const;
    void setTopRow(int row);
    int LeftCol() const;
    void setLeftCol(int col);

    // ---- Cells ----
    // The cell's text as it shows ("£1,200", "Apr 2027").
    QString CellText(int row, int col) const;
    // Sets a cell as if typed ("=SUM(B6:B9)", "1200", "text"); dependent formulas follow.
    // Not refused by protection: this is the program's own call.
    void SetCellText(int row, int col, const QString& text);
    // What the edit bar shows for the cell: a formula with "=", a number unformatted.
    QString CellEntry(int row, int col) const;

    // ---- Formats of the selection (read: the active cell) ----
    QString FontName() const;
    void setFontName(const QString& name);
    double FontSize() const; // points
    void setFontSize(double points);
    bool FontBold() const;
    void setFontBold(bool on);
    bool FontItalic() const;
    void setFontItalic(bool on);
    bool FontUnderline() const;
    void setFontUnderline(bool on);
    bool FontStrikeout() const;
    void setFontStrikeout(bool on);
    int FontColor() const; // red + 256 * green + 65536 * blue
    void setFontColor(int color);
    int HAlign() const;    // 1 general, 2 left, 3 centre, 4 right, 6 justify
    void setHAlign(int code);
    QString NumberFormat() const; // "General", "£#,##0", "0%", "dd/mm/yyyy" ...
    void setNumberFormat(const QString& code);
    // Locks or unlocks the selection (refused under protection like any format change).
    bool setLocked(bool locked);
    // The active cell's font: size in twentieths of a point, colour as FontColor.
    void GetFont(QString& name, int& size, bool& bold, bool& italic, bool& underline,
                 bool& strikeout, int& color, bool& outline, bool& shadow) const;
    // Horizontal as HAlign; vertical 1 top, 2 centre, 3 bottom; orientation 0.
    void GetAlignment(int& horizontal, bool& wordWrap, int& vertical, int& orientation) const;
    void GetProtection(bool& locked, bool& hidden) const;

    // ---- Editing ----
    // The selection to the clipboard: tab-separated shown values for other programs, and
    // the cells themselves (formulas, formats) for this control.
    bool Copy();
    // The clipboard at the selection's top-left cell: cells copied here keep their
    // formulas (shifted) and formats; text from elsewhere is taken as typed entries.
    bool Paste();
    // Copy, then clear the contents.
    bool Cut();
    // Clears the selection (type 3 contents, 2 formats, 1 both). False when refused.
    bool Clear(int type);
    // Deletes the selection's rows (shift type 3); the rows below move up. Under
    // protection it takes an unlocked active cell; the locked cells on the rows go too.
    bool Delete(int shiftType);
    // Ends an edit in progress, keeping what was typed. Call before writing files.
    void Finish();
    bool isEditing() const;

    // ---- Files ----
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    // Reads a whole sheet. `fileType` on entry: 1 the control's own format (refused when
    // the file is not one), 3 tab-separated text, 0 to tell by the content; on return the
    // type read. A file that cannot be read leaves the sheet as it was: false, and
    // lastError() says why.
    bool Read(const QString& path, int& fileType);
    bool Read(const QString& path);
    // Writes the sheet, atomically: 1 (or 5) the control's own format, 2 an Excel 4
    // worksheet, 3 tab-separated text of the shown values.
    bool Write(const QString& path, int fileType);
    QString lastError() const { return m_lastError; }
    // After a failed Write: the file and the system's reason ("<file>: No space left on device").
    QString lastFailure() const { return m_lastFailure; }

    // ---- Printing ----
    bool PrintHCenter() const;
    void setPrintHCenter(bool on);
    bool PrintVCenter() const;
    void setPrintVCenter(bool on);
    bool PrintLandscape() const;
    void setPrintLandscape(bool on);
    double PrintLeftMargin() const; // inches
    void setPrintLeftMargin(double inches);
    double PrintRightMargin() const;
    void setPrintRightMargin(double inches);
    double PrintTopMargin() const;
    void setPrintTopMargin(double inches);
    double PrintBottomMargin() const;
    void setPrintBottomMargin(double inches);
    bool PrintGridLines() const;
    void setPrintGridLines(bool on);
    bool PrintHeadings() const;
    void setPrintHeadings(bool on);
    DevMode PrintDevMode() const;
    void setPrintDevMode(const DevMode& mode);
    // Scale percent (10-400) when not fitting; fit to pagesHigh x pagesWide pages.
    void GetPrintScale(int& scale, bool& fitToPages, int& pagesHigh, int& pagesWide) const;
    void SetPrintScale(int scale, bool fitToPages, int pagesHigh, int pagesWide);
    // Prints every page on `printer` (paper and orientation set from the sheet's print
    // settings), after the print dialog when asked. False when nothing was printed.
    bool Print(QPrinter* printer, bool showDialog = false);
    // Draws page `page` (from 1) of the printout into `rect` of any painter (printer, PDF,
    // preview), the whole sheet of paper scaled to fit, and returns the page count. A page
    // out of range draws nothing.
    int DrawPage(QPainter* painter, const QRectF& rect, int page);
    int PageCount() const;
    // The paper of the printout in inches, in its orientation.
    QSizeF PaperSize() const;
    // The scale pages print at, percent (the fitted one when fitting to pages).
    int EffectiveScale() const;

    // ---- The control's own dialogs ----
    // Font, size, style and colour for the selection. False when cancelled or refused.
    bool ShowFontDialog();
    // Paper, orientation and margins for the printout. False when cancelled.
    bool ShowPrinterSetupDialog();

signals:
    // The active cell or the selection changed.
    void SelChange();
    // A mouse button went down on the sheet; x, y in the control's own coordinates.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // Content, formats, sizes or print settings changed (not by Read).
    void Changed();
    // A message for the status bar, such as a refusal under protection.
    void StatusMessage(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class Sheet::SheetView;
    void modelChanged();
    void syncEditBar();
    bool refuseIfLocked(const Sheet::CellRange& range);
    // Names the cells of the circle of references (row, col) stands on, at the cell.
    void tellCircle(int row, int col);
    void refuse(const QString& message);
    bool changeSelectionFormat(const std::function<void(Sheet::CellFormat&)>& change);
    const Sheet::CellFormat& activeFormat() const;
    void setView(const std::function<void(Sheet::ViewSettings&)>& change);
    void setPrint(const std::function<void(Sheet::PrintSettings&)>& change);
    bool commitEntry(int row, int col, const QString& text, bool force);

    std::unique_ptr<Sheet::SheetModel> m_ownModel;
    Sheet::SheetModel* m_model;
    Sheet::SheetView* m_view = nullptr;
    QWidget* m_editBar = nullptr;
    QLabel* m_cellRef = nullptr;
    QLineEdit* m_editLine = nullptr;
    QString m_fileName;
    QString m_lastError;
    QString m_lastFailure;
    bool m_reading = false;
    bool m_editBarEditing = false;
    int m_tipRow = 0, m_tipCol = 0; // where a refusal's tip is up (0: none)
};
