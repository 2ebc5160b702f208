#include "plans/navigator.h"

#include "app/editfrm.h"

Navigator::Navigator(TfrmEdit* window) : QObject(window), w(window) {}

void Navigator::BuildNav() {}
void Navigator::SectionSync(QObject*, Kind, int) {}
void Navigator::Outline1Click() {}
void Navigator::btnFirstClick() {}
void Navigator::btnPriorClick() {}
void Navigator::btnNextClick() {}
void Navigator::btnLastClick() {}
void Navigator::ExplorerButton7Click() {}
