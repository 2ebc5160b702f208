#pragma once

#include "plans/planpackage.h"

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// The commands that take plans out in packages and bring them back: File > "Export Plan
// Package..." and "Back up all plans...", and the Open window's "Import Plan Package..."
// and "Restore from backup...". They work on the catalogue and the data folder through
// PlanPackage and ask the user through windows of their own.
class PackageCommands : public QObject {
    Q_OBJECT
public:
    struct Links {
        QWidget* window = nullptr;
        // The open plan's name; empty when no plan is open.
        std::function<QString()> currentPlan;
        // Whether the open plan has changes not saved, and saving it (false: not saved).
        std::function<bool()> modified;
        std::function<bool()> save;
    };
    explicit PackageCommands(Links links, QObject* parent = nullptr);

    // Returns whether a package was written.
    bool ExportPlanPackage();
    bool BackUpAllPlans();

    // Import a package (asking for its file when `file` is empty) or restore a backup.
    // Returns the names the plans were added under (empty when none was added).
    static QStringList ImportPlanPackage(QWidget* parent, const QString& file = QString());
    static QStringList RestoreFromBackup(QWidget* parent);

    // The package the desktop asked the program to open, imported when the Open window
    // first shows.
    static void setPendingImport(const QString& file);
    static QString takePendingImport();

    // Asks for another name for a plan whose name is taken, in a window of its own.
    static PlanPackage::Choice askName(QWidget* parent, const QString& name,
                                       const QString& problem, bool maySkip);

private:
    QString askSaveFile(const QString& caption);
    static QStringList importFile(QWidget* parent, const QString& file, bool restore);

    Links m_links;
};
