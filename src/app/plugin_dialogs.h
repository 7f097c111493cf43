#pragma once

// "Plug-in's", the manager of the extension registry, and "Action adding", the dialog of one
// action. The registry belongs to the core; the manager edits it in place, so the context
// menu sees a change at once, and writes ext.ini only on "Close".

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/tarnu_dialog.h"
#include "plugins/plugin_manager.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace tarnu {

class TfrmAddAction : public TarnuDialog {
    Q_OBJECT

public:
    explicit TfrmAddAction(DataPack* pack = nullptr, QWidget* parent = nullptr);

    // Shows the dialog with these fields and the plug-in choices (each once); returns what
    // the fields hold when it closes, however it closes.
    PlugInAction run(const PlugInAction& initial, const std::vector<std::string>& choices);

private:
    QLineEdit* action_;
    QComboBox* plugIn_;
    QCheckBox* default_;
};

class TfrmPlugIns : public TarnuDialog {
    Q_OBJECT

public:
    // The action dialog is a hook so that tests can answer it.
    using ActionDialog = std::function<PlugInAction(const PlugInAction&)>;
    TfrmPlugIns(PlugInManager& plugIns, Ui& ui, DataPack* pack = nullptr,
                QWidget* parent = nullptr);

    void setActionDialog(ActionDialog dialog) { actionDialog_ = std::move(dialog); }

private:
    void fillExtensions();
    void showEntry();
    void refreshState();
    int entryRow() const;
    int actionRow() const;
    void addExtension();
    void addAction();
    void editAction();
    void closeAndSave();

    PlugInManager& plugIns_;
    Ui& ui_;
    ActionDialog actionDialog_;
    QListWidget* extensions_;
    QPushButton* removeExtension_;
    QWidget* entryPanel_;
    QComboBox* infoPlugIn_;
    QListWidget* actions_;
    std::vector<QPushButton*> actionButtons_;
    bool filling_ = false;
};

}  // namespace tarnu
