#include "plans/plandamage.h"

#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace PlanDamageCheck {

int sectionTag(int number) { return number == 1 ? 99 : number - 1; }

QList<int> sectionsWithoutTag(const QSet<int>& paragraphTags, int sectionCount) {
    QList<int> missing;
    for (int n = 1; n <= sectionCount; ++n)
        if (!paragraphTags.contains(sectionTag(n))) missing.append(n);
    return missing;
}

QString keepDamagedCopy(const QString& planFile) {
    const QString copy = planFile + QStringLiteral(".damaged");
    if (QFileInfo::exists(copy)) return copy;
    QFile source(planFile);
    if (!source.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) return QString();
    return SafeFile::write(copy, bytes).ok ? copy : QString();
}

QString message(const PlanDamage& damage, const QStringList& sectionTitles,
                const QString& copyPath) {
    QString text = QStringLiteral("This plan's file is damaged");
    text += damage.cutShort ? QStringLiteral(": it ends before the plan does.")
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
