#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The navigator structure file ("mp.nav"): one item per line, its depth the number of
// tabs or spaces before the text. A line may be at most one level deeper than the one
// before it; Ctrl+Z ends the data; a line of 4096 characters or more, or one holding a
// control character other than tab (a NUL, binary junk), is invalid.
struct NavItem {
    int depth = 0;
    QString text;
};

struct NavStructure {
    QList<NavItem> items; // the items read before any faulty line
    bool ok = true;
    int errorLine = 0; // 1-based line of the fault when !ok
};

NavStructure parseNavStructure(const QByteArray& data);
// One tab per level, CRLF line ends.
QByteArray writeNavStructure(const QList<NavItem>& items);
