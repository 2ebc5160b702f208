#include "plans/planpackage.h"

#include "analysis/factorfile.h"
#include "platform/folders.h"
#include "platform/inifile.h"
#include "platform/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <zip.h>

#include <memory>
#include <vector>

#ifndef TANDEL_VERSION
#define TANDEL_VERSION "1.0"
#endif

namespace PlanPackage {

namespace {

const char* const kManifest = "manifest.json";
const char* const kProgram = "Tandel Zurozurov Irod";
const std::array<const char*, 3> kAnalysisEntries = {"ca.ini", "sw.ini", "ip.ini"};
const QString kTitles = QStringLiteral("Titles");

QString planFolder(int index) { return QStringLiteral("plan%1/").arg(index + 1); }

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / double(1 << 20), 'f', bytes < (10 << 20) ? 1 : 0);
}

QString shown(const QString& file) { return QDir::toNativeSeparators(file); }

// A value the catalogue or an analysis file stores and reads back as itself: one line,
// without the blanks at either end that a read trims.
bool storableValue(const QString& v) {
    if (v.size() > 1023 || v != v.trimmed()) return false;
    for (QChar c : v)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    return true;
}

bool storableKey(const QString& k) {
    return IniFile::isStorableKey(k) && !k.contains(QLatin1Char('=')) &&
           !k.contains(QLatin1Char('[')) && !k.contains(QLatin1Char(']')) && storableValue(k);
}

// --- The analysis sections as the package holds them -----------------------------------

QByteArray analysisText(const FactorList& factors) {
    QByteArray out = "[Titles]\r\n";
    for (const Factor& f : factors)
        out += (f.name + QLatin1Char('=') + f.name).toUtf8() + "\r\n";
    for (const Factor& f : factors) {
        out += "\r\n[" + f.name.toUtf8() + "]\r\n";
        for (const auto& [key, value] : f.values)
            out += (key + QLatin1Char('=') + value).toUtf8() + "\r\n";
    }
    return out;
}

// Reads an analysis entry back; an empty string when it is sound, else what is wrong.
QString parseAnalysis(const QByteArray& bytes, FactorList* out) {
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError()) return QStringLiteral("it is not text");
    struct Section {
        QString name;
        QList<std::pair<QString, QString>> values;
    };
    QList<Section> sections;
    QSet<QString> sectionNames;
    QSet<QString> keysSeen;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty()) continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).toString();
            if (sectionNames.contains(name.toCaseFolded()))
                return QStringLiteral("it lists \"%1\" twice").arg(name);
            sectionNames.insert(name.toCaseFolded());
            sections.append(Section{name, {}});
            keysSeen.clear();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || sections.isEmpty())
            return QStringLiteral("it holds a line that is no setting: \"%1\"")
                .arg(trimmed.left(80).toString());
        const QString key = line.left(eq).trimmed().toString();
        const QString value = line.mid(eq + 1).trimmed().toString();
        if (!storableKey(key))
            return QStringLiteral("\"%1\" is a name the analysis file cannot store").arg(key.left(80));
        if (!storableValue(value))
            return QStringLiteral("the value of \"%1\" cannot be stored").arg(key.left(80));
        if (keysSeen.contains(key.toCaseFolded()))
            return QStringLiteral("\"%1\" is given twice").arg(key.left(80));
        keysSeen.insert(key.toCaseFolded());
        sections.last().values.append({key, value});
    }
    if (sections.isEmpty()) return QString();
    if (sections.first().name.compare(kTitles, Qt::CaseInsensitive) != 0)
        return QStringLiteral("it does not begin with its list of factors");
    QHash<QString, int> sectionOf;
    for (int i = 1; i < sections.size(); ++i)
        sectionOf.insert(sections[i].name.toCaseFolded(), i);
    QSet<int> used;
    for (const auto& [key, value] : sections.first().values) {
        const QString problem = FactorFile::nameProblem(key);
        if (!problem.isEmpty())
            return QStringLiteral("the factor \"%1\" cannot be stored: %2").arg(key.left(80), problem);
        Factor f;
        f.name = key;
        if (const auto it = sectionOf.constFind(key.toCaseFolded()); it != sectionOf.cend()) {
            f.values = sections[*it].values;
            used.insert(*it);
        }
        out->append(f);
    }
    for (int i = 1; i < sections.size(); ++i)
        if (!used.contains(i))
            return QStringLiteral("it holds the factor \"%1\", which its list does not name")
                .arg(sections[i].name.left(80));
    return QString();
}

