#include "app/options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/modal.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

using testing::whenModal;

const std::string kProgramDir = "/opt/tarnu";

struct BoolControl {
    const char* name;
    bool Settings::*member;
};

// Every check box with the setting it shows; "cbRunOnBoot" is not a setting.
const BoolControl kBoolControls[] = {
    {"cbCloseAsMin", &Settings::closeAsMin},
    {"cbShowTrayIcon", &Settings::showTrayIcon},
    {"cbIntegrate", &Settings::integrate},
    {"cbBringToFront", &Settings::bringToFront},
    {"cbRunMin", &Settings::runMin},
    {"cbShowComments", &Settings::showComments},
    {"cbAutoSave", &Settings::autoSaveOnChanges},
    {"cbLoadArchOnStartup", &Settings::loadArchOnStartup},
    {"cbRecurce", &Settings::recurce},
    {"cbAddFiles", &Settings::addFiles},
    {"cbAsk", &Settings::ask},
    {"cbDelExt", &Settings::delExt},
};

OptionsValues allOff() {
    OptionsValues values;
    for (const BoolControl& control : kBoolControls) {
        values.settings.*control.member = false;
    }
    values.settings.loadArch = "Books/work.dua";
    values.settings.defDir = "/home/ann";
    values.settings.saveDir = "Books";
    // Longer than the old 255-character limit of the fields: kept whole, never cut.
    values.settings.downloadDir = "/srv/" + std::string(300, 'd');
    values.settings.columnWidths = {10, 20, 30, 40, 50, 60};
    return values;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    template <typename T>
    T& control(const char* name) {
        T* found = dialog.findChild<T*>(QLatin1String(name));
        if (found == nullptr) {
            throw std::logic_error(std::string("no control ") + name);
        }
        return *found;
    }
    QCheckBox& box(const char* name) { return control<QCheckBox>(name); }
    QLineEdit& field(const char* name) { return control<QLineEdit>(name); }
    QToolButton& browse(const char* name) { return control<QToolButton>(name); }

    testing::ScriptedUi ui;
    TfrmOptions dialog{ui, kProgramDir};
};

TEST_F(OptionsDialogTest, EachCheckBoxShowsAndEditsItsOwnSetting) {
    for (const BoolControl& control : kBoolControls) {
        SCOPED_TRACE(control.name);
        OptionsValues values = allOff();
        values.settings.*control.member = true;
        dialog.setValues(values);
        for (const BoolControl& other : kBoolControls) {
            EXPECT_EQ(box(other.name).isChecked(), other.name == control.name) << other.name;
        }
        EXPECT_FALSE(box("cbRunOnBoot").isChecked());
        EXPECT_EQ(dialog.values(), values);

        box(control.name).setChecked(false);
        EXPECT_EQ(dialog.values(), allOff());
    }
    OptionsValues values = allOff();
    values.runAtLogin = true;
    dialog.setValues(values);
    EXPECT_TRUE(box("cbRunOnBoot").isChecked());
    EXPECT_EQ(dialog.values(), values);
}

TEST_F(OptionsDialogTest, ZuBookBrowseButtonIsEnabledExactlyWhileLoadOnStartupIsTicked) {
    dialog.setValues(allOff());
    EXPECT_FALSE(browse("btnLoadArch").isEnabled());
    box("cbLoadArchOnStartup").click();
    EXPECT_TRUE(browse("btnLoadArch").isEnabled());
    box("cbLoadArchOnStartup").click();
    EXPECT_FALSE(browse("btnLoadArch").isEnabled());

    OptionsValues values = allOff();
    values.settings.loadArchOnStartup = true;
    dialog.setValues(values);
    EXPECT_TRUE(browse("btnLoadArch").isEnabled());
    dialog.setValues(allOff());
    EXPECT_FALSE(browse("btnLoadArch").isEnabled());
}

