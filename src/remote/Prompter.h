// The text-entry and message boxes the remote-control window shows. The window asks
// through this interface so that tests can answer the prompts.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace remote {

class Prompter {
public:
    virtual ~Prompter() = default;
    // A text-entry box with an empty default; nothing when cancelled.
    virtual std::optional<std::string> askText(QWidget* parent, const std::string& prompt, const std::string& title) = 0;
    // A message box with an OK button.
    virtual void showMessage(QWidget* parent, const std::string& text, const std::string& title) = 0;
};

// Qt's input dialog and message box.
class DialogPrompter final : public Prompter {
public:
    std::optional<std::string> askText(QWidget* parent, const std::string& prompt, const std::string& title) override;
    void showMessage(QWidget* parent, const std::string& text, const std::string& title) override;
};

} // namespace remote
