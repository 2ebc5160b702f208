#pragma once

#include "plans/recovery.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;

// Shown at start-up when recovery copies newer than their plans are found: which plans,
// when each copy was made, and what to do with the chosen one. "&Recover" closes the
// window with the chosen copy (Accepted); "&Discard" removes the chosen copy after asking,
// and the window closes once no copy is left; "&Later" keeps every copy for the next start.
class TfrmRecover : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRecover(QWidget* parent = nullptr);

    void setCopies(const QList<Recovery::Copy>& copies);
    QList<Recovery::Copy> copies() const { return m_copies; }
    // The copy chosen in the list (the first one unless the user chose another).
    Recovery::Copy chosen() const;

    QLabel* lblExplain = nullptr;
    QTreeWidget* lstCopies = nullptr;
    QPushButton* cmdRecover = nullptr;
    QPushButton* cmdDiscard = nullptr;
    QPushButton* cmdLater = nullptr;

    void cmdRecoverClick();
    void cmdDiscardClick();
    void cmdLaterClick();

private:
    void fillList();
    int current() const;

    QList<Recovery::Copy> m_copies;
};