FactorList factorsOf(const QString& file, const QString& plan) {
    FactorList out;
    if (!QFileInfo::exists(file)) return out;
    const IniFile ini(file);
    for (const QString& name : FactorFile::names(ini, plan)) {
        Factor f;
        f.name = name;
        const QString section = FactorFile::factorSection(plan, name);
        for (const QString& key : ini.keys(section))
            f.values.append({key, ini.readString(section, key)});
        out.append(f);
    }
    return out;
}

bool readWhole(const QString& file, QByteArray* bytes) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    *bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}

// --- The zip ----------------------------------------------------------------------------

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;

QString zipReason(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

// The reader's work on an open zip.
class Reader {
public:
    Reader(zip_t* zip, const QString& shownName, const Limits& limits)
        : m_zip(zip), m_name(shownName), m_limits(limits) {}

    ReadResult run();

private:
    struct Entry {
        zip_uint64_t index = 0;
        qint64 size = 0;
        qint64 packed = 0;
    };
    ReadResult refuse(const QString& why) const {
        ReadResult r;
        r.error = QStringLiteral("The plan package \"%1\" cannot be imported: %2\n\nNothing has "
                                 "been changed.")
                      .arg(m_name, why);
        return r;
    }
    // The entry's bytes, or an error message in *why.
    QByteArray inflate(const Entry& e, const QString& name, QString* why) const;
    bool readPlan(int index, const QJsonObject& manifest, Plan* plan, QString* why) const;

    zip_t* m_zip;
    QString m_name;
    Limits m_limits;
    QHash<QString, Entry> m_entries;
};

QByteArray Reader::inflate(const Entry& e, const QString& name, QString* why) const {
    zip_file_t* f = zip_fopen_index(m_zip, e.index, 0);
    if (!f) {
        *why = QStringLiteral("\"%1\" cannot be unpacked (%2).")
                   .arg(name, QString::fromUtf8(zip_strerror(m_zip)));
        return {};
    }
    // Never more than the directory declared: a bigger stream is cut off and refused.
    QByteArray bytes(e.size + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const zip_int64_t n = zip_fread(f, bytes.data() + got, zip_uint64_t(bytes.size() - got));
        if (n < 0) {
            zip_error_t* err = zip_file_get_error(f);
            const int code = zip_error_code_zip(err);
            *why = code == ZIP_ER_CRC
                       ? QStringLiteral("the package is damaged: \"%1\" does not unpack to what "
                                        "was packed (its check sum differs).")
                             .arg(name)
                       : QStringLiteral("the package is damaged: \"%1\" cannot be unpacked (%2).")
                             .arg(name, QString::fromUtf8(zip_error_strerror(err)));
            zip_fclose(f);
            return {};
        }
        if (n == 0) break;
        got += n;
    }
    zip_fclose(f);
    if (got != e.size) {
        *why = QStringLiteral("the package is damaged: \"%1\" unpacks to another size than its "
                              "directory gives.")
                   .arg(name);
        return {};
    }
    bytes.truncate(got);
    return bytes;
}

bool Reader::readPlan(int index, const QJsonObject& m, Plan* plan, QString* why) const {
    const QString folder = planFolder(index);
    plan->name = m.value(QLatin1String("name")).toString();
    if (plan->name.isEmpty()) {
        *why = QStringLiteral("plan %1 in its list has no name.").arg(index + 1);
        return false;
    }
    const QString nameProblem = Catalogue::nameProblem(plan->name);
    if (!nameProblem.isEmpty() || plan->name.contains(QLatin1Char('['))) {
        *why = QStringLiteral("the plan name \"%1\" cannot be stored in the list of plans. %2")
                   .arg(plan->name.left(200),
                        nameProblem.isEmpty() ? QStringLiteral("It holds \"[\".") : nameProblem);
        return false;
    }
    const QJsonObject details = m.value(QLatin1String("details")).toObject();
    for (size_t i = 0; i < plan->details.keys().size() && plan->details.keys()[i]; ++i) {
        const QString key = QString::fromLatin1(plan->details.keys()[i]);
        const QJsonValue v = details.value(key);
        if (v.isUndefined()) continue;
        if (!v.isString() || !storableValue(v.toString())) {
            *why = QStringLiteral("the company detail \"%1\" of the plan \"%2\" cannot be stored "
                                  "in the list of plans.")
                       .arg(key, plan->name);
            return false;
        }
        plan->details.values[i] = v.toString();
    }
    plan->saved = QDateTime::fromString(m.value(QLatin1String("saved")).toString(), Qt::ISODate);

    const auto text = m_entries.constFind(folder + QLatin1String("plan.rtf"));
    if (text == m_entries.cend()) {
        *why = QStringLiteral("it holds no text for the plan \"%1\".").arg(plan->name);
        return false;
    }
    plan->text = inflate(*text, text.key(), why);
    if (!why->isEmpty()) return false;
    if (!plan->text.startsWith("{\\rtf")) {
        *why = QStringLiteral("the text of the plan \"%1\" is not a plan text.").arg(plan->name);
        return false;
    }
    const auto budget = m_entries.constFind(folder + QLatin1String("budget.mps"));
    if (budget != m_entries.cend()) {
        plan->budget = inflate(*budget, budget.key(), why);
        if (!why->isEmpty()) return false;
        plan->hasBudget = true;
    }
    for (int a = 0; a < 3; ++a) {
        const auto entry = m_entries.constFind(folder + QLatin1String(kAnalysisEntries[size_t(a)]));
        if (entry == m_entries.cend()) continue;
        const QByteArray bytes = inflate(*entry, entry.key(), why);
        if (!why->isEmpty()) return false;
        const QString problem = parseAnalysis(bytes, &plan->analyses[size_t(a)]);
        if (!problem.isEmpty()) {
            *why = QStringLiteral("the analysis \"%1\" of the plan \"%2\" cannot be stored: %3.")
                       .arg(entry.key(), plan->name, problem);
            return false;
        }
    }
    return true;
}

ReadResult Reader::run() {
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count <= 0) return refuse(QStringLiteral("it is empty."));
    if (count > qint64(m_limits.plans) * 6 + 64)
        return refuse(QStringLiteral("it holds %1 files, more than any plan package.").arg(count));

    // Everything is judged on the zip's directory before a byte is unpacked.
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    QSet<QString> folded;
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS, &st) != 0 ||
            !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE) ||
            !(st.valid & ZIP_STAT_COMP_SIZE))
            return refuse(QStringLiteral("its list of files is damaged."));
        const QString name = QString::fromUtf8(st.name);
        const QString quoted = name.left(120);
        if (name.isEmpty() || name.contains(QChar(0)))
            return refuse(QStringLiteral("it holds a file without a name."));
        if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) ||
            drive.match(name).hasMatch())
            return refuse(QStringLiteral("it holds a file with a full path, \"%1\"; a plan package "
                                         "only holds names inside itself.")
                              .arg(quoted));
        const QStringList parts = name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
        if (parts.contains(QStringLiteral("..")))
            return refuse(QStringLiteral("it holds a file whose name leads out of the package, "
                                         "\"%1\".")
                              .arg(quoted));
        if (folded.contains(name.toCaseFolded()))
            return refuse(QStringLiteral("it holds two files of the same name, \"%1\".").arg(quoted));
        folded.insert(name.toCaseFolded());
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return refuse(QStringLiteral("\"%1\" is locked with a password.").arg(quoted));
        const qint64 size = qint64(std::min<zip_uint64_t>(st.size, zip_uint64_t(1) << 62));
        const qint64 packed = qint64(std::min<zip_uint64_t>(st.comp_size, zip_uint64_t(1) << 62));
        if (name.endsWith(QLatin1Char('/'))) {
            if (size != 0) return refuse(QStringLiteral("its folder \"%1\" holds data.").arg(quoted));
            continue;
        }
        const QString base = parts.last();
        qint64 limit = m_limits.budget;
        QString what = QStringLiteral("a budget");
        if (base == QLatin1String("plan.rtf")) {
            limit = m_limits.planText;
            what = QStringLiteral("a plan's text");
        } else if (base.endsWith(QLatin1String(".ini"))) {
            limit = m_limits.analysis;
            what = QStringLiteral("a plan's analysis");
        } else if (name == QLatin1String(kManifest)) {
            limit = m_limits.manifest;
            what = QStringLiteral("the package's list of plans");
        }
        if (size > limit)
            return refuse(QStringLiteral("\"%1\" would unpack to %2 MB, more than the %3 MB %4 can "
                                         "take.")
                              .arg(quoted, megabytes(size), megabytes(limit), what));
        total += size;
        if (total > m_limits.total)
            return refuse(QStringLiteral("its files would unpack to more than the %1 MB a package "
                                         "can hold.")
                              .arg(megabytes(m_limits.total)));
        m_entries.insert(name, Entry{zip_uint64_t(i), size, packed});
    }
    // Then how tightly each is packed: a small file packs tightly and does no harm.
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        if (it->size >= m_limits.ratioFloor && it->size > it->packed * m_limits.ratio)
            return refuse(QStringLiteral("\"%1\" is packed more than %2 times smaller than it "
                                         "unpacks (%3 MB); no plan packs so tightly, and unpacking "
                                         "it could fill the disk.")
                              .arg(it.key().left(120))
                              .arg(m_limits.ratio)
                              .arg(megabytes(it->size)));

    const auto manifestEntry = m_entries.constFind(QLatin1String(kManifest));
    if (manifestEntry == m_entries.cend())
        return refuse(QStringLiteral("it is not a plan package: it has no list of plans."));
    QString why;
    const QByteArray manifestBytes = inflate(*manifestEntry, QLatin1String(kManifest), &why);
    if (!why.isEmpty()) return refuse(why);
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(manifestBytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("its list of plans is damaged (%1).").arg(parseError.errorString()));
    const QJsonObject manifest = doc.object();

    ReadResult result;
    Package& p = result.package;
    const QJsonValue format = manifest.value(QLatin1String("format"));
    if (!format.isDouble() || format.toDouble() != double(format.toInt()) || format.toInt() < 1)
        return refuse(QStringLiteral("its list of plans gives no format version."));
    p.format = format.toInt();
    p.program = manifest.value(QLatin1String("program")).toString().left(200);
    p.version = manifest.value(QLatin1String("version")).toString().left(40);
    if (p.format > FormatVersion)
        return refuse(
            QStringLiteral("it was made by a newer version of the program (%1) in package format "
                           "%2, and this version (%3) reads package format %4 only. Please "
                           "install version %1 or later of %5 to import it.")
                .arg(p.version.isEmpty() ? QStringLiteral("unknown") : p.version)
                .arg(p.format)
                .arg(QStringLiteral(TANDEL_VERSION))
                .arg(FormatVersion)
                .arg(QLatin1String(kProgram)));
    p.backup = manifest.value(QLatin1String("kind")).toString() == QLatin1String("backup");
    p.made = QDateTime::fromString(manifest.value(QLatin1String("made")).toString(), Qt::ISODate);
    const QJsonArray plans = manifest.value(QLatin1String("plans")).toArray();
    if (plans.isEmpty()) return refuse(QStringLiteral("it holds no plan."));
    if (plans.size() > m_limits.plans)
        return refuse(QStringLiteral("it lists %1 plans, more than a package can hold.").arg(plans.size()));

    // Only the files this format has.
    static const QRegularExpression known(
        QStringLiteral("^plan([1-9][0-9]{0,5})/(plan\\.rtf|budget\\.mps|ca\\.ini|sw\\.ini|ip\\.ini)?$"));
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it.key() == QLatin1String(kManifest)) continue;
        const auto m = known.match(it.key());
        if (!m.hasMatch() || m.captured(1).toInt() > plans.size())
            return refuse(QStringLiteral("it holds a file no plan package has, \"%1\".")
                              .arg(it.key().left(120)));
    }

    for (int i = 0; i < plans.size(); ++i) {
        Plan plan;
        if (!readPlan(i, plans.at(i).toObject(), &plan, &why)) return refuse(why);
        p.plans.append(std::move(plan));
    }
    result.ok = true;
    return result;
}

