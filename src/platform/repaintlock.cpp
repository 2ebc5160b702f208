#include "platform/repaintlock.h"

#include <QCoreApplication>

void pumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void pumpMessagesExceptInput() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
