#include "analysis/factorwindow.h"

#include "analysis/kfsfrm.h"
#include "dialogs/dialogfrm.h"
#include "platform/inifile.h"

#include <QComboBox>
#include <QMessageBox>

FactorWindow::FactorWindow(Analysis analysis, TextControl& text, QWidget* parent)
    : AnalysisDialog(text, parent), m_analysis(analysis) {
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(24);
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) { chooseFactor(index); });
}

int FactorWindow::execFor(const QString& plan) {
    m_plan = plan;
    m_reported.clear();
    AnalysisForm::sizeBeforeShowing(this);
    return exec();
}

IniFile FactorWindow::openFile() const {
    return IniFile(FactorFile::path(m_analysis));
}

QString FactorWindow::selectedSection() const {
    return FactorFile::factorSection(m_plan, ComboBox1->currentText());
}

void FactorWindow::fillList(const IniFile& ini, int select) {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(FactorFile::names(ini, m_plan));
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? qBound(0, select, ComboBox1->count() - 1)
                                                      : -1);
}

void FactorWindow::loadOnShow() {
    const IniFile ini = openFile();
    fillList(ini, 0);
    if (ComboBox1->count() == 0) {
        enableControls(false);
        return;
    }
    enableControls(true);
    rebuildGrid(ini);
    showFactor(ini, 0);
}

void FactorWindow::chooseFactor(int index) {
    if (index < 0 || index >= ComboBox1->count()) return;
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(index);
    }
    showFactor(openFile(), index);
}

void FactorWindow::writeValue(const char* key, int value) {
    if (ComboBox1->currentIndex() < 0) return;
    IniFile ini = openFile();
    try {
        ini.writeInteger(selectedSection(), QLatin1String(key), value);
    } catch (const IniWriteError& e) {
        reportWriteError(e);
        const IniFile again = openFile();
        rebuildGrid(again);
        showFactor(again, ComboBox1->currentIndex());
        return;
    }
    rebuildGrid(ini);
}

void FactorWindow::addFactor(const QString& caption, const QString& label) {
    if (!m_names) m_names = new Tfrmkfsname(this);
    if (m_names->ask(caption, label) != mrOk) return;
    const QString name = m_names->name();
    QStringList listed;
    for (int i = 0; i < ComboBox1->count(); ++i)
        listed << ComboBox1->itemText(i);
    if (FactorFile::listed(listed, name)) {
        showDuplicate();
        return;
    }
    IniFile ini = openFile();
    // Another list in the file (edited by hand) may hold the name already.
    if (FactorFile::listed(FactorFile::names(ini, m_plan), name)) {
        showDuplicate();
        return;
    }
    try {
        FactorFile::addFactor(ini, m_analysis, m_plan, name);
    } catch (const IniWriteError& e) {
        reportWriteError(e);
        return;
    }
    fillList(ini, INT_MAX);
    enableControls(true);
    rebuildGrid(ini);
    showFactor(ini, ComboBox1->currentIndex());
}

void FactorWindow::deleteFactor() {
    if (ComboBox1->currentIndex() < 0) return;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                    QStringLiteral("Deleted items cannot be recovered.\nContinue?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("ConfirmBox"));
    if (box.exec() != QMessageBox::Yes) return;
    IniFile ini = openFile();
    try {
        FactorFile::deleteFactor(ini, m_plan, ComboBox1->currentText());
    } catch (const IniWriteError& e) {
        reportWriteError(e);
        return;
    }
    clearGrid();
    fillList(ini, 0);
    if (ComboBox1->count() == 0) {
        enableControls(false);
        return;
    }
    rebuildGrid(ini);
    showFactor(ini, 0);
}

void FactorWindow::reportNotNumbers(const QStringList& texts) {
    for (const QString& text : texts) {
        if (m_reported.contains(text)) continue;
        m_reported.insert(text);
        showStandardError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

bool FactorWindow::readEditorValue(const IniFile& ini, const char* key, int* value) {
    const QString text = ini.readString(selectedSection(), QLatin1String(key),
                                        QString::number(FactorFile::Missing));
    if (IniFile::parseInteger(text, value)) return true;
    reportNotNumbers({text});
    return false;
}

void FactorWindow::reportWriteError(const IniWriteError& e) {
    ShowError(e.message());
}

