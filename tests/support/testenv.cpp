#include "support/testenv.h"

#include "platform/folders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

bool copyTree(const QString& from, const QString& to) {
    QDir src(from);
    if (!src.exists())
        return QDir().mkpath(to);
    bool ok = QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + src.relativeFilePath(path);
        if (QFileInfo(path).isDir())
            ok = QDir().mkpath(target) && ok;
        else {
            QFile::remove(target);
            ok = QFile::copy(path, target) && ok;
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return ok;
}

TestEnv::TestEnv() {
    const QString bin = QStringLiteral(TANDEL_PRISTINE_DIR);
    copyTree(bin + QStringLiteral("/data"), m_program.path() + QStringLiteral("/data"));
    copyTree(bin + QStringLiteral("/userdata"), m_program.path() + QStringLiteral("/userdata"));
    Folders::setProgramFolder(m_program.path());
    Folders::setConfigFolder(m_config.path());
}

TestEnv::~TestEnv() {
    Folders::setProgramFolder(QString());
    Folders::setConfigFolder(QString());
}

QString TestEnv::programFolder() const { return m_program.path() + QLatin1Char('/'); }
QString TestEnv::dataFolder() const { return programFolder() + QStringLiteral("data/"); }
QString TestEnv::userDataFolder() const { return programFolder() + QStringLiteral("userdata/"); }
QString TestEnv::configFolder() const { return m_config.path() + QLatin1Char('/'); }

QByteArray readFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
