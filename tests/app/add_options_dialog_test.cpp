#include "app/add_options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "app/modal.h"

namespace tarnu {
namespace {

using testing::whenModal;

struct Choice {
    const char* box;
    bool AddOptions::*member;
};

const Choice kChoices[] = {
    {"cbRecurce", &AddOptions::recurse},
    {"cbAddFiles", &AddOptions::addFiles},
    {"cbDelExt", &AddOptions::delExt},
    {"cbAsk", &AddOptions::ask},
};

class AddOptionsDialogTest : public ::testing::Test {
protected:
    AddOptionsDialogTest() {
        settings.addFiles = false;
        settings.ask = false;
        copy.emplace(settings);
    }

    QCheckBox& box(const char* name) { return *dialog.findChild<QCheckBox*>(name); }
    QPushButton& button(const char* name) { return *dialog.findChild<QPushButton*>(name); }

    // Runs the dialog over the copy; the action ticks and presses.
    bool run(const std::function<void(QWidget&)>& action) {
        whenModal(action);
        return dialog.run(*copy, settings);
    }

    Settings settings;  // recurse and delExt on, addFiles and ask off
    std::optional<AddOptionsCopy> copy;
    TfrmAddOpt dialog;
};

TEST_F(AddOptionsDialogTest, EachBoxShowsItsOwnChoice) {
    for (const Choice& choice : kChoices) {
        AddOptions only{false, false, false, false};
        only.*choice.member = true;
        copy->setOptions(only);
        run([&](QWidget&) {
            for (const Choice& c : kChoices) {
                EXPECT_EQ(box(c.box).isChecked(), c.box == choice.box) << choice.box << c.box;
            }
            button("btnStart").click();
        });
        EXPECT_EQ(copy->options(), only);
    }
}

TEST_F(AddOptionsDialogTest, StartGoesOnWithTheBoxesAndLeavesTheSettings) {
    const Settings before = settings;
    EXPECT_TRUE(run([this](QWidget&) {
        box("cbAddFiles").click();
        button("btnStart").click();
    }));
    EXPECT_EQ(copy->options(), (AddOptions{true, true, true, false}));
    EXPECT_EQ(settings, before);
}

TEST_F(AddOptionsDialogTest, SaveAndStartAlsoWritesTheChoicesIntoTheSettings) {
    Settings expected = settings;
    expected.recurce = false;
    expected.ask = true;
    EXPECT_TRUE(run([this](QWidget&) {
        box("cbRecurce").click();
        box("cbAsk").click();
        button("btnSaveAndStart").click();
    }));
    EXPECT_EQ(copy->options(), (AddOptions{false, false, true, true}));
    EXPECT_EQ(settings, expected);

    // A later plain start does not save again.
    EXPECT_TRUE(run([this](QWidget&) {
        box("cbDelExt").click();
        button("btnStart").click();
    }));
    EXPECT_EQ(settings, expected);
}

TEST_F(AddOptionsDialogTest, CancelEscapeAndCloseBoxStopTheAddAndSaveNothing) {
    const Settings before = settings;
    const std::function<void(QWidget&)> ways[] = {
        [this](QWidget&) { button("btnCancel").click(); },
        [](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); },
        [](QWidget& modal) { modal.close(); },
    };
    for (const auto& cancel : ways) {
        EXPECT_FALSE(run([&](QWidget& modal) {
            box("cbAddFiles").click();
            cancel(modal);
        }));
    }
    EXPECT_EQ(settings, before);
    // The boxes are the copy: what they showed at the cancel is kept for the next add.
    EXPECT_EQ(copy->options(), (AddOptions{true, true, true, false}));
}

}  // namespace
}  // namespace tarnu
