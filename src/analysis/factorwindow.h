#pragma once

#include "analysis/analysisdialog.h"
#include "analysis/factorfile.h"
#include "analysis/grids.h"

#include <QSet>

class IniFile;
class IniWriteError;
class QComboBox;
class TextControl;
class Tfrmkfsname;

// What the three factor analysis windows share: the plan and its file, the drop-down list
// of factors (`ComboBox1`) with the New and Delete operations on it, and how a stored
// value that is not a number is reported. The file is opened afresh for every operation
// and dropped after it, so that what the window shows is always what the file holds.
class FactorWindow : public AnalysisDialog {
    Q_OBJECT
public:
    // Shows the window for a plan; returns mrOk when the table is wanted.
    int execFor(const QString& plan);
    void setNameWindow(Tfrmkfsname* window) { m_names = window; }
    QString plan() const { return m_plan; }
    Analysis analysis() const { return m_analysis; }

    QComboBox* ComboBox1;

protected:
    FactorWindow(Analysis analysis, TextControl& text, QWidget* parent);

    // The window's own parts.
    virtual void enableControls(bool factors) = 0; // false: the no-factors state
    virtual void showFactor(const IniFile& ini, int index) = 0; // editors and grid row
    virtual void rebuildGrid(const IniFile& ini) = 0;
    virtual void clearGrid() = 0;
    virtual void showDuplicate() = 0;

    // Show: the list from the file, the first factor chosen, or the no-factors state.
    void loadOnShow();
    // The list's New and Delete; the name window gets this caption and label.
    void addFactor(const QString& caption, const QString& label);
    void deleteFactor();
    // A factor chosen in the list or the grid.
    void chooseFactor(int index);
    // Writes a value of the chosen factor and rebuilds the grid from the file.
    void writeValue(const char* key, int value);

    IniFile openFile() const;
    QString selectedSection() const;
    // Reports each text once per showing of the window.
    void reportNotNumbers(const QStringList& texts);
    void reportWriteError(const IniWriteError& e);

    // A stored value for an editor: the number, or nullopt after reporting its text.
    bool readEditorValue(const IniFile& ini, const char* key, int* value);

private:
    void fillList(const IniFile& ini, int select);

    Analysis m_analysis;
    QString m_plan;
    Tfrmkfsname* m_names = nullptr;
    QSet<QString> m_reported;
};
