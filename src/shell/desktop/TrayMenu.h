// The main form's tray menu `Menu` (caption "Audrey") and its items `MenuArray`.
//
// The items are a table: each passes a text to the hosted plug-in's SelectMenu, cycles
// the Audreys' power through AudreyCyclePower, ends the program, or does nothing. A
// plug-in call that fails, or finds no plug-in, ends without effect.
#pragma once

#include "automation/Object.h"

#include <QPoint>

#include <functional>
#include <memory>
#include <span>
#include <string_view>

class QAction;
class QMenu;

namespace shell {

enum class TrayAction { SelectMenu, CyclePower, Exit, None };

struct TrayMenuItem {
    std::string_view caption; // "-" is a separator
    TrayAction action;
    std::string_view text;    // what SelectMenu receives
};

// The menu's sixteen entries, in order (their actions are named "MenuArray0" to "MenuArray15").
std::span<const TrayMenuItem> trayMenuItems();

class TrayMenu {
public:
    using PluginProvider = std::function<vb::Ref<vb::Object>()>;

    // `plugin` gives the hosted plug-in (or null); `exitProgram` is the program's Exit.
    TrayMenu(PluginProvider plugin, std::function<void()> exitProgram);
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // Pops the menu up with its right edge at `pointer` and returns when it closes
    // (the chosen item has run by then).
    void popUpAt(const QPoint& pointer);

    // Runs what the entry at `index` stands for (a click on it).
    void runEntry(int index);

    QMenu& menu() { return *menu_; }
    QAction* entry(int index) const; // null outside the menu

private:
    PluginProvider plugin_;
    std::function<void()> exitProgram_;
    std::unique_ptr<QMenu> menu_;
};

} // namespace shell
