#include "plans/lifecycle.h"

#include "app/editfrm.h"

PlanLifecycle::PlanLifecycle(TfrmEdit* window) : QObject(window), w(window) {}

void PlanLifecycle::Open2Click() {}
void PlanLifecycle::mnuNewClick() {}
bool PlanLifecycle::mnuSaveClick() { return false; }
