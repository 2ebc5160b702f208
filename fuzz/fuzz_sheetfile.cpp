// Feeds arbitrary bytes to the sheet's own file reader. A file it accepts must write back
// to a file that reads back the same, and every export must cope with what it holds.
#include "controls/sheet/biff4.h"
#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Sheet::SheetModel model;
    model.setEntry(1, 1, QStringLiteral("kept"));
    QString error;
    if (!Sheet::readNative(bytes, &model, &error)) {
        // A refused file leaves the sheet as it was, and says why.
        if (error.isEmpty() || model.cellValue(1, 1).text != QLatin1String("kept")) std::abort();
        return 0;
    }
    const QByteArray once = Sheet::writeNative(model);
    Sheet::SheetModel again;
    if (!Sheet::readNative(once, &again, &error)) {
        std::fprintf(stderr, "written file not read back: %s\n", qPrintable(error));
        std::abort();
    }
    if (Sheet::writeNative(again) != once) {
        std::fprintf(stderr, "file changed on its second round trip\n");
        std::abort();
    }
    for (const auto& [key, c] : model.cells()) {
        (void)model.shownText(Sheet::keyRow(key), Sheet::keyCol(key));
        (void)model.entry(Sheet::keyRow(key), Sheet::keyCol(key));
    }
    (void)Sheet::writeBiff4(model);
    (void)Sheet::writeTsvFile(model);
    const Sheet::CellRange used = model.usedRange();
    if (used.row2 > 1) model.deleteRows(1, 1);
    return 0;
}
