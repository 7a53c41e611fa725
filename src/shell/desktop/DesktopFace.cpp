#include "DesktopFace.h"

#include "TrayMessages.h"
#include "TrayPictures.h"

#include "shell/ShellState.h"
#include "shell/TallisForm.h"

#include "remote/RemoteControlWindow.h"
#include "services/Setup.h"
#include "services/dialog/SetupDialog.h"
#include "vbscript/base/LibraryState.h"

#include <QCoreApplication>
#include <QCursor>

namespace shell {

namespace {

constexpr const char* kTrayCaption = "Audrey";

vb::Ref<vb::Object> hostedPlugin(const ShellState& shell)
{
    return shell.hooks.hostedPlugin ? shell.hooks.hostedPlugin() : nullptr;
}

void exitProgram(ShellState& shell)
{
    if (const vb::Ref<TallisForm> form = shell.mainForm)
        form->Exit();
}

std::unique_ptr<NotificationArea> areaOrDesktop(std::unique_ptr<NotificationArea> area)
{
    return area ? std::move(area) : std::make_unique<SystemTrayArea>();
}

} // namespace

DesktopFace::DesktopFace(xap::ProgramState& program, ShellState& shell)
    : DesktopFace(program, shell, Parts{}, false)
{
}

DesktopFace::DesktopFace(xap::ProgramState& program, ShellState& shell, Parts parts, bool withoutTray)
    : shell_(shell)
    , normalPicture_(normalTrayPicture())
    , activityPicture_(activityTrayPicture())
    , prompter_(std::move(parts.prompter))
    , dialogContext_(program, shell, std::move(parts.pluginFactory))
    , trayIcon_(areaOrDesktop(std::move(parts.area)))
    , trayMenu_([&shell] { return hostedPlugin(shell); }, [&shell] { exitProgram(shell); })
    , setupWindow_([this] { showPluginMenuDialog(); })
    , scripts_(parts.scripts)
    , withoutTray_(withoutTray)
{
}

DesktopFace::~DesktopFace()
{
    if (installed_) {
        ShellHooks& h = shell_.hooks;
        h.startup.prepareTray = nullptr;
        h.updateTrayIcon = nullptr;
        h.exit.unloadTray = nullptr;
        h.exit.unloadPluginMenuDialog = nullptr;
        h.trayIconCallback = nullptr;
        h.showPluginMenu = nullptr;
        h.showDesktopWindow = nullptr;
        services::setupWindowHooks(shell_.services) = {};
        if (scripts_)
            scripts_->setUserInterface(nullptr);
    }
    delete dialog_.data();
}

void DesktopFace::install()
{
    ShellHooks& h = shell_.hooks;
    h.startup.prepareTray = [this] { prepareTray(); };
    h.updateTrayIcon = [this](bool iconOn, TrayPicture picture) { updateTrayIcon(iconOn, picture); };
    h.exit.unloadTray = [this] { unloadTray(); };
    h.exit.unloadPluginMenuDialog = [this] { unloadPluginMenuDialog(); };
    h.trayIconCallback = [this](std::int32_t& msg) { trayIconCallback(msg); };
    h.showPluginMenu = [this] { showPluginMenuDialog(); };
    h.showDesktopWindow = [this] { showDesktopWindow(); };
    services::SetupWindowHooks& setup = services::setupWindowHooks(shell_.services);
    setup.captionChanged = [this](const std::string& caption) { setupCaptionChanged(caption); };
    setup.showPluginMenuDialog = [this] { showPluginMenuDialog(); };
    // Scripts' MsgBox and InputBox show real dialogs on the desktop.
    if (scripts_)
        scripts_->setUserInterface(&scriptDialogs_);
    installed_ = true;
}

// ---- The tray ----------------------------------------------------------------------------

void DesktopFace::prepareTray()
{
    trayIcon_.setIcon(normalPicture_);
    trayIcon_.setCaption(kTrayCaption);
    trayIcon_.SetCallback(vb::Ref<vb::Object>(shell_.mainForm.get()));
}

void DesktopFace::updateTrayIcon(bool iconOn, TrayPicture picture)
{
    if (withoutTray_) {
        // The first time the icon would appear, its window appears instead; the blink
        // has nothing to change, and removing the icon hides the window.
        if (iconOn && !iconPlaceShown_) {
            iconPlaceShown_ = true;
            showDesktopWindow();
        } else if (!iconOn && traylessWindow_) {
            traylessWindow_->hide();
        }
        return;
    }
    switch (picture) {
    case TrayPicture::Normal:
        trayIcon_.Update(iconOn, normalPicture_);
        break;
    case TrayPicture::Activity:
        trayIcon_.Update(iconOn, activityPicture_);
        break;
    case TrayPicture::None:
        trayIcon_.Update(iconOn, QIcon());
        break;
    }
}

void DesktopFace::unloadTray()
{
    if (traylessWindow_)
        traylessWindow_->hide();
    trayIcon_.unload();
}

void DesktopFace::showDesktopWindow()
{
    if (withoutTray_ && !traylessWindow_)
        traylessWindow_ = std::make_unique<TraylessWindow>(remoteWindow(), trayMenu_.menu());
    try {
        remoteWindow().fillNamesAndShow();
    } catch (...) {
        // No plug-in to ask for the names (yet): the window opens all the same, as
        // the picture's commands and the menu say what fails.
    }
    if (traylessWindow_)
        traylessWindow_->showInFront();
}

void DesktopFace::trayIconCallback(std::int32_t& msg)
{
    switch (msg) {
    case mouse::kLeftButtonUp:
        remoteWindow().fillNamesAndShow();
        break;
    case mouse::kRightButtonUp:
        trayMenu_.popUpAt(QCursor::pos());
        break;
    default:
        break;
    }
}

remote::RemoteControlWindow& DesktopFace::remoteWindow()
{
    if (!remoteWindow_)
        remoteWindow_ = std::make_unique<remote::RemoteControlWindow>([&shell = shell_] { return hostedPlugin(shell); }, prompter_);
    return *remoteWindow_;
}

// ---- The Setup form's window and the plug-in menu dialog ---------------------------------

void DesktopFace::setupCaptionChanged(const std::string& caption)
{
    setupWindow_.setCaption(caption);
}

void DesktopFace::showPluginMenuDialog()
{
    if (!dialog_) {
        // Each opening loads the dialog afresh; closing it writes Settings.ini and lets it go.
        dialog_ = new services::SetupDialog(dialogContext_);
        dialog_->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog_.data(), &QDialog::finished, dialog_.data(), &QObject::deleteLater);
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

services::SetupDialog* DesktopFace::pluginMenuDialog() const
{
    return dialog_.data();
}

void DesktopFace::unloadPluginMenuDialog()
{
    if (!dialog_)
        return;
    dialog_->close();
    delete dialog_.data();
}

// ---- The program's face ---------------------------------------------------------------------

std::unique_ptr<DesktopFace> installDesktopFace(xap::ProgramState& program, ShellState& shell, bool withoutTray,
                                                vbscript::LibraryState& scripts)
{
    DesktopFace::Parts parts;
    parts.scripts = &scripts;
    auto face = std::make_unique<DesktopFace>(program, shell, std::move(parts), withoutTray);
    face->install();
    return face;
}

} // namespace shell