// Reads the bytes the source holds (a zip built in memory).
QByteArray sourceBytes(zip_source_t* src) {
    QByteArray out;
    if (zip_source_open(src) != 0) return out;
    if (zip_source_seek(src, 0, SEEK_END) == 0) {
        const zip_int64_t size = zip_source_tell(src);
        if (size > 0 && zip_source_seek(src, 0, SEEK_SET) == 0) {
            out.resize(qsizetype(size));
            if (zip_source_read(src, out.data(), zip_uint64_t(size)) != size) out.clear();
        }
    }
    zip_source_close(src);
    return out;
}

QJsonObject manifestOf(const Plan& plan) {
    QJsonObject m;
    m.insert(QStringLiteral("name"), plan.name);
    m.insert(QStringLiteral("company"), plan.details.value("coname"));
    m.insert(QStringLiteral("unit"), plan.details.value("sbu"));
    m.insert(QStringLiteral("author"), plan.details.value("author"));
    m.insert(QStringLiteral("created"), plan.details.value("created"));
    if (plan.saved.isValid())
        m.insert(QStringLiteral("saved"), plan.saved.toUTC().toString(Qt::ISODate));
    QJsonObject details;
    for (size_t i = 0; i < plan.details.keys().size() && plan.details.keys()[i]; ++i)
        details.insert(QString::fromLatin1(plan.details.keys()[i]), plan.details.values[i]);
    m.insert(QStringLiteral("details"), details);
    return m;
}

