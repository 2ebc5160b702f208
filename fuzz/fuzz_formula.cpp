// Feeds arbitrary text to the formula parser. A formula it reads must print back to text
// that reads to the same formula; evaluating, moving and deleting rows under it must never
// crash.
#include "controls/sheet/formula.h"
#include "controls/sheet/sheetmodel.h"

#include <QString>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const Sheet::ParseResult r = Sheet::parseFormula(text);
    if (!r.expr) {
        if (r.error.isEmpty()) std::abort();
        return 0;
    }
    const QString printed = Sheet::formulaText(*r.expr);
    const Sheet::ParseResult again = Sheet::parseFormula(printed);
    if (!again.expr || Sheet::formulaText(*again.expr) != printed) {
        std::fprintf(stderr, "\"%s\" printed as \"%s\", which reads %s\n", qPrintable(text),
                     qPrintable(printed), again.expr ? qPrintable(Sheet::formulaText(*again.expr))
                                                     : qPrintable(again.error));
        std::abort();
    }
    Sheet::SheetModel model;
    model.setEntry(1, 1, QStringLiteral("12"));
    model.setEntry(2, 1, QStringLiteral("01/4/2027"));
    model.setEntry(3, 1, QStringLiteral("text"));
    model.setEntry(2, 2, QStringLiteral("=1/0"));
    model.setFormula(4, 2, printed);
    model.setFormula(5, 3, printed);
    (void)model.shownText(4, 2);
    (void)Sheet::moveFormula(*r.expr, 3, -2);
    model.deleteRows(2, 3);
    (void)model.entry(2, 2);
    return 0;
}
