#include "plans/exampleindex.h"

#include "platform/folders.h"
#include "platform/helpsystem.h"
#include "platform/inifile.h"

#include <QFileInfo>

namespace {

const QString kFirstBusiness = QStringLiteral("help");
// Where the business last read is kept in the settings file.
const QString kSettingsSection = QStringLiteral("Examples");
const QString kSettingsKey = QStringLiteral("Business");

bool isBusinessSection(const QString& name) {
    if (name.compare(kFirstBusiness, Qt::CaseInsensitive) == 0) return true;
    if (!name.startsWith(kFirstBusiness, Qt::CaseInsensitive)) return false;
    bool ok = false;
    return name.mid(kFirstBusiness.size()).toInt(&ok) >= 2 && ok;
}

bool sameFile(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() &&
           QFileInfo(a).absoluteFilePath().compare(QFileInfo(b).absoluteFilePath(),
                                                   Qt::CaseInsensitive) == 0;
}

} // namespace

namespace ExampleIndex {

QString businessOf(const IniFile& egini, int context) {
    if (context <= 1) return QString(); // 1 is the contents, shared by all
    for (const QString& section : egini.sections()) {
        if (!isBusinessSection(section)) continue;
        for (const QString& key : egini.keys(section))
            if (egini.readInteger(section, key, 0) == context) return section;
    }
    return QString();
}

int contextFor(const IniFile& egini, const QString& business, int section) {
    const QString key = QString::number(section);
    const int own = business.isEmpty() ? 0 : egini.readInteger(business, key, 0);
    return own > 0 ? own : egini.readInteger(kFirstBusiness, key, 0);
}

int chooseExample(const QString& eginiPath, const QString& examplesPath, int section) {
    const IniFile egini(eginiPath);
    IniFile settings(Folders::settingsFile());
    const QString remembered = settings.readString(kSettingsSection, kSettingsKey);
    QString business;
    const HelpViewer* viewer = HelpSystem::instance().viewer();
    if (viewer && sameFile(viewer->fileName(), examplesPath))
        business = businessOf(egini, viewer->currentContext());
    if (business.isEmpty()) {
        business = isBusinessSection(remembered) ? remembered : kFirstBusiness;
    } else if (business != remembered) {
        // Only a convenience: a settings file that cannot be written costs nothing else.
        try {
            settings.writeString(kSettingsSection, kSettingsKey, business);
        } catch (const IniWriteError&) {
        }
    }
    return contextFor(egini, business, section);
}

} // namespace ExampleIndex
