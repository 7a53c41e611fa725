// The selection panel of the remote-control window, as plain state: nine Audrey
// boxes, the "All Audreys" box and the matching check marks of the keyboard menu.
//
// The window shows this state; every tick change goes through here, so the tick
// rules live in one place and work without widgets.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace remote {

class AudreySelection {
public:
    static constexpr int kBoxes = 9;

    struct Box {
        std::string caption;
        bool enabled = true;
        bool ticked = false;
        bool menuVisible = false; // hidden until the names are first filled in
        bool menuChecked = false;
    };

    // Fills the captions from the plug-in's comma-separated names (no trimming; cut or
    // padded to nine), enables the boxes and shows the menu items, and unticks every
    // box whose caption is empty.
    void fillNames(const std::string& audreyNames);

    // A box ticked or unticked by the user or by code.
    void setTicked(int index, bool ticked);
    // "All Audreys" ticked or unticked by the user or by code.
    void setAllTicked(bool ticked);
    // The keyboard menu's items: toggle one box, or "All Audreys".
    void toggleFromMenu(int index);
    void toggleAllFromMenu();

    // The names the next command goes to: the ticked boxes with a caption, joined by
    // ","; the first box's caption when none is ticked.
    std::string WhichAudries();
    const std::string& SelectedAudreys() const { return selected_; }

    const Box& box(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
    bool allTicked() const { return allTicked_; }
    bool allMenuChecked() const { return allMenuChecked_; }
    bool updatingAll() const { return updatingAll_; }
    bool namesFilled() const { return namesFilled_; }

    // Called after every change so a window can repaint its boxes.
    std::function<void()> changed;

private:
    void tickChanged(int index);
    void allChanged();
    void notify();

    std::array<Box, kBoxes> boxes_;
    bool allTicked_ = false;
    bool allMenuChecked_ = false;
    bool updatingAll_ = false;
    bool namesFilled_ = false;
    std::string selected_;
};

} // namespace remote