bool writePackage(const Package& package, const QString& file, QString* error) {
    const QByteArray bytes = pack(package);
    if (bytes.isEmpty()) {
        *error = QStringLiteral("The plan package could not be made.");
        return false;
    }
    const SafeFile::Result written = SafeFile::write(file, bytes);
    if (!written.ok) {
        *error = QStringLiteral("The plan package could not be written.\n") + written.failure;
        return false;
    }
    return true;
}

Package newPackage(bool backup) {
    Package p;
    p.program = QLatin1String(kProgram);
    p.version = QStringLiteral(TANDEL_VERSION);
    p.backup = backup;
    p.made = QDateTime::currentDateTimeUtc();
    return p;
}

// Why libzip would not open the package.
ReadResult notOpened(const QString& name, int code) {
    ReadResult r;
    if (code == ZIP_ER_EXISTS)
        r.error = QStringLiteral("The plan package \"%1\" cannot be imported: it holds two files of "
                                 "the same name.\n\nNothing has been changed.")
                      .arg(name);
    else
        r.error = QStringLiteral("The file \"%1\" is not a plan package, or it is damaged (%2).\n\n"
                                 "Nothing has been changed.")
                      .arg(name, zipReason(code));
    return r;
}

} // namespace

QString suffix() { return QStringLiteral("tzplan"); }

