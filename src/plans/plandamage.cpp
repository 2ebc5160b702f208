#include "plans/plandamage.h"

#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace PlanDamageCheck {

int sectionTag(int number) { return number == 1 ? 99 : number - 1; }

QList<int> sectionsWithoutTag(const QSet<int>& paragraphTags, int sectionCount) {
    QList<int> missing;
    for (int n = 1; n <= sectionCount; ++n)
        if (!paragraphTags.contains(sectionTag(n))) missing.append(n);
    return missing;
}

bool holdsStrayBytes(const QByteArray& rtf) {
    const char* p = rtf.constData();
    const char* const end = p + rtf.size();
    while (p != end) {
        const auto c = static_cast<unsigned char>(*p++);
        if (c == '\\' && end - p > 3 && p[0] == 'b' && p[1] == 'i' && p[2] == 'n' &&
            (p[3] >= '0' && p[3] <= '9')) {
            // \binN: N raw bytes follow the word and its one blank.
            p += 3;
            qint64 n = 0;
            while (p != end && *p >= '0' && *p <= '9' && n < rtf.size())
                n = n * 10 + (*p++ - '0');
            if (p != end && *p == ' ') ++p;
            p += std::min<qint64>(n, end - p);
            continue;
        }
        if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\r' && c != '\n'))
            return true;
    }
    return false;
}

QString keepDamagedCopy(const QString& planFile) {
    QFile source(planFile);
    if (!source.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) return QString();
    QString copy = planFile + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(copy); ++n) {
        QFile kept(copy);
        if (kept.open(QIODevice::ReadOnly) && kept.size() == bytes.size() && kept.readAll() == bytes)
            return copy;
        copy = planFile + QStringLiteral(".damaged") + QString::number(n);
    }
    return SafeFile::write(copy, bytes).ok ? copy : QString();
}

QString unreadableMessage(const QString& planFile, const QString& reason, const QString& copyPath) {
    QString text = QStringLiteral("The plan's file \"%1\" cannot be read: %2.")
                       .arg(QDir::toNativeSeparators(planFile), reason);
    if (!copyPath.isEmpty())
        text += QStringLiteral("\n\nThe file as it was is kept as \"%1\".")
                    .arg(QDir::toNativeSeparators(copyPath));
    text += QStringLiteral("\nThe plan has not been opened, and nothing has been written to its "
                           "file.");
    return text;
}

QString message(const PlanDamage& damage, const QStringList& sectionTitles,
                const QString& copyPath) {
    QString text = QStringLiteral("This plan's file is damaged");
    // Bytes garbled in the middle also leave its groups unclosed: that is not a file cut
    // short, and the user would look for the wrong fault.
    text += damage.garbled    ? QStringLiteral(": part of it cannot be read.")
            : damage.cutShort ? QStringLiteral(": it ends before the plan does.")
                              : QStringLiteral(".");
    if (!damage.missingSections.isEmpty()) {
        text += damage.missingSections.size() == 1
                    ? QStringLiteral("\n\nThis section is missing from it:")
                    : QStringLiteral("\n\nThese sections are missing from it:");
        // A plan cut in half misses a score of sections; the first ones say where the
        // damage starts, and a count says how much more there is.
        constexpr int kListed = 12;
        for (int i = 0; i < damage.missingSections.size() && i < kListed; ++i) {
            const int n = damage.missingSections[i];
            text += QStringLiteral("\n    %1  %2").arg(n).arg(sectionTitles.value(n - 1));
        }
        if (damage.missingSections.size() > kListed)
            text += QStringLiteral("\n    and %1 more").arg(damage.missingSections.size() - kListed);
    }
    if (!copyPath.isEmpty())
        text += QStringLiteral("\n\nThe file as it was is kept as \"%1\".")
                    .arg(QDir::toNativeSeparators(copyPath));
    else
        text += QStringLiteral("\n\nA copy of the file as it was could not be kept.");
    text += QStringLiteral("\nNothing is written to the plan's file until you save it.");
    return text;
}

} // namespace PlanDamageCheck
