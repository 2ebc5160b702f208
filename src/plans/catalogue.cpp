#include "plans/catalogue.h"

#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

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

int Catalogue::nextPlanNumber(const QSet<int>& alsoTaken) const {
    const IniFile ini(m_fileName);
    int no = ini.readInteger(kCounter, kNo, -1);
    QSet<int> listed = alsoTaken;
    int highest = 1;
    for (int n : alsoTaken)
        highest = std::max(highest, n);
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
    return no;
}

int Catalogue::takePlanNumber() {
    const int no = nextPlanNumber();
    IniFile(m_fileName).writeInteger(kCounter, kNo, no + 1);
    return no;
}

void Catalogue::addPlans(const QList<NewPlan>& plans) {
    IniFile ini(m_fileName);
    ini.beginBatch();
    int next = ini.readInteger(kCounter, kNo, -1);
    for (const NewPlan& p : plans) {
        ini.writeString(kTitles, p.name, p.name);
        ini.writeString(p.name, kFileName, QString::number(p.number));
        for (size_t i = 0; i < p.details.keys().size() && p.details.keys()[i]; ++i)
            ini.writeString(p.name, QString::fromLatin1(p.details.keys()[i]), p.details.values[i]);
        next = std::max(next, p.number + 1);
    }
    ini.writeInteger(kCounter, kNo, next);
    ini.commit();
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

void Catalogue::removePlan(const QString& name) {
    IniFile ini(m_fileName);
    ini.beginBatch();
    ini.eraseSection(name);
    ini.deleteKey(kTitles, name);
    ini.commit();
}

namespace {

// Why the bytes are not a catalogue's text, or an empty string when they are text.
QString notTextReason(const QByteArray& bytes) {
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0 || (u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7f)
            return QStringLiteral("it holds bytes that are not text");
    }
    // Letters in another encoding than UTF-8 (a catalogue from an older Windows copy) are
    // text all the same: the file is read as it is, and not written again on its account.
    return QString();
}

// A name `titles` can list: one the file stores and reads back as itself.
bool listableName(const QString& name) {
    return IniFile::isStorableKey(name) && !name.contains(QLatin1Char(']'));
}

QString oneLine(QString v) {
    for (QChar& c : v)
        if (c.unicode() < 0x20 || c == QChar(0x7f)) c = QLatin1Char(' ');
    return v.trimmed();
}

// "<file>.damaged", or the first free "<file>.damagedN"; a copy already holding these very
// bytes is that copy.
QString damagedCopyName(const QString& file, const QByteArray& bytes, bool* same) {
    *same = false;
    QString name = file + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(name); ++n) {
        QFile f(name);
        if (f.open(QIODevice::ReadOnly) && f.size() == bytes.size() && f.readAll() == bytes) {
            *same = true;
            return name;
        }
        name = file + QStringLiteral(".damaged") + QString::number(n);
    }
    return name;
}

} // namespace

Catalogue::Mend Catalogue::mendIfDamaged() {
    Mend mend;
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) return mend; // missing: an empty catalogue
    const QByteArray bytes = file.readAll();
    file.close();

    const IniFile ini(m_fileName);
    const QStringList listed = ini.keys(kTitles);
    QString reason = notTextReason(bytes);
    // Plans whose section and text file are there, listed or not.
    auto readable = [&ini](const QString& name) {
        if (!listableName(name)) return false;
        const QString n = ini.readString(name, kFileName);
        return isPlanNumberText(n) &&
               QFileInfo::exists(Folders::resolve(Folders::userDataFolder() +
                                                  QString::number(n.toInt()) + ".mp"));
    };
    QStringList unlisted;
    for (const QString& section : ini.sections()) {
        if (section.compare(QLatin1String(kTitles), Qt::CaseInsensitive) == 0 ||
            section.compare(QLatin1String(kCounter), Qt::CaseInsensitive) == 0)
            continue;
        // The original plan has a section of its own in some catalogues, never a listing.
        if (ini.readString(section, kFileName) == QLatin1String("1")) continue;
        if (!ini.hasKey(kTitles, section) && readable(section)) unlisted << section;
    }
    if (reason.isEmpty() && !unlisted.isEmpty())
        reason = QStringLiteral("plans are missing from its list");
    if (reason.isEmpty() && std::any_of(listed.begin(), listed.end(),
                                        [](const QString& n) { return !listableName(n); }))
        reason = QStringLiteral("its list holds names no plan can have");
    if (reason.isEmpty()) return mend;

    mend.damaged = true;
    mend.reason = reason;
    bool same = false;
    const QString copy = damagedCopyName(m_fileName, bytes, &same);
    if (same || SafeFile::write(copy, bytes).ok) mend.copy = copy;

    QStringList plans;
    auto take = [&plans](const QString& name) {
        for (const QString& p : plans)
            if (p.compare(name, Qt::CaseInsensitive) == 0) return;
        plans << name;
    };
    for (const QString& name : listed)
        if (readable(name)) take(name);
    for (const QString& name : unlisted)
        take(name);

    // Written afresh: whatever else the damage left in the file stays in the copy only.
    QByteArray out = "[titles]\r\n";
    for (const QString& p : plans)
        out += (p + QLatin1Char('=') + p).toUtf8() + "\r\n";
    const int counter = ini.readInteger(kCounter, kNo, -1);
    out += "\r\n[counter]\r\n";
    if (counter > 1) out += "no=" + QByteArray::number(counter) + "\r\n";
    for (const QString& p : plans) {
        out += "\r\n[" + p.toUtf8() + "]\r\n";
        out += "filename=" + QByteArray::number(ini.readString(p, kFileName).toInt()) + "\r\n";
        for (const char* key : CompanyDetails::keys()) {
            if (!key) break;
            if (ini.hasKey(p, QLatin1String(key)))
                out += QByteArray(key) + '=' +
                       oneLine(ini.readString(p, QLatin1String(key))).toUtf8() + "\r\n";
        }
    }
    // Mended only once the file as it was is safe beside it.
    const SafeFile::Result written =
        mend.copy.isEmpty() ? SafeFile::Result{false, QString()} : SafeFile::write(m_fileName, out);
    if (written.ok) {
        mend.plans = plans;
    } else {
        mend.failure = mend.copy.isEmpty() ? QString() : written.failure;
        mend.plans = IniFile(m_fileName).keys(kTitles);
    }
    return mend;
}

QString Catalogue::mendMessage(const Mend& mend) const {
    QString text = QStringLiteral("The list of plans \"%1\" is damaged: %2.")
                       .arg(QDir::toNativeSeparators(m_fileName), mend.reason);
    if (mend.copy.isEmpty()) {
        text += QStringLiteral("\n\nA copy of it as it was could not be kept, so it has been "
                               "left as it is.");
    } else {
        text += QStringLiteral("\n\nThe file as it was is kept as \"%1\".")
                    .arg(QDir::toNativeSeparators(mend.copy));
        if (!mend.failure.isEmpty())
            text += QStringLiteral("\nThe list could not be mended:\n") + mend.failure;
        else if (mend.plans.isEmpty())
            text += QStringLiteral("\nNo plan could be read from it.");
        else if (mend.plans.size() == 1)
            text += QStringLiteral("\nThe one plan that could still be read is listed again.");
        else
            text += QStringLiteral("\nThe %1 plans that could still be read are listed again.")
                        .arg(mend.plans.size());
    }
    text += QStringLiteral("\n\nNo plan's files have been deleted: they stay in \"%1\".")
                .arg(QDir::toNativeSeparators(QDir(Folders::userDataFolder()).absolutePath()));
    return text;
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