QString fileFilter() { return QStringLiteral("Plan packages (*.tzplan)"); }

Places Places::current() {
    Places p;
    p.catalogue = Catalogue::defaultFileName();
    p.userData = Folders::userDataFolder();
    p.analyses = {FactorFile::path(Analysis::Competitor),
                  FactorFile::path(Analysis::StrengthWeakness),
                  FactorFile::path(Analysis::ImpactProbability)};
    return p;
}

QString Places::planTextFile(int number) const {
    return Folders::resolve(userData + QString::number(number) + QStringLiteral(".mp"));
}

bool collect(const QString& name, const Places& places, Plan* plan, QString* error) {
    const Catalogue catalogue(places.catalogue);
    const QString number = catalogue.fileNumberText(name);
    if (!Catalogue::isPlanNumberText(number)) {
        *error = QStringLiteral("The plan \"%1\" has no file number in the list of plans, so its "
                                "files cannot be found.")
                     .arg(name);
        return false;
    }
    const QString textFile = places.planTextFile(number.toInt());
    if (!QFileInfo::exists(textFile)) {
        *error = QStringLiteral("The plan \"%1\" has not been saved yet, so there is nothing of it "
                                "to put in a package.")
                     .arg(name);
        return false;
    }
    plan->name = name;
    plan->details = catalogue.details(name);
    if (!readWhole(textFile, &plan->text)) {
        *error = QStringLiteral("The text of the plan \"%1\" cannot be read.\n%2")
                     .arg(name, shown(textFile));
        return false;
    }
    plan->saved = QFileInfo(textFile).lastModified();
    const QString budgetFile = Catalogue::budgetFileOf(textFile);
    plan->hasBudget = QFileInfo::exists(budgetFile);
    if (plan->hasBudget && !readWhole(budgetFile, &plan->budget)) {
        *error = QStringLiteral("The budget of the plan \"%1\" cannot be read.\n%2")
                     .arg(name, shown(budgetFile));
        return false;
    }
    for (size_t a = 0; a < 3; ++a)
        plan->analyses[a] = factorsOf(places.analyses[a], name);
    return true;
}

