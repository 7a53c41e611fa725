#include "SetupDialog.h"

#include "ini/IniTool.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include "automation/Conversions.h"
#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace services {

namespace {

// Runs a procedure under the dialog's error convention: a failure is reported through
// the context with the procedure's label and the procedure returns.
template <class Body>
void guarded(SetupDialogContext& context, const char* label, Body&& body)
{
    vb::trap(context.failureReporter(), xap::kProgramName, label, std::forward<Body>(body));
}

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

SetupDialog::SetupDialog(SetupDialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    setObjectName("frmSetup");
    setWindowTitle("vynMenu Menu Setup Selections");
    setModal(false);

    retrieve_ = new QPushButton("Retrieve Plugins", this);
    retrieve_->setObjectName("aRetrievePlugins");
    menuEntriesLabel_ = new QLabel("Open Plugin Form", this);
    menuEntriesLabel_->setObjectName("lblPluginForm");
    menuEntries_ = new QComboBox(this);
    menuEntries_->setObjectName("aPluginForm");
    excludeList_ = new QListWidget(this);
    excludeList_->setObjectName("ExcludeList");
    excludeList_->setToolTip("Dbl-Click to Include Plugin in Menu Search");
    pluginList_ = new QListWidget(this);
    pluginList_->setObjectName("PluginList");
    pluginList_->setToolTip("Dbl-Click to Exclude Plugin from Menu Search");
    auto* frame = new QGroupBox("General Parameters", this);
    frame->setObjectName("Frame1");
    debugLog_ = new QCheckBox("Debug Log", frame);
    debugLog_->setObjectName("aDebugLog");
    debugLog_->setToolTip("Check to send debug information to homeseer log");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(debugLog_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(retrieve_, 0, 0);
    layout->addWidget(menuEntriesLabel_, 0, 1);
    layout->addWidget(menuEntries_, 0, 2);
    layout->addWidget(new QLabel("Plugins Included", this), 1, 0);
    layout->addWidget(new QLabel("Available Plugins", this), 1, 1, 1, 2);
    layout->addWidget(pluginList_, 2, 0);
    layout->addWidget(excludeList_, 2, 1, 1, 2);
    layout->addWidget(frame, 3, 0, 1, 3);

    connect(retrieve_, &QPushButton::clicked, this, [this] { retrievePlugins(); });
    connect(menuEntries_, &QComboBox::activated, this, [this] { openChosenMenuEntry(); });
    connect(excludeList_, &QListWidget::itemDoubleClicked, this, [this] { unselectCurrentPlugin(); });
    connect(pluginList_, &QListWidget::itemDoubleClicked, this, [this] { selectCurrentPlugin(); });

    // Loading the dialog builds the table, fills it from Settings.ini, fills both lists
    // and the pull-down, and shows the saved debug-log choice.
    markLoaded();
    createPluginTable();
    loadSavedPlugins();
    listUnselectedPlugins();
    listSelectedPlugins();
    fillMenuEntries();
    guarded(context_, "Form_Load", [this] {
        debugLog_->setChecked(context_.settingsStore().Read("General", "DebugLog", "0") == "1");
    });
}

SetupDialog::~SetupDialog() = default;

void SetupDialog::markLoaded()
{
    loaded_ = true;
}

void SetupDialog::createPluginTable()
{
    guarded(context_, "DefineLocalRecordset", [this] { table_.emplace(); });
}

PluginTable& SetupDialog::requireTable()
{
    if (!table_)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *table_;
}

void SetupDialog::loadSavedPlugins()
{
    guarded(context_, "LoadIniMenus", [this] {
        const std::string interfaceName = context_.interfaceName();
        if (!interfaceName.empty()) {
            addPlugin(interfaceName, true);
            return;
        }
        IniTool& settings = context_.settingsStore();
        for (const std::string& name : settings.Keys("Plugins")) {
            if (name.empty())
                continue;
            const std::string value = settings.Read("Plugins", name, "false");
            addPlugin(name, vb::lowerCase(value) == "true");
        }
    });
}

void SetupDialog::addPlugin(const std::string& name, bool selected)
{
    guarded(context_, "LoadPluginItem", [&] {
        PluginTable& table = requireTable();
        table.filter(PluginTable::Column::Filename, name);
        if (!table.viewEmpty())
            return;
        vb::ignoreErrors([&] {
            for (const vb::Ref<vb::Object>& plugin : context_.plugins()) {
                const std::string pluginName = vb::CStr(vb::getProperty(*plugin, "name"));
                if (pluginName == name) {
                    table.addRow(PluginRow{pluginName, name, selected});
                    break;
                }
            }
        });
    });
}

void SetupDialog::fillList(QListWidget& list)
{
    guarded(context_, "PopulateList", [&] {
        list.clear();
        for (PluginRow* row : requireTable().view())
            list.addItem(qs(row->Interface));
    });
}

void SetupDialog::listUnselectedPlugins()
{
    guarded(context_, "PopulateSelectedList", [this] {
        PluginTable& table = requireTable();
        table.filter(PluginTable::Column::Selected, false);
        table.sort(PluginTable::Column::Interface);
        fillList(*pluginList_);
    });
}

void SetupDialog::listSelectedPlugins()
{
    guarded(context_, "PopulateSelectedList", [this] {
        PluginTable& table = requireTable();
        table.filter(PluginTable::Column::Selected, true);
        table.sort(PluginTable::Column::Interface);
        fillList(*excludeList_);
    });
}

void SetupDialog::moveSelected(QListWidget& from, bool selected)
{
    QListWidgetItem* item = from.currentItem();
    if (!item)
        return;
    PluginTable& table = requireTable();
    table.filter(PluginTable::Column::Interface, item->text().toStdString());
    for (PluginRow* row : table.view())
        row->Selected = selected;
    delete from.takeItem(from.row(item));
}

void SetupDialog::unselectCurrentPlugin()
{
    guarded(context_, "ExcludeList_DblClick", [this] {
        moveSelected(*excludeList_, false);
        listUnselectedPlugins();
        fillMenuEntries();
    });
}

void SetupDialog::selectCurrentPlugin()
{
    guarded(context_, "PluginList_DblClick", [this] {
        moveSelected(*pluginList_, true);
        listSelectedPlugins();
        fillMenuEntries();
    });
}

void SetupDialog::fillMenuEntries()
{
    // Failures here are not reported; the pull-down simply stays as it was.
    vb::ignoreErrors([this] {
        std::string interfaceName = context_.interfaceName();
        if (interfaceName.empty())
            context_.getSelectedPlugins(interfaceName);
        const auto callbacks = context_.menuCallbacks();
        if (!callbacks.empty()) {
            menuEntries_->setVisible(true);
            menuEntries_->setEnabled(true);
            menuEntriesLabel_->setVisible(true);
            menuEntries_->clear();
            for (const auto& [key, display] : callbacks) {
                const std::size_t tilde = key.find('~');
                menuEntries_->addItem(qs(display + " - " + (tilde == std::string::npos ? std::string() : key.substr(tilde + 1))));
            }
        } else {
            menuEntries_->setVisible(false);
            menuEntries_->setEnabled(false);
            menuEntriesLabel_->setVisible(false);
        }
    });
}

void SetupDialog::openChosenMenuEntry()
{
    guarded(context_, "aPluginForm_Click", [this] {
        const std::string chosen = menuEntries_->currentText().toStdString();
        const std::size_t dash = chosen.find(" - ");
        const std::string display = chosen.substr(0, dash);
        const std::string title = dash == std::string::npos ? std::string() : chosen.substr(dash + 3);
        for (const auto& [key, text] : context_.menuCallbacks()) {
            if (text != display)
                continue;
            const std::size_t tilde = key.find('~');
            const std::string interfaceName = key.substr(0, tilde);
            const std::string keyTitle = tilde == std::string::npos ? std::string() : key.substr(tilde + 1);
            if (keyTitle != title)
                continue;
            for (const vb::Ref<vb::Object>& plugin : context_.plugins()) {
                if (!vb::equalsIgnoreCase(vb::CStr(vb::getProperty(*plugin, "name")), interfaceName))
                    continue;
                if (title == "ConfigIO" || title == "ConfigX10" || title == "ConfigIR") {
                    vb::call(*plugin, title);
                } else {
                    vb::Variant t(title);
                    vb::ArgPack<1> args{vb::Variant()};
                    args.byRef(0, t);
                    plugin->invoke("SelectMenu", vb::Method, args);
                }
                return;
            }
        }
    });
}

void SetupDialog::retrievePlugins()
{
    // Errors are ignored throughout: a library that cannot be used is simply not listed.
    vb::ignoreErrors([this] {
        for (const std::string& file : platform::listFolder(context_.baseFolder())) {
            if (vb::lowerCase(file).rfind("hspi_", 0) != 0)
                continue;
            const std::size_t dot = file.rfind('.');
            const std::string stem = dot == std::string::npos || dot < 5 ? file : file.substr(0, dot);
            vb::ignoreErrors([&] {
                vb::Ref<vb::Object> created = context_.createPluginObject(stem + ".hspi");
                if (created)
                    addPlugin(stem.substr(5), false);
            });
        }
        listUnselectedPlugins();
        listSelectedPlugins();
    });
}

void SetupDialog::saveChoices()
{
    guarded(context_, "Form_UnLoad", [this] {
        IniTool& settings = context_.settingsStore();
        if (loaded_) {
            const int value = debugLog_->isChecked() ? 1 : 0;
            settings.WriteKey("General", "DebugLog", std::to_string(value));
            context_.setDebugMode(value);
            if (context_.interfaceName().empty() && table_) {
                table_->removeFilter();
                for (PluginRow* row : table_->view())
                    settings.WriteKey("Plugins", row->Filename, row->Selected ? "True" : "False");
            }
        }
        settings.Save();
    });
}

void SetupDialog::unloadOnce()
{
    if (!unloaded_) {
        unloaded_ = true;
        saveChoices();
    }
}

void SetupDialog::closeEvent(QCloseEvent* event)
{
    unloadOnce();
    QDialog::closeEvent(event);
}

void SetupDialog::done(int result)
{
    unloadOnce();
    QDialog::done(result);
}

} // namespace services
