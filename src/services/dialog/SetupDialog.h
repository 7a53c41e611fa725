// frmSetup: the plug-in menu selection dialog.
//
// It lists the known plug-ins in two lists (included in or excluded from the menu
// search; a double click moves one across), opens a plug-in's registered menu entries
// from a pull-down, switches the debug log, and writes its choices to Settings.ini
// when it closes.
#pragma once

#include "PluginTable.h"
#include "SetupDialogContext.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace services {

class SetupDialog : public QDialog {
    Q_OBJECT

public:
    explicit SetupDialog(SetupDialogContext& context, QWidget* parent = nullptr);
    ~SetupDialog() override;

    // The dialog's procedures, by the names the program knows them.
    void Form_Load();
    void DefineLocalRecordset();
    void LoadIniMenus();
    void LoadPluginItem(const std::string& name, bool selected);
    void PopulateUnselectedList();
    void PopulateSelectedList();
    void PopulateMenuPulldown();
    void ExcludeList_DblClick();
    void PluginList_DblClick();
    void aPluginForm_Click();
    void aRetrievePlugins_Click();
    void Form_unload();

    // Controls, for the program and the tests.
    QPushButton* aRetrievePlugins() const { return retrieve_; }
    QComboBox* aPluginForm() const { return pluginForm_; }
    QLabel* lblPluginForm() const { return pluginFormLabel_; }
    QListWidget* ExcludeList() const { return excludeList_; }
    QListWidget* PluginList() const { return pluginList_; }
    QCheckBox* aDebugLog() const { return debugLog_; }
    const PluginTable* table() const { return table_ ? &*table_ : nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void PopulateList(QListWidget& list);
    void unloadOnce();
    void moveSelected(QListWidget& from, bool selected);
    PluginTable& requireTable();

    SetupDialogContext& context_;
    std::optional<PluginTable> table_;
    bool loaded_ = false;
    bool unloaded_ = false;

    QPushButton* retrieve_ = nullptr;
    QComboBox* pluginForm_ = nullptr;
    QLabel* pluginFormLabel_ = nullptr;
    QListWidget* excludeList_ = nullptr;
    QListWidget* pluginList_ = nullptr;
    QCheckBox* debugLog_ = nullptr;
};

} // namespace services
