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

// MenuArray(0) to MenuArray(15), in order.
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

    // What clicking MenuArray(Index) does.
    void MenuArray_Click(int Index);

    QMenu& menu() { return *menu_; }
    QAction* MenuArray(int index) const;

private:
    PluginProvider plugin_;
    std::function<void()> exitProgram_;
    std::unique_ptr<QMenu> menu_;
};

} // namespace shell
