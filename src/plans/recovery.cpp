#include "plans/recovery.h"

#include "controls/sheet/sheetfile.h"
#include "controls/sheet/sheetmodel.h"
#include "controls/text/rtfreader.h"
#include "plans/catalogue.h"
#include "platform/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace Recovery {

QString folder() {
    return Folders::dataFolder() + QStringLiteral("recovery/");
}

QString textCopyOf(int number) {
    return folder() + QString::number(number) + QStringLiteral(".mp");
}

QString budgetCopyOf(int number) {
    return textCopyOf(number) + QLatin1Char('s');
}

int numberOfPlanFile(const QString& planTextFile) {
    static const QRegularExpression name(QStringLiteral("^([1-9][0-9]{0,8})\\.mp$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = name.match(QFileInfo(planTextFile).fileName());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

namespace {

// The time a copy was made: the later of its two files.
QDateTime madeAt(const QString& text, const QString& budget) {
    QDateTime t = QFileInfo(text).lastModified();
    if (!budget.isEmpty()) t = std::max(t, QFileInfo(budget).lastModified());
    return t;
}

bool copyOf(const Catalogue& catalogue, const QString& plan, Copy* copy, bool* stale = nullptr) {
    const QString planFile = catalogue.planTextFile(plan);
    const int number = numberOfPlanFile(planFile);
    if (number <= 0) return false;
    Copy c;
    c.number = number;
    c.planName = plan;
    c.planFile = planFile;
    c.textCopy = textCopyOf(number);
    if (!QFileInfo(c.textCopy).isFile()) return false;
    if (QFileInfo(budgetCopyOf(number)).isFile()) c.budgetCopy = budgetCopyOf(number);
    c.made = madeAt(c.textCopy, c.budgetCopy);
    // A copy no newer than the plan's own file holds nothing the file lacks.
    const QFileInfo own(planFile);
    if (own.exists() && own.lastModified() >= c.made) {
        if (stale) *stale = true;
        return false;
    }
    *copy = c;
    return true;
}

// Leftovers of a write that never reached its rename: "N.mp.XXXXXX", "N.mps.XXXXXX".
void removeStaleTemporaries() {
    static const QRegularExpression temporary(
        QStringLiteral("^[1-9][0-9]*\\.mps?\\.[A-Za-z0-9]{6}$"));
    const QDir dir(folder());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (temporary.match(name).hasMatch()) QFile::remove(dir.filePath(name));
    }
}

} // namespace

QList<Copy> pending(const Catalogue& catalogue) {
    QList<Copy> copies;
    if (!QFileInfo(folder()).isDir()) return copies;
    removeStaleTemporaries();
    for (const QString& plan : catalogue.plans()) {
        Copy c;
        bool stale = false;
        if (copyOf(catalogue, plan, &c, &stale))
            copies.append(c);
        else if (stale)
            remove(Recovery::numberOfPlanFile(catalogue.planTextFile(plan)));
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const Copy& a, const Copy& b) { return a.made < b.made; });
    return copies;
}

bool pendingFor(const Catalogue& catalogue, const QString& planName, Copy* copy) {
    return copyOf(catalogue, planName, copy);
}

void remove(int number) {
    if (number <= 0) return;
    QFile::remove(textCopyOf(number));
    QFile::remove(budgetCopyOf(number));
}

QString check(const Copy& copy) {
    QFile text(copy.textCopy);
    if (!text.open(QIODevice::ReadOnly))
        return QStringLiteral("The recovery copy %1 cannot be opened: %2.")
            .arg(QDir::toNativeSeparators(copy.textCopy), text.errorString());
    const QByteArray rtf = text.readAll();
    QTextDocument doc;
    QString error;
    bool complete = false;
    if (!RtfReader::isRtf(rtf))
        return QStringLiteral("The recovery copy %1 is not a plan's text.")
            .arg(QDir::toNativeSeparators(copy.textCopy));
    if (!RtfReader::read(rtf, &doc, &error, &complete))
        return QStringLiteral("The recovery copy %1 cannot be read: %2")
            .arg(QDir::toNativeSeparators(copy.textCopy), error);
    if (!complete)
        return QStringLiteral("The recovery copy %1 is damaged: it ends before the plan does.")
            .arg(QDir::toNativeSeparators(copy.textCopy));
    if (copy.budgetCopy.isEmpty()) return QString();

    QFile budget(copy.budgetCopy);
    if (!budget.open(QIODevice::ReadOnly))
        return QStringLiteral("The recovery copy %1 cannot be opened: %2.")
            .arg(QDir::toNativeSeparators(copy.budgetCopy), budget.errorString());
    if (budget.size() > Sheet::kMaxSheetFileSize)
        return QStringLiteral("The recovery copy %1 cannot be read: it is too large.")
            .arg(QDir::toNativeSeparators(copy.budgetCopy));
    Sheet::SheetModel model;
    if (!Sheet::readNative(budget.readAll(), &model, &error))
        return QStringLiteral("The recovery copy %1 cannot be read: %2")
            .arg(QDir::toNativeSeparators(copy.budgetCopy), error);
    return QString();
}

QString keepAside(const Copy& copy) {
    const QString suffix = QStringLiteral(".unreadable");
    QString tail = suffix;
    const QString budget = budgetCopyOf(copy.number);
    for (int n = 2; QFileInfo::exists(copy.textCopy + tail) || QFileInfo::exists(budget + tail);
         ++n)
        tail = suffix + QString::number(n);
    // A rename is whole or nothing: the copy stays as it was, under a name that is never
    // offered again.
    if (!QFile::rename(copy.textCopy, copy.textCopy + tail)) return QString();
    if (!copy.budgetCopy.isEmpty()) QFile::rename(copy.budgetCopy, budget + tail);
    return copy.textCopy + tail;
}

} // namespace Recovery
