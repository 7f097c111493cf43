#pragma once

// "Options": the program's settings on two pages. The dialog edits a copy; the caller stores
// and applies what comes back from OK.

#include <optional>
#include <string>

#include "app/tarnu_dialog.h"
#include "document/settings.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace tarnu {

class Ui;

// What the dialog edits: the stored settings and whether the desktop starts the program at
// login, which the desktop itself keeps.
struct OptionsValues {
    Settings settings;
    bool runAtLogin = false;

    bool operator==(const OptionsValues&) const = default;
};

class TfrmOptions : public TarnuDialog {
    Q_OBJECT

public:
    enum class Page { General = 0, FilesFolders = 1 };

    // The choosers of the browse buttons go through ui; chosen paths are shown and stored
    // without the program directory when they lie inside it.
    TfrmOptions(Ui& ui, std::string programDir, DataPack* pack = nullptr,
                QWidget* parent = nullptr);

    // Shows the dialog modally on the page, starting from the values: the edited values
    // after OK, nothing after Cancel.
    std::optional<OptionsValues> edit(const OptionsValues& current, Page page);

    void setValues(const OptionsValues& values);
    // The values the controls show; settings the dialog does not show keep their values.
    OptionsValues values() const;
    void setPage(Page page);

private:
    QWidget* generalPage();
    QWidget* filesFoldersPage();
    QWidget* shellGroup();
    QWidget* loadOptionsGroup();
    QWidget* operationsGroup();
    QWidget* directoriesGroup();
    QToolButton* browseButton(const char* name, QLineEdit& field);
    void browseFolder(QLineEdit& field);
    void browseZuBook();

    Ui& ui_;
    std::string programDir_;
    OptionsValues loaded_;
    QTabWidget* pages_ = nullptr;

    QCheckBox* runOnBoot_ = nullptr;
    QCheckBox* closeAsMin_ = nullptr;
    QCheckBox* showTrayIcon_ = nullptr;
    QCheckBox* integrate_ = nullptr;
    QCheckBox* bringToFront_ = nullptr;
    QCheckBox* runMin_ = nullptr;
    QCheckBox* showComments_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    QCheckBox* loadArchOnStartup_ = nullptr;
    QLineEdit* loadArch_ = nullptr;
    QToolButton* browseLoadArch_ = nullptr;

    QCheckBox* recurce_ = nullptr;
    QCheckBox* addFiles_ = nullptr;
    QCheckBox* ask_ = nullptr;
    QCheckBox* delExt_ = nullptr;
    QLineEdit* defDir_ = nullptr;
    QLineEdit* saveDir_ = nullptr;
    QLineEdit* downloadDir_ = nullptr;
};

}  // namespace tarnu
