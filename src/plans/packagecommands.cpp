#include "plans/packagecommands.h"

#include "dialogs/dialogfrm.h"
#include "dialogs/savedialog.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

QString g_pending;

QString startFolder() {
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(docs).exists() ? docs : QDir::homePath();
}

QString openFile(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption, startFolder());
    dialog.setObjectName(QStringLiteral("dlgPackage"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({PlanPackage::fileFilter(), QStringLiteral("All files (*)")});
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

QString listed(const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names) quoted << QStringLiteral("\"%1\"").arg(n);
    return quoted.join(QStringLiteral(", "));
}

} // namespace

PackageCommands::PackageCommands(Links links, QObject* parent)
    : QObject(parent), m_links(std::move(links)) {}

QString PackageCommands::askSaveFile(const QString& caption) {
    QFileDialog dialog(m_links.window, caption);
    dialog.setObjectName(QStringLiteral("dlgPackage"));
    return runSaveDialog(&dialog, PlanPackage::fileFilter() + QStringLiteral("|*.tzplan"),
                         PlanPackage::suffix(), startFolder());
}

bool PackageCommands::ExportPlanPackage() {
    const QString plan = m_links.currentPlan ? m_links.currentPlan() : QString();
    if (plan.isEmpty()) {
        ShowMessageDialog(QStringLiteral("Please open the plan you want to put in a package first."),
                          mtInformation, mbOK, mbOK, 0);
        return false;
    }
    // The package holds the plan as saved.
    if (m_links.modified && m_links.modified()) {
        const int answer = ShowMessageDialog(
            QStringLiteral("The plan \"%1\" has changes that are not saved. The package holds the "
                           "plan as it was last saved.\n\nSave the changes first?")
                .arg(plan),
            mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0);
        if (answer == mrCancel) return false;
        if (answer == mrYes && m_links.save && !m_links.save()) return false;
    }
    const QString file = askSaveFile(QStringLiteral("Export Plan Package"));
    if (file.isEmpty()) return false;
    QString error;
    if (!PlanPackage::exportPlan(plan, file, &error)) {
        ShowError(error);
        return false;
    }
    return true;
}

bool PackageCommands::BackUpAllPlans() {
    if (m_links.modified && m_links.modified()) {
        const int answer = ShowMessageDialog(
            QStringLiteral("The open plan has changes that are not saved. The backup holds every "
                           "plan as it was last saved.\n\nSave the changes first?"),
            mtConfirmation, mbYes | mbNo | mbCancel, mbYes, 0);
        if (answer == mrCancel) return false;
        if (answer == mrYes && m_links.save && !m_links.save()) return false;
    }
    const QString file = askSaveFile(QStringLiteral("Back up all plans"));
    if (file.isEmpty()) return false;
    QString error;
    QStringList leftOut;
    if (!PlanPackage::backUp(file, &error, &leftOut)) {
        ShowError(error);
        return false;
    }
    QString message = QStringLiteral("All your plans are backed up in \"%1\".")
                          .arg(QDir::toNativeSeparators(file));
    if (!leftOut.isEmpty())
        message += QStringLiteral("\n\nLeft out, because they have never been saved: %1.").arg(listed(leftOut));
    ShowMessageDialog(message, mtInformation, mbOK, mbOK, 0);
    return true;
}

PlanPackage::Choice PackageCommands::askName(QWidget* parent, const QString& name,
                                             const QString& problem, bool maySkip) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TfrmImportName"));
    dialog.setWindowTitle(QStringLiteral("Name the imported plan"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* why = new QLabel(QStringLiteral("The plan \"%1\" cannot be added under its own name:\n%2\n\n"
                                          "Type another name for it below:")
                               .arg(name, problem),
                           &dialog);
    why->setObjectName(QStringLiteral("Label1"));
    why->setWordWrap(true);
    auto* edit = new QLineEdit(name, &dialog);
    edit->setObjectName(QStringLiteral("txtNewPlanName"));
    edit->selectAll();
    layout->addWidget(why);
    layout->addWidget(edit);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("&OK"), &dialog);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* skip = new QPushButton(QStringLiteral("&Skip this plan"), &dialog);
    skip->setObjectName(QStringLiteral("Button3"));
    skip->setVisible(maySkip);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("Button2"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(skip);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    PlanPackage::Choice choice;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        choice = {PlanPackage::Choice::Rename, edit->text()};
        dialog.accept();
    });
    QObject::connect(skip, &QPushButton::clicked, &dialog, [&] {
        choice = {PlanPackage::Choice::Skip, QString()};
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.resize(400, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) return {};
    return choice;
}

QStringList PackageCommands::importFile(QWidget* parent, const QString& file, bool restore) {
    const PlanPackage::ReadResult read = PlanPackage::readFile(file);
    if (!read.ok) {
        ShowError(read.error);
        return {};
    }
    const PlanPackage::ImportResult done = PlanPackage::import(
        read.package, [parent](const QString& name, const QString& problem, bool maySkip) {
            return askName(parent, name, problem, maySkip);
        });
    if (done.cancelled) return {};
    if (!done.ok) {
        ShowError(done.error);
        return {};
    }
    QString message;
    if (done.added.isEmpty())
        message = QStringLiteral("No plan was added: every plan in the package was skipped.");
    else if (done.added.size() == 1 && !restore)
        message = QStringLiteral("The plan \"%1\" has been added to your plans.").arg(done.added.first());
    else
        message = QStringLiteral("Added to your plans: %1.").arg(listed(done.added));
    if (!done.skipped.isEmpty())
        message += QStringLiteral("\n\nSkipped, as you chose: %1.").arg(listed(done.skipped));
    ShowMessageDialog(message, mtInformation, mbOK, mbOK, 0);
    return done.added;
}

QStringList PackageCommands::ImportPlanPackage(QWidget* parent, const QString& given) {
    const QString file = given.isEmpty() ? openFile(parent, QStringLiteral("Import Plan Package")) : given;
    if (file.isEmpty()) return {};
    return importFile(parent, file, false);
}

QStringList PackageCommands::RestoreFromBackup(QWidget* parent) {
    const QString file = openFile(parent, QStringLiteral("Restore from backup"));
    if (file.isEmpty()) return {};
    return importFile(parent, file, true);
}

void PackageCommands::setPendingImport(const QString& file) { g_pending = file; }

QString PackageCommands::takePendingImport() {
    QString file;
    std::swap(file, g_pending);
    return file;
}
