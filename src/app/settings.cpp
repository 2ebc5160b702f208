#include "app/settings.h"

#include <cmath>

namespace Settings {

QString keytextKey(int index) {
    return QStringLiteral("keytext%1").arg((index + 1) % 10);
}

int recoveryInterval(int stored) {
    return RecoveryIntervals.contains(stored) ? stored : DefaultRecoveryInterval;
}

double marginFromText(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0) return 1;
    return value > 20 ? 20 : value;
}

QString marginText(double value) {
    return QString::asprintf("%.4g", value);
}

} // namespace Settings
