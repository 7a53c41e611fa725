#include "TrayMenu.h"

#include "automation/Error.h"
#include "platform/EmergencyReport.h"

#include <QAction>
#include <QMenu>

#include <array>

namespace shell {

namespace {

constexpr std::array<TrayMenuItem, 16> kMenuArray{{
    {"Browser", TrayAction::SelectMenu, "Browser"},
    {"GUI Setup", TrayAction::SelectMenu, "GUI Setup"},
    {"System Config", TrayAction::None, ""},
    {"System Status", TrayAction::None, ""},
    {"Audrey Server", TrayAction::SelectMenu, "Audrey Server"},
    {"Start Slideshow", TrayAction::SelectMenu, "Start Slideshow"},
    {"Stop Slideshow", TrayAction::SelectMenu, "Stop Slideshow"},
    {"Modem Window", TrayAction::SelectMenu, "Modem Window"},
    {"Reset Queue", TrayAction::SelectMenu, "Reset Queue"},
    {"Disable", TrayAction::SelectMenu, "Disable Plugin"},
    {"Enable", TrayAction::SelectMenu, "Enable Plugin"},
    {"Test", TrayAction::SelectMenu, "Test"},
    {"Cycle Power", TrayAction::CyclePower, ""},
    {"Help", TrayAction::SelectMenu, "Help"},
    {"-", TrayAction::None, ""},
    {"Exit", TrayAction::Exit, ""},
}};

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

std::span<const TrayMenuItem> trayMenuItems()
{
    return kMenuArray;
}

TrayMenu::TrayMenu(PluginProvider plugin, std::function<void()> exitProgram)
    : plugin_(std::move(plugin))
    , exitProgram_(std::move(exitProgram))
    , menu_(std::make_unique<QMenu>(QStringLiteral("Audrey")))
{
    menu_->setObjectName(QStringLiteral("Menu"));
    for (std::size_t i = 0; i < kMenuArray.size(); ++i) {
        const TrayMenuItem& item = kMenuArray[i];
        QAction* action = item.caption == "-" ? menu_->addSeparator() : menu_->addAction(qs(item.caption));
        action->setObjectName(QStringLiteral("MenuArray%1").arg(i));
        const int index = static_cast<int>(i);
        QObject::connect(action, &QAction::triggered, menu_.get(), [this, index] { runEntry(index); });
    }
}

TrayMenu::~TrayMenu() = default;

QAction* TrayMenu::entry(int index) const
{
    const QList<QAction*> actions = menu_->actions();
    return index >= 0 && index < actions.size() ? actions[index] : nullptr;
}

void TrayMenu::popUpAt(const QPoint& pointer)
{
    // Right-aligned: the menu opens to the left of the pointer.
    menu_->exec(QPoint(pointer.x() - menu_->sizeHint().width(), pointer.y()));
}

void TrayMenu::runEntry(int index)
{
    if (index < 0 || index >= static_cast<int>(kMenuArray.size()))
        return;
    const TrayMenuItem& item = kMenuArray[static_cast<std::size_t>(index)];
    switch (item.action) {
    case TrayAction::SelectMenu:
    case TrayAction::CyclePower:
        vb::ignoreErrors([&] {
            const vb::Ref<vb::Object> plugin = plugin_ ? plugin_() : nullptr;
            if (!plugin)
                return;
            const char* member = item.action == TrayAction::SelectMenu ? "SelectMenu" : "AudreyCyclePower";
            platform::ActivityScope running(member);
            if (item.action == TrayAction::SelectMenu)
                vb::call(*plugin, member, std::string(item.text));
            else
                vb::call(*plugin, member, std::string());
        });
        break;
    case TrayAction::Exit:
        // A plug-in that fails while shutting down does not stop the exit.
        vb::ignoreErrors([&] {
            if (exitProgram_)
                exitProgram_();
        });
        break;
    case TrayAction::None:
        break;
    }
}

} // namespace shell