TEST_F(OptionsDialogTest, OkReturnsTheEditedValuesAndKeepsWhatTheDialogDoesNotShow) {
    whenModal([this](QWidget& modal) {
        ASSERT_EQ(&modal, &dialog);
        box("cbAsk").click();
        box("cbRunOnBoot").click();
        control<QPushButton>("btnOK").click();
    });
    const auto edited = dialog.edit(allOff(), TfrmOptions::Page::General);
    OptionsValues expected = allOff();
    expected.settings.ask = true;
    expected.runAtLogin = true;
    ASSERT_TRUE(edited);
    EXPECT_EQ(*edited, expected);
    EXPECT_EQ(edited->settings.columnWidths, allOff().settings.columnWidths);
}

TEST_F(OptionsDialogTest, CancelEscapeAndTheCloseBoxReturnNothingAndTheNextEditStartsAfresh) {
    const std::function<void(QWidget&)> ways[] = {
        [this](QWidget&) { control<QPushButton>("btnCancel").click(); },
        [](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); },
        [](QWidget& modal) { modal.close(); },
    };
    for (const auto& cancel : ways) {
        whenModal([&](QWidget& modal) {
            EXPECT_FALSE(box("cbDelExt").isChecked()) << "a cancelled change does not stick";
            box("cbDelExt").click();
            cancel(modal);
        });
        EXPECT_FALSE(dialog.edit(allOff(), TfrmOptions::Page::General));
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(OptionsDialogTest, OpensOnTheAskedPage) {
    auto& pages = control<QTabWidget>("pcOptions");
    for (const auto page : {TfrmOptions::Page::FilesFolders, TfrmOptions::Page::General}) {
        whenModal([&](QWidget&) {
            EXPECT_EQ(pages.currentIndex(), static_cast<int>(page));
            dialog.reject();
        });
        dialog.edit(allOff(), page);
    }
}

TEST_F(OptionsDialogTest, DirectoryBrowsersStoreTheChosenFolderWithoutTheProgramDirectory) {
    dialog.setValues(allOff());
    ui.folders = {"/opt/tarnu/Books/Old", "/mnt/share", std::nullopt};
    browse("btnSaveDir").click();
    browse("btnDownloadDir").click();
    browse("btnDefDir").click();
    EXPECT_EQ(field("edSaveDir").text(), "Books/Old");
    EXPECT_EQ(field("edDownloadDir").text(), "/mnt/share");
    EXPECT_EQ(field("edDefDir").text(), "/home/ann") << "cancel leaves the field";
    // Each browser starts where its field points, a stored relative path in the program
    // directory.
    ASSERT_EQ(ui.prompts.size(), 3u);
    EXPECT_EQ(ui.prompts[0], "Please specify a directory|/opt/tarnu/Books");
    EXPECT_EQ(ui.prompts[1], "Please specify a directory|" + allOff().settings.downloadDir);
    EXPECT_EQ(ui.prompts[2], "Please specify a directory|/home/ann");
    const Settings edited = dialog.values().settings;
    EXPECT_EQ(edited.saveDir, "Books/Old");
    EXPECT_EQ(edited.downloadDir, "/mnt/share");
}

TEST_F(OptionsDialogTest, ZuBookBrowserOffersZuBooksFromTheSaveDirectory) {
    OptionsValues values = allOff();
    values.settings.loadArchOnStartup = true;
    dialog.setValues(values);
    ui.openFiles = {{"/opt/tarnu/Books/home.dua"}, {}};
    browse("btnLoadArch").click();
    EXPECT_EQ(field("edLoadArch").text(), "Books/home.dua");
    browse("btnLoadArch").click();
    EXPECT_EQ(field("edLoadArch").text(), "Books/home.dua") << "cancel leaves the field";

    ASSERT_EQ(ui.dialogs.size(), 2u);
    const FileDialogOptions& options = ui.dialogs[0];
    EXPECT_EQ(options.filter, "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*");
    EXPECT_EQ(options.defaultExt, "*.dua");
    EXPECT_EQ(options.startDir, "/opt/tarnu/Books");
    EXPECT_TRUE(options.mustExist);
    EXPECT_FALSE(options.multiSelect);
}

}  // namespace
}  // namespace tarnu
