#include "xlsxfile.h"

#include "sheetmodel.h"

#include "platform/safefile.h"

#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <memory>
#include <vector>

namespace Sheet {

namespace {

QByteArray utf8(const QString& s) {
    return s.toUtf8();
}

// One workbook format for each of the sheet's cell formats, made when a cell first uses it.
class Formats {
public:
    Formats(lxw_workbook* book, const SheetModel& model)
        : m_book(book), m_model(model), m_made(model.formats().size(), nullptr) {}

    lxw_format* get(int index) {
        if (index < 0 || size_t(index) >= m_made.size()) return nullptr;
        if (!m_made[size_t(index)]) m_made[size_t(index)] = make(m_model.formats()[size_t(index)]);
        return m_made[size_t(index)];
    }

private:
    lxw_format* make(const CellFormat& f) {
        lxw_format* x = workbook_add_format(m_book);
        format_set_font_name(x, utf8(f.fontName).constData());
        format_set_font_size(x, f.fontSize);
        if (f.bold) format_set_bold(x);
        if (f.italic) format_set_italic(x);
        if (f.underline) format_set_underline(x, LXW_UNDERLINE_SINGLE);
        if (f.strikeout) format_set_font_strikeout(x);
        // Black is the font's automatic colour; libxlsxwriter reads a colour of 0 as "none".
        const lxw_color_t rgb = lxw_color_t(f.color & 0xFFFFFF);
        if (rgb != 0) format_set_font_color(x, rgb);
        switch (f.hAlign) {
        case AlignLeft: format_set_align(x, LXW_ALIGN_LEFT); break;
        case AlignCentre: format_set_align(x, LXW_ALIGN_CENTER); break;
        case AlignRight: format_set_align(x, LXW_ALIGN_RIGHT); break;
        case AlignFill: format_set_align(x, LXW_ALIGN_FILL); break;
        case AlignJustify: format_set_align(x, LXW_ALIGN_JUSTIFY); break;
        default: break;
        }
        if (f.vAlign == AlignTop) format_set_align(x, LXW_ALIGN_VERTICAL_TOP);
        else if (f.vAlign == AlignMiddle) format_set_align(x, LXW_ALIGN_VERTICAL_CENTER);
        if (f.wrap) format_set_text_wrap(x);
        if (f.numberFormat.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0)
            format_set_num_format(x, utf8(f.numberFormat).constData());
        if (!f.locked) format_set_unlocked(x);
        if (f.hidden) format_set_hidden(x);
        return x;
    }

