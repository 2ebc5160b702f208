#pragma once

#include "plans/planstate.h"

#include <QList>
#include <QString>
#include <QStringList>

// Names and defaults of the user settings kept in "Tandel.INI".
namespace Settings {

inline const QString MainSection = QStringLiteral("Zurozurov Irod");
inline const QString TipsSection = QStringLiteral("bps");
inline const QString WebSection = QStringLiteral("Web");

// The address "Tandel on the Web" opens when the settings name none.
inline const QString DefaultHomePage = QStringLiteral("https://www.tandel.example/");
inline const QString DefaultLauncher = QStringLiteral("ZIVORO.EXE");

constexpr int DefaultDivider1 = 220;
constexpr int MinimumDivider2 = 110;
constexpr int DefaultWindowWidth = 630;
constexpr int DefaultWindowHeight = 470;

// 0 switches off the reminder of template prompts before printing or exporting.
inline const QString PlanCheckReminderKey = QStringLiteral("PlanCheckReminder");

// 0 prints the plan without its contents page after the title page (page setup's
// "Contents page"); on paper, in the preview and in PDF exports alike.
inline const QString ContentsPageKey = QStringLiteral("ContentsPage");

// Minutes at most between recovery copies of unsaved changes; 0 makes none.
inline const QString RecoveryIntervalKey = QStringLiteral("RecoveryInterval");
constexpr int DefaultRecoveryInterval = 1;
// The choices Options offers, in its order.
inline const QList<int> RecoveryIntervals = {0, 1, 2, 5, 10};
// A stored value that is not one of the choices gives the default.
int recoveryInterval(int stored);

// Keytext keys in the order of the menu items: keytext1 ... keytext9, keytext0.
QString keytextKey(int index); // index 0..9 -> "keytext1" ... "keytext9", "keytext0"

// Margins in inches: left, right, top, bottom.
using Margins = InchMargins;

// A margin as the settings keep it: text read as a real number; text that is not one
// gives 1, as does a negative value, and anything above 20 gives 20.
double marginFromText(const QString& text);
// The margin shown with at most four significant digits ("%.4g").
QString marginText(double value);

} // namespace Settings
