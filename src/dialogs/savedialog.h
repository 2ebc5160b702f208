#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;

// The standard save dialog as the program sets it up: a filter written the Windows way
// ("Rich Text Format (*.rtf)|*.rtf|Text (*.txt)|*.txt"), a default extension that follows
// the filter chosen, an optional starting folder, and a question before an existing file
// is overwritten. The dialog is Qt's own (never the desktop's), so that it looks the same
// everywhere and tests can answer it like any other modal window.
//
// Returns the file chosen, or an empty string when the dialog was cancelled. The file
// name is emptied before the dialog shows. `chosenFilter`, when given, receives the
// description of the filter chosen ("Text (*.txt)").
QString runSaveDialog(QFileDialog* dialog, const QString& filter, const QString& defaultExt,
                      const QString& folder = QString(), QString* chosenFilter = nullptr);

// The descriptions of a Windows filter: every other part, starting with the first.
QStringList nameFilters(const QString& windowsFilter);
