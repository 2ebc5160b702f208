#include "support/programcopy.h"

#include "platform/folders.h"
#include "platform/printerinfo.h"

#include <QDir>
#include <QFile>

void useProgramCopy(const QString& folder) {
    const QString bin = QStringLiteral(TANDEL_BENCH_BIN_DIR) + QLatin1Char('/');
    for (const char* sub : {"data", "userdata"}) {
        const QString from = bin + QLatin1String(sub) + QLatin1Char('/');
        const QString to = folder + QLatin1Char('/') + QLatin1String(sub) + QLatin1Char('/');
        QDir().mkpath(to);
        for (const QString& f : QDir(from).entryList(QDir::Files))
            QFile::copy(from + f, to + f);
    }
    Folders::setProgramFolder(folder + QLatin1Char('/'));
    Folders::setConfigFolder(folder + QStringLiteral("/config"));
    PrinterInfo::setNoPrinterForTesting();
}
