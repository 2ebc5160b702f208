#include "plans/catalogue.h"

#include "platform/folders.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {
const char* const kTitles = "titles";
const char* const kCounter = "counter";
const char* const kNo = "no";
const char* const kFileName = "filename";
} // namespace

const std::array<const char*, 21>& CompanyDetails::keys() {
    static const std::array<const char*, 21> k = {
        "coname", "address1", "address2", "address3", "address4", "address5", "md",
        "author", "tel",      "fax",      "created",  "p1",       "p2",       "p3",
        "p4",     "p5",       "c1",       "c2",       "c3",       "sbu",      nullptr};
    return k;
}

QString& CompanyDetails::operator[](const char* key) {
    for (size_t i = 0; i < keys().size() && keys()[i]; ++i)
        if (qstrcmp(keys()[i], key) == 0)
            return values[i];
    return values[20]; // unused slot for unknown keys
}

QString CompanyDetails::value(const char* key) const {
    for (size_t i = 0; i < keys().size() && keys()[i]; ++i)
        if (qstrcmp(keys()[i], key) == 0)
            return values[i];
    return QString();
}

Catalogue::Catalogue(const QString& fileName) : m_fileName(fileName) {}

QString Catalogue::defaultFileName() { return Folders::resolve(Folders::dataFolder() + "mp.ini"); }

QStringList Catalogue::plans() const { return IniFile(m_fileName).keys(kTitles); }

bool Catalogue::contains(const QString& name) const {
    return IniFile(m_fileName).hasKey(kTitles, name);
}

CompanyDetails Catalogue::details(const QString& name) const {
    IniFile ini(m_fileName);
    CompanyDetails d;
    for (size_t i = 0; i < d.keys().size() && d.keys()[i]; ++i)
        d.values[i] = ini.readString(name, QString::fromLatin1(d.keys()[i]));
    return d;
}

QString Catalogue::fileNumberText(const QString& name) const {
    return IniFile(m_fileName).readString(name, kFileName);
}

bool Catalogue::isPlanNumberText(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch() && text.toInt() > 0;
}

QString Catalogue::planTextFile(const QString& name) const {
    const QString n = fileNumberText(name);
    if (!isPlanNumberText(n))
        return QString();
    return Folders::resolve(Folders::userDataFolder() + QString::number(n.toInt()) + ".mp");
}

int Catalogue::takePlanNumber() {
    IniFile ini(m_fileName);
    int no = ini.readInteger(kCounter, kNo, -1);
    QSet<int> listed;
    int highest = 1;
    for (const QString& plan : ini.keys(kTitles)) {
        const QString n = ini.readString(plan, kFileName);
        if (isPlanNumberText(n)) {
            listed.insert(n.toInt());
            highest = std::max(highest, n.toInt());
        }
    }
    auto inUse = [&listed](int n) {
        const QString base = Folders::userDataFolder() + QString::number(n) + ".mp";
        return listed.contains(n) || QFileInfo::exists(Folders::resolve(base)) ||
               QFileInfo::exists(Folders::resolve(base + "s"));
    };
    if (no <= 1 || inUse(no)) {
        static const QRegularExpression planFile(QStringLiteral("^([0-9]{1,9})\\.mps?$"),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QStringList entries = QDir(Folders::userDataFolder()).entryList(QDir::Files);
        for (const QString& e : entries) {
            const auto m = planFile.match(e);
            if (m.hasMatch())
                highest = std::max(highest, m.captured(1).toInt());
        }
        no = std::max(no, highest + 1);
        while (inUse(no))
            ++no;
    }
    ini.writeInteger(kCounter, kNo, no + 1);
    return no;
}

void Catalogue::addPlan(const QString& name, int number) {
    IniFile ini(m_fileName);
    ini.beginBatch();
    ini.writeString(kTitles, name, name);
    ini.writeString(name, kFileName, QString::number(number));
    ini.commit();
}

void Catalogue::writeDetails(const QString& name, const CompanyDetails& details) {
    IniFile ini(m_fileName);
    ini.beginBatch();
    for (size_t i = 0; i < details.keys().size() && details.keys()[i]; ++i)
        ini.writeString(name, QString::fromLatin1(details.keys()[i]), details.values[i]);
    ini.commit();
}

void Catalogue::removePlan(const QString& name, const QStringList& remaining) {
    IniFile ini(m_fileName);
    ini.beginBatch();
    ini.eraseSection(name);
    ini.eraseSection(kTitles);
    for (const QString& r : remaining)
        ini.writeString(kTitles, r, r);
    ini.commit();
}

QString Catalogue::nameProblem(const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("Please enter a name for the new plan.");
    if (name != name.trimmed())
        return QStringLiteral("A plan name cannot begin or end with a blank.");
    // Worded as the new-plan window words its refusal of brackets.
    const auto illegal = [](QChar c) {
        return QStringLiteral("Illegal character in plan name '%1'.").arg(c);
    };
    if (name.startsWith(QLatin1Char(';')) || name.startsWith(QLatin1Char('[')))
        return illegal(name.at(0));
    for (QChar c : {QLatin1Char('='), QLatin1Char(']')})
        if (name.contains(c)) return illegal(c);
    for (QChar c : name)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return QStringLiteral("Illegal character in plan name: a line break or other "
                                  "control character.");
    // The catalogue keeps its own lists in these sections; a plan of the same name would
    // overwrite them.
    if (name.compare(QLatin1String(kTitles), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String(kCounter), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"%1\" is a name the plan list keeps for itself. Please choose "
                              "another name.").arg(name);
    if (name.size() > 200)
        return QStringLiteral("A plan name can be at most 200 characters long.");
    return QString();
}