QByteArray pack(const Package& package) {
    QJsonObject manifest;
    manifest.insert(QStringLiteral("format"), package.format);
    manifest.insert(QStringLiteral("program"), package.program);
    manifest.insert(QStringLiteral("version"), package.version);
    manifest.insert(QStringLiteral("kind"), package.backup ? QStringLiteral("backup")
                                                           : QStringLiteral("plan"));
    manifest.insert(QStringLiteral("made"), package.made.toUTC().toString(Qt::ISODate));
    QJsonArray plans;
    for (const Plan& plan : package.plans)
        plans.append(manifestOf(plan));
    manifest.insert(QStringLiteral("plans"), plans);

    // Every entry's bytes live until the zip is closed.
    std::vector<std::pair<QByteArray, QByteArray>> entries; // name, bytes
    entries.emplace_back(kManifest, QJsonDocument(manifest).toJson(QJsonDocument::Indented));
    for (int i = 0; i < package.plans.size(); ++i) {
        const Plan& plan = package.plans[i];
        const QByteArray folder = planFolder(i).toUtf8();
        entries.emplace_back(folder + "plan.rtf", plan.text);
        if (plan.hasBudget) entries.emplace_back(folder + "budget.mps", plan.budget);
        for (size_t a = 0; a < 3; ++a)
            if (!plan.analyses[a].isEmpty())
                entries.emplace_back(folder + kAnalysisEntries[a], analysisText(plan.analyses[a]));
    }

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!src) return {};
    zip_source_keep(src);
    zip_t* zip = zip_open_from_source(src, ZIP_TRUNCATE, nullptr);
    if (!zip) {
        zip_source_free(src);
        return {};
    }
    bool ok = true;
    for (const auto& [name, bytes] : entries) {
        zip_source_t* data = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(zip, name.constData(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (data) zip_source_free(data);
            ok = false;
            break;
        }
        // The fastest deflate: plan texts pack well at any level, and the package is made
        // while the owner waits.
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (!ok || zip_close(zip) != 0) {
        zip_discard(zip);
        zip_source_free(src);
        return {};
    }
    const QByteArray out = sourceBytes(src);
    zip_source_free(src);
    return out;
}

bool exportPlan(const QString& name, const QString& file, QString* error, const Places& places) {
    Package package = newPackage(false);
    Plan plan;
    if (!collect(name, places, &plan, error)) return false;
    package.plans.append(std::move(plan));
    return writePackage(package, file, error);
}

bool backUp(const QString& file, QString* error, QStringList* leftOut, const Places& places) {
    Package package = newPackage(true);
    for (const QString& name : Catalogue(places.catalogue).plans()) {
        Plan plan;
        QString why;
        if (collect(name, places, &plan, &why))
            package.plans.append(std::move(plan));
        else if (leftOut)
            leftOut->append(name);
    }
    if (package.plans.isEmpty()) {
        *error = QStringLiteral("There is no saved plan to back up.");
        return false;
    }
    return writePackage(package, file, error);
}

ReadResult read(const QByteArray& bytes, const QString& shownName, const Limits& limits) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t* zip = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!zip) {
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (src) zip_source_free(src);
        return notOpened(shownName, code);
    }
    zip_error_fini(&error);
    const Zip owner(zip);
    return Reader(zip, shownName, limits).run();
}