    lxw_workbook* m_book;
    const SheetModel& m_model;
    std::vector<lxw_format*> m_made;
};

// Cells of the sheet's default format are written without a format of their own and so
// take the workbook's default, which the library makes Calibri 11: it becomes the sheet's
// own default font, so that they keep their face and size (and with them the widths and
// page breaks the sheet prints with).
void setDefaultFont(lxw_workbook* book, const CellFormat& f) {
    lxw_format* normal = STAILQ_FIRST(book->formats);
    if (!normal) return;
    if (!f.fontName.isEmpty()) format_set_font_name(normal, utf8(f.fontName).constData());
    if (f.fontSize > 0) format_set_font_size(normal, f.fontSize);
}

void writeCells(lxw_worksheet* ws, const SheetModel& model, Formats& formats) {
    for (const auto& [key, c] : model.cells()) {
        const int row = keyRow(key);
        const int col = keyCol(key);
        const lxw_row_t r = lxw_row_t(row - 1);
        const lxw_col_t k = lxw_col_t(col - 1);
        lxw_format* fmt = c.format ? formats.get(c.format) : nullptr;
        switch (c.kind) {
        case Cell::Blank:
            if (fmt) worksheet_write_blank(ws, r, k, fmt);
            break;
        case Cell::Number:
            worksheet_write_number(ws, r, k, c.number, fmt);
            break;
        case Cell::Text:
            if (c.text.isEmpty()) worksheet_write_blank(ws, r, k, fmt);
            else worksheet_write_string(ws, r, k, utf8(c.text).constData(), fmt);
            break;
        case Cell::Formula: {
            if (!c.expr) {
                // A formula the sheet cannot read would make the workbook unreadable: its
                // value (the error it shows) goes instead.
                worksheet_write_string(ws, r, k, utf8(model.shownText(row, col)).constData(), fmt);
                break;
            }
            const QByteArray formula = utf8(model.entry(row, col));
            switch (c.value.type) {
            case Value::Number:
                worksheet_write_formula_num(ws, r, k, formula.constData(), fmt, c.value.number);
                break;
            case Value::Bool:
                worksheet_write_formula_num(ws, r, k, formula.constData(), fmt,
                                            c.value.boolean ? 1 : 0);
                break;
            case Value::Text:
                worksheet_write_formula_str(ws, r, k, formula.constData(), fmt,
                                            utf8(c.value.text).constData());
                break;
            case Value::Error:
                worksheet_write_formula_str(ws, r, k, formula.constData(), fmt,
                                            utf8(errorText(c.value.error)).constData());
                break;
            case Value::Empty:
                worksheet_write_formula_num(ws, r, k, formula.constData(), fmt, 0);
                break;
            }
            break;
        }
        }
    }
}

void writeLayout(lxw_worksheet* ws, const SheetModel& model) {
    const ViewSettings& v = model.view();
    for (const auto& [col, width] : model.columnWidths())
        worksheet_set_column_pixels(ws, lxw_col_t(col - 1), lxw_col_t(col - 1), uint32_t(width),
                                    nullptr);
    for (const auto& [row, height] : model.rowHeights())
        worksheet_set_row_pixels(ws, lxw_row_t(row - 1), uint32_t(height), nullptr);
    if (v.fixedRows > 0 || v.fixedCols > 0)
        worksheet_freeze_panes(ws, lxw_row_t(v.fixedRows), lxw_col_t(v.fixedCols));
    const CellRange sel = v.selection.normalized();
    worksheet_set_selection(ws, lxw_row_t(sel.row1 - 1), lxw_col_t(sel.col1 - 1),
                            lxw_row_t(sel.row2 - 1), lxw_col_t(sel.col2 - 1));
    if (v.protection) worksheet_protect(ws, nullptr, nullptr);
}

void writePrintSettings(lxw_worksheet* ws, const SheetModel& model) {
    const PrintSettings& p = model.print();
    const ViewSettings& v = model.view();
    if (p.landscape) worksheet_set_landscape(ws);
    else worksheet_set_portrait(ws);
    // Excel's paper numbers are the Windows codes the sheet keeps.
    if (p.paperSize > 0 && p.paperSize < 256) worksheet_set_paper(ws, uint8_t(p.paperSize));
    worksheet_set_margins(ws, p.leftMargin, p.rightMargin, p.topMargin, p.bottomMargin);
    if (p.hCenter) worksheet_center_horizontally(ws);
    if (p.vCenter) worksheet_center_vertically(ws);
    if (p.fitToPages)
        worksheet_fit_to_pages(ws, uint16_t(qMax(0, p.pagesWide)), uint16_t(qMax(0, p.pagesHigh)));
    else
        worksheet_set_print_scale(ws, uint16_t(qBound(10, p.scale, 400)));
    uint8_t grid = 0;
    if (v.showGridLines) grid |= LXW_SHOW_SCREEN_GRIDLINES;
    if (p.gridLines) grid |= LXW_SHOW_PRINT_GRIDLINES;
    worksheet_gridlines(ws, grid);
    if (p.headings) worksheet_print_row_col_headers(ws);
    // The frozen heading rows and columns print on every page, as the sheet prints them.
    if (v.fixedRows > 0) worksheet_repeat_rows(ws, 0, lxw_row_t(v.fixedRows - 1));
    if (v.fixedCols > 0) worksheet_repeat_columns(ws, 0, lxw_col_t(v.fixedCols - 1));
}

} // namespace

bool writeXlsx(const SheetModel& model, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    // The library writes to a path of its own choosing; the file reaches its place whole
    // or not at all.
    QTemporaryDir work;
    if (!work.isValid()) return fail(QStringLiteral("No room for a temporary file."));
    const QString temp = work.filePath(QStringLiteral("book.xlsx"));
    const QByteArray tempName = QFile::encodeName(temp);
    const QByteArray tmpdir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.constant_memory = 0;
    options.tmpdir = const_cast<char*>(tmpdir.constData());
    lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
    if (!book) return fail(QStringLiteral("The workbook could not be started."));
    // Every sheet of the workbook, under its own name, so that formulas reading another
    // sheet ("Budget!B6") stay live; a lone unnamed sheet is the budget.
    const QString firstName =
        model.name() == SheetModel::defaultName() ? QStringLiteral("Budget") : model.name();
    std::vector<std::pair<const SheetModel*, QString>> sheets{{&model, firstName}};
    for (int i = 0; i < model.extraSheetCount(); ++i)
        sheets.emplace_back(model.extraSheet(i), model.extraSheet(i)->name());
    if (!model.formats().empty()) setDefaultFont(book, model.formats().front());
    std::vector<std::unique_ptr<Formats>> formats;
    for (const auto& [sheet, name] : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(book, utf8(name).constData());
        if (!ws) {
            workbook_close(book);
            return fail(QStringLiteral("The workbook could not be started."));
        }
        formats.push_back(std::make_unique<Formats>(book, *sheet));
        writeLayout(ws, *sheet);
        writePrintSettings(ws, *sheet);
        writeCells(ws, *sheet, *formats.back());
    }
    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR)
        return fail(QString::fromUtf8(lxw_strerror(result)));

    QFile in(temp);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    const SafeFile::Result written = SafeFile::write(path, in.readAll());
    if (!written.ok) return fail(written.failure);
    return true;
}

} // namespace Sheet
