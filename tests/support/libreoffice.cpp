#include "support/libreoffice.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

QString sofficeProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

bool missingToolFails() {
    return qEnvironmentVariableIsSet("CI");
}

bool sofficeConvert(const QString& to, const QStringList& files, const QString& outDir,
                    QString* error) {
    const QString program = sofficeProgram();
    if (program.isEmpty()) {
        if (error) *error = QStringLiteral("soffice is not installed");
        return false;
    }
    QProcess p;
    p.setWorkingDirectory(outDir);
    p.start(program, QStringList{QStringLiteral("-env:UserInstallation=file://") +
                                     QDir(outDir).absoluteFilePath(QStringLiteral("lo-profile")),
                                 QStringLiteral("--headless"), QStringLiteral("--convert-to"), to,
                                 QStringLiteral("--outdir"), outDir} +
                         files);
    const bool ok = p.waitForFinished(240000) && p.exitStatus() == QProcess::NormalExit &&
                    p.exitCode() == 0;
    if (!ok && error)
        *error = QStringLiteral("soffice failed: ") +
                 QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return ok;
}