ReadResult readFile(const QString& file, const Limits& limits) {
    const QString name = shown(file);
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip) {
        if (!QFileInfo(file).isFile()) {
            ReadResult r;
            r.error = QStringLiteral("The plan package \"%1\" cannot be found.").arg(name);
            return r;
        }
        return notOpened(name, code);
    }
    const Zip owner(zip);
    return Reader(zip, name, limits).run();
}

QString newNameProblem(const QString& name, const Catalogue& catalogue, const QStringList& alsoTaken) {
    if (name.isEmpty()) return QStringLiteral("You must specify a name for your new plan.");
    if (name.contains(QLatin1Char('['))) return QStringLiteral("Illegal character in plan name '['.");
    if (name.contains(QLatin1Char(']'))) return QStringLiteral("Illegal character in plan name ']'.");
    const QString problem = Catalogue::nameProblem(name);
    if (!problem.isEmpty()) return problem;
    if (catalogue.contains(name) || alsoTaken.contains(name, Qt::CaseInsensitive))
        return QStringLiteral("Plan name already exists.");
    return QString();
}

namespace {

// A data file as it was before the import, to put back when a later step fails.
struct Kept {
    QString file;
    bool existed = false;
    QByteArray bytes;
};

bool keep(const QString& file, Kept* kept) {
    kept->file = file;
    kept->existed = QFileInfo::exists(file);
    return !kept->existed || readWhole(file, &kept->bytes);
}

// Puts the file back as it was; false when it could not be.
bool putBack(const Kept& kept) {
    if (!kept.existed) return !QFileInfo::exists(kept.file) || QFile::remove(kept.file);
    return SafeFile::write(kept.file, kept.bytes).ok;
}

} // namespace

