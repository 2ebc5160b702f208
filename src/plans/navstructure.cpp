#include "plans/navstructure.h"

#include <algorithm>

NavStructure parseNavStructure(const QByteArray& input) {
    NavStructure out;
    QByteArray data = input;
    const qsizetype eof = data.indexOf('\x1a');
    if (eof >= 0)
        data.truncate(eof);

    int previousDepth = -1;
    int lineNo = 0;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArray line = data.mid(start, end - start);
        start = end + 1;
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        // A line longer than the reader's buffer, or one holding control characters
        // other than tab (binary junk, a NUL), is no outline item: the file is damaged.
        const bool junk = std::any_of(line.cbegin(), line.cend(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return (u < 0x20 && u != '\t') || u == 0x7f;
        });
        if (line.size() >= 4096 || junk) {
            out.ok = false;
            out.errorLine = lineNo;
            return out;
        }
        if (line.trimmed().isEmpty())
            continue;
        int depth = 0;
        while (depth < line.size() && (line[depth] == '\t' || line[depth] == ' '))
            ++depth;
        if (depth > previousDepth + 1) {
            out.ok = false;
            out.errorLine = lineNo;
            return out;
        }
        previousDepth = depth;
        out.items.append(NavItem{depth, QString::fromUtf8(line.mid(depth)).trimmed()});
    }
    return out;
}

QByteArray writeNavStructure(const QList<NavItem>& items) {
    QByteArray out;
    for (const NavItem& item : items) {
        out += QByteArray(item.depth, '\t');
        out += item.text.toUtf8();
        out += "\r\n";
    }
    return out;
}
