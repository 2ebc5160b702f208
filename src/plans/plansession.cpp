#include "plans/plansession.h"

PlanSession& planSession() {
    static PlanSession session;
    return session;
}