ImportResult import(const Package& package, const AskName& ask, const Places& places) {
    ImportResult result;
    const Catalogue catalogue(places.catalogue);

    // The names, asked for before anything is written.
    QList<const Plan*> plans;
    QStringList names;
    for (const Plan& plan : package.plans) {
        QString name = plan.name;
        QString problem = newNameProblem(name, catalogue, names);
        bool skip = false;
        while (!problem.isEmpty()) {
            const Choice choice = ask ? ask(name, problem, package.plans.size() > 1)
                                      : Choice{Choice::Cancel, {}};
            if (choice.kind == Choice::Cancel) {
                result.cancelled = true;
                return result;
            }
            if (choice.kind == Choice::Skip) {
                skip = true;
                break;
            }
            name = choice.name;
            problem = newNameProblem(name, catalogue, names);
        }
        if (skip) {
            result.skipped << plan.name;
            continue;
        }
        plans << &plan;
        names << name;
    }
    if (plans.isEmpty()) {
        result.ok = true;
        return result;
    }

    // File numbers, none used by a listed plan or a file on disk.
    QList<Catalogue::NewPlan> entries;
    QSet<int> taken;
    for (int i = 0; i < plans.size(); ++i) {
        const int number = catalogue.nextPlanNumber(taken);
        taken.insert(number);
        entries.append(Catalogue::NewPlan{names[i], number, plans[i]->details});
    }

    // 1. Every plan's files written whole under temporary names.
    std::vector<std::unique_ptr<SafeFile>> staged;
    auto stage = [&staged, &result](const QString& file, const QByteArray& bytes) {
        auto f = std::make_unique<SafeFile>(file);
        if (!(f->open() && f->write(bytes) && f->stage())) {
            result.error = QStringLiteral("The plan could not be written.\n") + f->failure();
            return false;
        }
        staged.push_back(std::move(f));
        return true;
    };
    for (int i = 0; i < plans.size(); ++i) {
        const QString text = places.planTextFile(entries[i].number);
        if (!stage(text, plans[i]->text)) break;
        if (plans[i]->hasBudget && !stage(Catalogue::budgetFileOf(text), plans[i]->budget)) break;
    }
    if (!result.error.isEmpty()) {
        result.error += QStringLiteral("\n\nNothing has been imported.");
        return result;
    }

    // The data files as they are, for putting back.
    std::array<Kept, 3> keptAnalyses;
    for (size_t a = 0; a < 3; ++a)
        if (!keep(places.analyses[a], &keptAnalyses[a])) {
            result.error = QStringLiteral("The analysis file cannot be read.\n%1\n\nNothing has been "
                                          "imported.")
                               .arg(shown(places.analyses[a]));
            return result;
        }

    // 2. The files take their names; never over a file that is there.
    QStringList committed;
    QList<const Kept*> changed;
    auto rollBack = [&committed, &changed]() {
        bool whole = true;
        for (const Kept* k : changed)
            whole = putBack(*k) && whole;
        for (const QString& f : committed)
            whole = QFile::remove(f) && whole;
        return whole;
    };
    auto failed = [&](const QString& what) {
        result.error = what;
        if (rollBack())
            result.error += QStringLiteral("\n\nNothing has been imported: everything is as it was.");
        else
            result.error += QStringLiteral("\n\nWhat was imported could not all be taken back. "
                                           "Please check the plans and the data folder.");
        return result;
    };
    for (const auto& f : staged) {
        if (!f->commitNew())
            return failed(QStringLiteral("The plan could not be written.\n") + f->failure());
        committed << f->path();
    }

    // 3. The analysis files, each in one write.
    for (size_t a = 0; a < 3; ++a) {
        bool any = false;
        try {
            IniFile ini(places.analyses[a]);
            ini.beginBatch();
            for (int i = 0; i < plans.size(); ++i) {
                const QString& name = names[i];
                // Sections a deleted plan of this name left behind belong to no plan.
                const QStringList stale = FactorFile::names(ini, name);
                for (const QString& f : stale)
                    ini.eraseSection(FactorFile::factorSection(name, f));
                if (ini.hasSection(FactorFile::titlesSection(name))) {
                    ini.eraseSection(FactorFile::titlesSection(name));
                    any = true;
                }
                any = any || !stale.isEmpty();
                for (const Factor& f : plans[i]->analyses[a]) {
                    any = true;
                    ini.writeString(FactorFile::titlesSection(name), f.name, f.name);
                    const QString section = FactorFile::factorSection(name, f.name);
                    for (const auto& [key, value] : f.values)
                        ini.writeString(section, key, value);
                }
            }
            if (any) {
                ini.commit();
                changed << &keptAnalyses[a];
            }
        } catch (const IniWriteError& e) {
            return failed(e.message());
        }
    }

    // 4. The list of plans last: until it names them, the plans are not there.
    try {
        Catalogue(places.catalogue).addPlans(entries);
    } catch (const IniWriteError& e) {
        return failed(e.message());
    }
    result.ok = true;
    result.added = names;
    return result;
}

} // namespace PlanPackage
