#include "dialogs/savedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>

QStringList nameFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) out << parts[i];
    return out;
}

namespace {

// "txt" for "Text (*.txt)"; empty for "All files (*)".
QString extensionOf(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(nameFilter);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

QString runSaveDialog(QFileDialog* dialog, const QString& filter, const QString& defaultExt,
                      const QString& folder, QString* chosenFilter) {
    if (!dialog) return QString();
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(nameFilters(filter));
    dialog->setDefaultSuffix(defaultExt);
    if (!folder.isEmpty()) dialog->setDirectory(folder);
    // A name typed without an extension takes the one of the filter chosen.
    const QMetaObject::Connection follow =
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& f) {
            const QString ext = extensionOf(f);
            if (!ext.isEmpty()) dialog->setDefaultSuffix(ext);
        });
    dialog->selectNameFilter(dialog->nameFilters().value(0));
    dialog->setDefaultSuffix(defaultExt);
    // Qt's dialog keeps the last name when asked to select none: the box is emptied itself.
    dialog->selectFile(QString());
    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->clear();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    QObject::disconnect(follow);
    if (!accepted) return QString();
    const QString file = dialog->selectedFiles().value(0);
    if (chosenFilter) *chosenFilter = dialog->selectedNameFilter();
    return file.isEmpty() ? QString() : QDir::cleanPath(file);
}
