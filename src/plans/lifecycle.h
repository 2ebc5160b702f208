#pragma once

#include <QObject>

class TfrmEdit;

// Opening, creating, loading and saving plans in the main window.
class PlanLifecycle : public QObject {
    Q_OBJECT
public:
    explicit PlanLifecycle(TfrmEdit* window);

    void Open2Click();
    void mnuNewClick();
    // Returns false when the plan could not be written (PlanModified stays set).
    bool mnuSaveClick();

private:
    TfrmEdit* w;
};
