#include "analysis/factorfile.h"

#include "platform/folders.h"
#include "platform/inifile.h"

#include <QFile>

namespace FactorFile {

QString fileName(Analysis analysis) {
    switch (analysis) {
    case Analysis::Competitor:
        return QStringLiteral("ca.ini");
    case Analysis::StrengthWeakness:
        return QStringLiteral("sw.ini");
    case Analysis::ImpactProbability:
        return QStringLiteral("ip.ini");
    }
    return QString();
}

QString path(Analysis analysis) {
    return Folders::resolve(Folders::dataFolder() + fileName(analysis));
}

QString titlesSection(const QString& plan) {
    return plan + QStringLiteral(" - Titles");
}

QString factorSection(const QString& plan, const QString& factor) {
    return plan + QStringLiteral(" - ") + factor;
}

QStringList names(const IniFile& ini, const QString& plan) {
    return ini.keys(titlesSection(plan));
}

QString nameProblem(const QString& name) {
    if (name.contains(QLatin1Char('[')))
        return QStringLiteral("Illegal character in plan name '['.");
    if (name.contains(QLatin1Char(']')))
        return QStringLiteral("Illegal character in plan name ']'.");
    if (name.trimmed().isEmpty())
        return QStringLiteral("Please enter a name for the factor.");
    if (name != name.trimmed())
        return QStringLiteral("A factor name cannot begin or end with a blank.");
    if (name.startsWith(QLatin1Char(';')))
        return QStringLiteral("A factor name cannot begin with \";\".");
    if (name.contains(QLatin1Char('=')))
        return QStringLiteral("A factor name cannot contain \"=\".");
    for (QChar c : name)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return QStringLiteral("A factor name cannot contain a line break or other control "
                                  "character.");
    if (name.size() > MaxNameLength)
        return QStringLiteral("A factor name can be at most %1 characters long.").arg(MaxNameLength);
    // A factor's section is "<plan> - <factor>", and plan names may hold " - " themselves:
    // plan "Shop" with factor "Deli - Price" would share its section with plan "Shop - Deli"
    // and factor "Price", and a plan "Shop -" would meet a factor "- Price" or "-" likewise.
    if ((QLatin1Char(' ') + name + QLatin1Char(' ')).contains(QLatin1String(" - ")))
        return QStringLiteral("A factor name cannot contain \" - \" (a dash with a blank on "
                              "each side), nor begin with \"- \" or end with \" -\".");
    // The plan's list of factors is kept in the section "<plan> - Titles": a factor of that
    // name (or one whose section would be another plan's list) would write into it.
    if (name.compare(QLatin1String("Titles"), Qt::CaseInsensitive) == 0 ||
        name.endsWith(QLatin1String(" - Titles"), Qt::CaseInsensitive))
        return QStringLiteral("\"%1\" is a name the analysis keeps for its own list of factors. "
                              "Please choose another name.")
            .arg(name);
    return QString();
}

bool listed(const QStringList& names, const QString& name) {
    return names.contains(name, Qt::CaseInsensitive);
}

void addFactor(IniFile& ini, Analysis analysis, const QString& plan, const QString& name) {
    const QString section = factorSection(plan, name);
    // One write for the whole factor. A write refused part way leaves the batch open and
    // the file untouched; the caller drops the object.
    ini.beginBatch();
    ini.writeString(titlesSection(plan), name, name);
    if (analysis == Analysis::Competitor) {
        ini.writeString(section, QStringLiteral("KFS"), name);
        ini.writeString(section, QStringLiteral("w"), QStringLiteral("5"));
        for (const char* key : {"s1", "s2", "s3", "s4"})
            ini.writeString(section, QLatin1String(key), QStringLiteral("0"));
    } else {
        ini.writeString(section, QStringLiteral("kfs"), name);
        ini.writeString(section, QStringLiteral("w"), QStringLiteral("1"));
        ini.writeString(section, QStringLiteral("i"), QStringLiteral("0"));
    }
    ini.commit();
}

QStringList deleteFactor(IniFile& ini, const QString& plan, const QString& name) {
    QStringList remaining = names(ini, plan);
    remaining.removeAll(name);
    ini.beginBatch();
    ini.eraseSection(factorSection(plan, name));
    ini.eraseSection(titlesSection(plan));
    for (const QString& other : remaining)
        ini.writeString(titlesSection(plan), other, other);
    ini.commit();
    return remaining;
}

void cleanPlan(const QString& plan) {
    for (Analysis analysis :
         {Analysis::Competitor, Analysis::StrengthWeakness, Analysis::ImpactProbability}) {
        const QString file = path(analysis);
        if (!QFile::exists(file)) continue;
        IniFile ini(file);
        ini.beginBatch();
        for (const QString& name : names(ini, plan))
            ini.eraseSection(factorSection(plan, name));
        ini.eraseSection(titlesSection(plan));
        if (analysis == Analysis::Competitor) ini.eraseSection(plan + QStringLiteral(" -"));
        ini.commit();
    }
}

} // namespace FactorFile
