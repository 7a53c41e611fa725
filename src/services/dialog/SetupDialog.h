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

    // What the dialog does: loading, filling the lists and the menu pull-down, the
    // double clicks, the two controls' actions and saving when it closes.
    void markLoaded();
    void createPluginTable();
    void loadSavedPlugins();
    void addPlugin(const std::string& name, bool selected);
    void listUnselectedPlugins();
    void listSelectedPlugins();
    void fillMenuEntries();
    void unselectCurrentPlugin();
    void selectCurrentPlugin();
    void openChosenMenuEntry();
    void retrievePlugins();
    void saveChoices();

    // Controls, for the program and the tests.
    QPushButton* retrieveButton() const { return retrieve_; }
    QComboBox* menuEntries() const { return menuEntries_; }
    QLabel* menuEntriesLabel() const { return menuEntriesLabel_; }
    QListWidget* excludeList() const { return excludeList_; }
    QListWidget* pluginList() const { return pluginList_; }
    QCheckBox* debugLogBox() const { return debugLog_; }
    const PluginTable* table() const { return table_ ? &*table_ : nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void fillList(QListWidget& list);
    void unloadOnce();
    void moveSelected(QListWidget& from, bool selected);
    PluginTable& requireTable();

    SetupDialogContext& context_;
    std::optional<PluginTable> table_;
    bool loaded_ = false;
    bool unloaded_ = false;

    QPushButton* retrieve_ = nullptr;
    QComboBox* menuEntries_ = nullptr;
    QLabel* menuEntriesLabel_ = nullptr;
    QListWidget* excludeList_ = nullptr;
    QListWidget* pluginList_ = nullptr;
    QCheckBox* debugLog_ = nullptr;
};

} // namespace services
