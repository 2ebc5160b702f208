#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The window shown for each word the spelling check questions: the word, the word to put
// in its place and the dictionary's suggestions. The caller reads the choice from the
// window's result and the replacement from txtRight.
class TfrmDic : public QDialog {
    Q_OBJECT
public:
    // Results of the window; Escape and the close box give Cancel.
    enum Result { Cancel = 0, Change = 1, Ignore = 2, IgnoreAll = 3, Add = 4 };

    explicit TfrmDic(QWidget* parent = nullptr);

    // Shows a word: the list and txtRight are cleared, the suggestions added in order and
    // the first of them put into txtRight.
    void fill(const QString& word, const QStringList& suggestions);
    // Centres the window on the screen, shows it modally and returns the Result.
    int execute();

    QLabel* lblWrong;
    QLineEdit* txtWrong;
    QLabel* lblRight;
    QLineEdit* txtRight;
    QLabel* lblSuggestions;
    QListWidget* lstSuggestions;
    QPushButton* cmdChange;
    QPushButton* cmdIgnore;
    QPushButton* cmdIgnoreAll;
    QPushButton* cmdAdd;
    QPushButton* cmdCancel;

private:
    void lstSuggestionsClick(QListWidgetItem* item);
    void lstSuggestionsDblClick(QListWidgetItem* item);
    void txtRightChange();
};
