#include "platform/repaintlock.h"

#include <QCoreApplication>

void pumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }
