#include "AutomationService.h"

#include "DesktopWindow.h"
#include "PublicClasses.h"

#include "platform/bus/AutomationBus.h"
#include "services/Setup.h"
#include "xap/Globals.h"
#include "xap/Logging.h"

#include <QCoreApplication>

#include <memory>
#include <string>

namespace shell {

namespace {

std::unique_ptr<platform::bus::AutomationBus>& service()
{
    static std::unique_ptr<platform::bus::AutomationBus> bus;
    return bus;
}

} // namespace

void startAutomationService()
{
    if (service())
        return;
    const QString choice = qEnvironmentVariable("TALLIS_BUS").toLower();
    if (choice == QLatin1String("off"))
        return;
    const bool system = choice == QLatin1String("system");
    std::string problem;
    service() = platform::bus::AutomationBus::connect(system ? platform::bus::BusKind::System
                                                             : platform::bus::BusKind::Session,
                                                      problem);
    if (!service()) {
        xap::WriteLogFile(xap::kProgramName, problem);
        return;
    }
    service()->exportObject(QStringLiteral("Application"), [] { return createPublicObject("Application"); });
    service()->exportObject(QStringLiteral("FRH"), [] { return createPublicObject("FRH"); });
    service()->exportObject(QStringLiteral("Setup"), [] { return vb::Ref<vb::Object>(services::setupForm()); });
    // A second start in this session shows this program's window through it.
    service()->exportObject(QStringLiteral("Desktop"), [] { return vb::Ref<vb::Object>(vb::make<DesktopWindow>()); });
    xap::WriteLogFile(xap::kProgramName, std::string("automation interface on the ") + (system ? "system" : "session")
                                             + " bus as " + platform::bus::kServiceName);
    // The served objects must go while the application object and the host still exist.
    qAddPostRoutine([] { service().reset(); });
}

} // namespace shell
