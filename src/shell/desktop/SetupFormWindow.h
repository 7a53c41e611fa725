// The window of the Setup form (the host core): its caption and the one button
// `aSetupButton` "Setup", which opens the plug-in menu dialog. Like the form it
// belongs to, the window exists for the life of the program but is not shown by it.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QPushButton;

namespace shell {

class SetupFormWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kDesignCaption = "Farstead";

    explicit SetupFormWindow(std::function<void()> openPluginMenuDialog, QWidget* parent = nullptr);

    void setCaption(const std::string& caption);
    void openPluginMenus();

    QPushButton* aSetupButton() const { return setupButton_; }

private:
    std::function<void()> openPluginMenuDialog_;
    QPushButton* setupButton_ = nullptr;
};

} // namespace shell
