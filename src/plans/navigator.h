#pragma once

#include <QObject>

class TfrmEdit;

// The navigator: the outline of the plan's sections, the four section moves and the
// routine that keeps outline, plan text, guidance pane, toolbar and ruler in step.
class Navigator : public QObject {
    Q_OBJECT
public:
    // Why SectionSync runs: a navigator move, the caret moved in the text, or a jump to
    // the previous / next blue prompt (F11 / F12).
    enum Kind { Move, CaretMoved, Jump };

    explicit Navigator(TfrmEdit* window);

    void BuildNav();
    void SectionSync(QObject* sender, Kind kind, int key = 0);

    void Outline1Click();
    void btnFirstClick();
    void btnPriorClick();
    void btnNextClick();
    void btnLastClick();
    void ExplorerButton7Click();

private:
    TfrmEdit* w;
};
