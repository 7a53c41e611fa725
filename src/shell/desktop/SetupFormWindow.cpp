#include "SetupFormWindow.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

SetupFormWindow::SetupFormWindow(std::function<void()> openPluginMenuDialog, QWidget* parent)
    : QWidget(parent)
    , openPluginMenuDialog_(std::move(openPluginMenuDialog))
{
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QString::fromUtf8(kDesignCaption));
    setupButton_ = new QPushButton(QStringLiteral("Setup"), this);
    setupButton_->setObjectName(QStringLiteral("aSetupButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(setupButton_);
    connect(setupButton_, &QPushButton::clicked, this, [this] { openPluginMenus(); });
}

void SetupFormWindow::setCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void SetupFormWindow::openPluginMenus()
{
    if (openPluginMenuDialog_)
        openPluginMenuDialog_();
}

} // namespace shell
