#include "EventPump.h"

#include <QCoreApplication>

namespace services {

void processWaitingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace services
