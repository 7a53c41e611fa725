// vynARControl: the remote-control window in the shape of an Audrey.
//
// Each part of the appliance in the picture is an active area: a right click opens
// its pop-up menu, and each command goes to the hosted plug-in for the Audreys ticked
// in the selection panel. The window stays on top and is dragged by its picture.
#pragma once

#include "AudreySelection.h"
#include "Prompter.h"
#include "Region.h"

#include "automation/Object.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;

namespace remote {

struct CommandSpec;

class RemoteControlWindow : public QWidget {
    Q_OBJECT

public:
    // Gives the hosted plug-in, or null when none is loaded.
    using PluginProvider = std::function<vb::Ref<vb::Object>()>;

    static constexpr int kExpandedHeightTwips = 6450;
    static constexpr int kCollapsedHeightTwips = 4550;
    static constexpr const char* kVolumeMessage = "Not a valid volume level.  Must be a number between 0 and 100";
    static constexpr const char* kProgramTitle = "raruveViziva";

    explicit RemoteControlWindow(PluginProvider plugin, std::shared_ptr<Prompter> prompter = nullptr, QWidget* parent = nullptr);
    ~RemoteControlWindow() override;

    // The tray's left click: fill the names from the plug-in, then show the window on
    // top. Raises vb::Error when the plug-in cannot be asked (nothing is shown then).
    void fillNamesAndShow();

    // Recomputes the selection; returns SelectedAudreys.
    std::string WhichAudries();

    // What choosing a menu item does (the item's name, "mnu_TopLEDOn", "mnu_Sound3",
    // "mnu_Audrey0" ...).
    void chooseItem(const std::string& itemName);
    // What a left click on an active area does.
    void clickArea(const std::string& areaName);
    // Opens the pop-up menu of an active area at a global position, as a right click does.
    // Returns the menu shown, or null when the area has none at this moment.
    QMenu* popUpAreaMenu(const std::string& areaName, const QPoint& globalPos);

    // Parts the tests and the tray look at.
    AudreySelection& selection() { return selection_; }
    QAction* action(const std::string& itemName) const;
    QMenu* popup(const std::string& popupName) const;
    QWidget* activeArea(const std::string& areaName) const;
    QCheckBox* audreyBox(int index) const;
    QCheckBox* allAudreysBox() const;
    int heightTwips() const { return heightTwips_; }
    const Region& region() const { return region_; }
    bool topmost() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildAreas();
    void buildLabels();
    void buildMenus();
    void buildPanel();
    void refreshPanel();
    void setHeightTwips(int twips);
    void setTopmost(bool on);
    void shapeToPicture();

    void runCommand(const CommandSpec& command);
    void runAcid();
    void runSound(int index);
    void callPlugin(const std::string& member, std::vector<vb::Variant> args);
    std::optional<std::string> ask(const std::string& prompt, const std::string& title);

    PluginProvider plugin_;
    std::shared_ptr<Prompter> prompter_;
    QImage picture_;
    Region region_;
    bool shaped_ = false;
    AudreySelection selection_;
    int heightTwips_ = kExpandedHeightTwips;

    std::map<std::string, QWidget*> areas_;
    std::map<std::string, QMenu*> popups_;
    std::map<std::string, QAction*> actions_;
    std::vector<QCheckBox*> boxes_;
    QCheckBox* allBox_ = nullptr;
    std::optional<QPoint> dragOffset_;
};

} // namespace remote
