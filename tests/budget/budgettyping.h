#pragma once

#include "controls/sheet/sheetcontrol.h"
#include "support/modal.h"

#include <QTest>

// Types into the sheet's active cell as a user does (the first key opens the cell's
// editor, the rest go there) and moves on with `key`.
inline void typeInto(SheetControl* sheet, const QString& text, Qt::Key key) {
    auto* grid = child<QWidget>(sheet, QStringLiteral("sheetView"));
    QVERIFY(grid);
    QTest::keyClicks(grid, text.left(1));
    auto* editor = child<QWidget>(sheet, QStringLiteral("cellEditor"));
    QVERIFY(editor && editor->isVisible());
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, key);
}
