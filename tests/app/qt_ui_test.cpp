#include "app/qt_ui.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/modal.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using testing::whenModal;

// selectFile() leaves a focused name field alone, so type into the field.
void typeName(QFileDialog& dialog, const QString& name) {
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(field);
    field->setText(name);
}

void press(QWidget& modal, QMessageBox::StandardButton which) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    box.button(which)->click();
}

TEST(QtUi, MessageBoxesAreTitledTarnuWithTheirIcon) {
    QtUi ui;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    const auto look = [&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        title = box.windowTitle();
        icon = box.icon();
        text = box.text();
        press(modal, QMessageBox::Ok);
    };
    whenModal(look);
    ui.showError("Disk full");
    EXPECT_EQ(title, "Tarnu");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, "Disk full");

    whenModal(look);
    ui.showMessage("Done");
    EXPECT_EQ(title, "Tarnu");
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST(QtUi, ConfirmIsTrueForOkOnly) {
    QtUi ui;
    whenModal([](QWidget& modal) { press(modal, QMessageBox::Ok); });
    EXPECT_TRUE(ui.confirm("Delete?"));
    whenModal([](QWidget& modal) { press(modal, QMessageBox::Cancel); });
    EXPECT_FALSE(ui.confirm("Delete?"));
}

TEST(QtUi, InputBoxReturnsTheTextOrNothingWhenCancelled) {
    QtUi ui;
    QString title;
    whenModal([&](QWidget& modal) {
        auto& dialog = dynamic_cast<QInputDialog&>(modal);
        title = dialog.windowTitle();
        EXPECT_EQ(dialog.textValue(), "old");
        dialog.setTextValue(QStringLiteral("néu"));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(ui.inputBox("Rename", "New name:", "old"), "néu");
    EXPECT_EQ(title, "Rename");

    whenModal([&](QWidget& modal) {
        title = modal.windowTitle();
        dynamic_cast<QDialog&>(modal).reject();
    });
    EXPECT_EQ(ui.inputBox("", "Name:", ""), std::nullopt);
    EXPECT_EQ(title, "Tarnu");
}

TEST(QtUi, SaveDialogTakesTheOptionsOfThePort) {
    testing::ScratchDir dir;
    QtUi ui;
    FileDialogOptions options;
    options.filter = "Tarnu files (*.dua)|*.dua|All files (*.*)|*.*";
    options.defaultExt = "*.dua";
    options.startDir = dir.str();
    options.confirmOverwrite = true;
    whenModal([&](QWidget& modal) {
        auto& dialog = dynamic_cast<QFileDialog&>(modal);
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Tarnu files (*.dua)", "All files (*)"}));
        EXPECT_EQ(dialog.selectedNameFilter(), "Tarnu files (*.dua)");
        EXPECT_EQ(dialog.defaultSuffix(), "dua");
        EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(dir.str()));
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        typeName(dialog, QStringLiteral("book"));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(ui.chooseSaveFile(options), dir / "book.dua") << "the default suffix is added";
}

}  // namespace
}  // namespace tarnu
