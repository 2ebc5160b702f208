// Feeds arbitrary bytes to the plan package reader as a zip, or zips them first (see
// zipped()). A package it takes must hold
// only what the catalogue and the analysis files can store, within the limits, and must
// come back the same when packed again and read again.
#include "analysis/factorfile.h"
#include "plans/catalogue.h"
#include "plans/planpackage.h"

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what, const QString& detail = QString()) {
    std::fprintf(stderr, "%s %s\n", what, qPrintable(detail));
    std::abort();
}

PlanPackage::Limits limits() {
    // Small limits keep each run fast; the checks are the same at any size.
    PlanPackage::Limits l;
    l.planText = 4 << 20;
    l.budget = 4 << 20;
    l.analysis = 1 << 20;
    l.manifest = 1 << 20;
    l.total = 8 << 20;
    l.ratioFloor = 4 << 10;
    l.plans = 50;
    return l;
}

void checkTaken(const PlanPackage::Package& p, const PlanPackage::Limits& l) {
    if (p.format < 1 || p.format > PlanPackage::FormatVersion) fail("format", QString::number(p.format));
    if (p.plans.isEmpty() || p.plans.size() > l.plans) fail("plan count");
    for (const PlanPackage::Plan& plan : p.plans) {
        if (!Catalogue::nameProblem(plan.name).isEmpty() || plan.name.contains(QLatin1Char('[')))
            fail("plan name taken that cannot be stored", plan.name);
        if (!plan.text.startsWith("{\\rtf") || plan.text.size() > l.planText) fail("plan text");
        if (plan.budget.size() > l.budget) fail("budget size");
        for (const QString& v : plan.details.values)
            for (QChar c : v)
                if (c.unicode() < 0x20) fail("detail with a control character", plan.name);
        for (const PlanPackage::FactorList& factors : plan.analyses) {
            QStringList seen;
            for (const PlanPackage::Factor& f : factors) {
                if (!FactorFile::nameProblem(f.name).isEmpty()) fail("factor name", f.name);
                if (FactorFile::listed(seen, f.name)) fail("factor twice", f.name);
                seen << f.name;
            }
        }
    }
}

bool samePlans(const PlanPackage::Package& a, const PlanPackage::Package& b) {
    if (a.plans.size() != b.plans.size()) return false;
    for (int i = 0; i < a.plans.size(); ++i) {
        const PlanPackage::Plan& x = a.plans[i];
        const PlanPackage::Plan& y = b.plans[i];
        if (x.name != y.name || x.text != y.text || x.budget != y.budget ||
            x.hasBudget != y.hasBudget || x.details.values != y.details.values)
            return false;
        for (size_t n = 0; n < 3; ++n) {
            if (x.analyses[n].size() != y.analyses[n].size()) return false;
            for (int f = 0; f < x.analyses[n].size(); ++f)
                if (x.analyses[n][f].name != y.analyses[n][f].name ||
                    x.analyses[n][f].values != y.analyses[n][f].values)
                    return false;
        }
    }
    return true;
}

// Packing alters every byte of a mutated entry, and its check sum refuses it: inputs that
// begin with "Z" are zipped here instead, so that the fuzzer reaches the list of plans and
// the analysis files. After the "Z", parts separated by the byte 0x1e: the first is the
// list of plans, each other one a file's name on its first line and its bytes after.
QByteArray zipped(const QByteArray& input) {
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    const QList<QByteArray> parts = input.mid(1).split('\x1e');
    for (int i = 0; i < parts.size(); ++i) {
        if (i == 0) {
            entries.emplace_back("manifest.json", parts[i]);
            continue;
        }
        const qsizetype nl = parts[i].indexOf('\n');
        entries.emplace_back(parts[i].left(nl < 0 ? 0 : nl), nl < 0 ? parts[i] : parts[i].mid(nl + 1));
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    zip_source_keep(src);
    zip_t* zip = zip_open_from_source(src, ZIP_TRUNCATE, nullptr);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* data = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        // Names libzip refuses (empty, twice) are left out.
        if (zip_file_add(zip, name.constData(), data, ZIP_FL_ENC_UTF_8) < 0) zip_source_free(data);
    }
    QByteArray out;
    if (zip_close(zip) != 0) {
        zip_discard(zip);
    } else if (zip_source_open(src) == 0) {
        zip_source_seek(src, 0, SEEK_END);
        out.resize(qsizetype(zip_source_tell(src)));
        zip_source_seek(src, 0, SEEK_SET);
        zip_source_read(src, out.data(), zip_uint64_t(out.size()));
        zip_source_close(src);
    }
    zip_source_free(src);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const PlanPackage::Limits l = limits();
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray bytes = input.startsWith('Z') ? zipped(input) : input;
    const PlanPackage::ReadResult r = PlanPackage::read(bytes, QStringLiteral("fuzz.tzplan"), l);
    if (!r.ok) {
        if (r.error.isEmpty()) fail("refused without a reason");
        return 0;
    }
    checkTaken(r.package, l);
    // What was taken packs and reads back as itself.
    const QByteArray again = PlanPackage::pack(r.package);
    PlanPackage::Limits roomy = l;
    roomy.total = 64 << 20;
    roomy.ratio = 1 << 20;
    const PlanPackage::ReadResult back = PlanPackage::read(again, QStringLiteral("again"), roomy);
    if (!back.ok) fail("a package packed again is refused:", back.error);
    if (!samePlans(r.package, back.package)) fail("a package packed again reads back otherwise");
    return 0;
}
