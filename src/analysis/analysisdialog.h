#pragma once

#include <QDialog>

class QBoxLayout;
class QCloseEvent;
class QLabel;
class QPushButton;
class StringGrid;
class TextControl;

// The result of a window left with its "Insert chart" button: the plan gets the analysis
// drawn as a chart where its table would go.
constexpr int mrInsertChart = 100;

// What every analysis window does the same way: Escape is its Cancel button, which moves
// the plan text's caret a line down as an inserted table would; the close box leaves with
// no table and the caret where it is.
class AnalysisDialog : public QDialog {
    Q_OBJECT
protected:
    AnalysisDialog(TextControl& text, QWidget* parent);

    // The window's Cancel button.
    virtual void cancelClick() = 0;
    void reject() override { cancelClick(); }
    void closeEvent(QCloseEvent* e) override;
    void lineDown();
    // The standard error box.
    void showStandardError(const QString& message);

    TextControl& m_text;
};

// Parts the analysis windows are built of, with their component names.
namespace AnalysisForm {
QLabel* label(const QString& text, const char* name, QWidget* parent);
QPushButton* button(const QString& text, const char* name, QWidget* parent);
// The grid with its strip of headings right above it, centred across the window.
void addGrid(QBoxLayout* layout, QWidget* headings, StringGrid* grid);
// Help at the left, the insert button (the default), the chart button beside it and Cancel
// at the right.
void addFoot(QBoxLayout* layout, QPushButton* help, QPushButton* insert, QPushButton* cancel,
             QPushButton* chart = nullptr);
// Lays the window out and gives it its size before it is shown: a message it gives while
// coming up (a stored value that is no number) must find it whole, not an empty box.
void sizeBeforeShowing(QDialog* window);
// Where each column of the grid begins, and past the last where it ends.
QList<int> columnEdges(const StringGrid* grid);
} // namespace AnalysisForm
