#include "app/widget_captions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/pack_on_show.h"
#include "app/picture_box.h"
#include "document/data_pack_test_util.h"

namespace tarnu {
namespace {

template <typename T>
T* named(QWidget* parent, const char* name) {
    auto* object = new T(parent);
    object->setObjectName(QLatin1String(name));
    return object;
}

class WidgetCaptionsTest : public ::testing::Test {
protected:
    QWidget window;
    WidgetCaptions captions{window};
};

TEST_F(WidgetCaptionsTest, CaptionsGoToTheCaptionOfEachKindOfControl) {
    auto* button = named<QPushButton>(&window, "btnOK");
    auto* group = named<QGroupBox>(&window, "gbShell");
    auto* label = named<QLabel>(group, "lbZuBook");  // found below the window's own children
    auto* menu = named<QMenu>(&window, "mnuFile");
    auto* action = new QAction(&window);
    action->setObjectName(QStringLiteral("aNewFolder"));

    EXPECT_TRUE(captions.setCaption("btnOK", "Ja"));
    EXPECT_TRUE(captions.setCaption("gbShell", " Schale "));
    EXPECT_TRUE(captions.setCaption("lbZuBook", "Buch"));
    EXPECT_TRUE(captions.setCaption("mnuFile", "&Datei"));
    EXPECT_TRUE(captions.setCaption("aNewFolder", "Neuer Ordner"));
    EXPECT_EQ(button->text(), "Ja");
    EXPECT_EQ(group->title(), " Schale ");
    EXPECT_EQ(label->text(), "Buch");
    EXPECT_EQ(menu->title(), "&Datei");
    EXPECT_EQ(action->text(), "Neuer Ordner");
}

TEST_F(WidgetCaptionsTest, EditsWithoutCaptionTakeTheTextAsTheirText) {
    auto* line = named<QLineEdit>(&window, "edName");
    auto* memo = named<QPlainTextEdit>(&window, "mmComment");
    EXPECT_TRUE(captions.setCaption("edName", "abc"));
    EXPECT_TRUE(captions.setCaption("mmComment", "two\nlines"));
    EXPECT_EQ(line->text(), "abc");
    EXPECT_EQ(memo->toPlainText(), "two\nlines");
}

TEST_F(WidgetCaptionsTest, TabPageNameSetsItsTabText) {
    auto* tabs = named<QTabWidget>(&window, "pcPages");
    auto* first = named<QWidget>(nullptr, "tsFirst");
    auto* second = named<QWidget>(nullptr, "tsSecond");
    tabs->addTab(first, QStringLiteral("First"));
    tabs->addTab(second, QStringLiteral("Second"));
    EXPECT_TRUE(captions.setCaption("tsSecond", "Zweite && letzte"));
    EXPECT_EQ(tabs->tabText(0), "First");
    EXPECT_EQ(tabs->tabText(1), "Zweite && letzte");
}

TEST_F(WidgetCaptionsTest, UnknownNamesAndControlsWithoutTextChangeNothing) {
    auto* button = named<QPushButton>(&window, "btnOK");
    button->setText(QStringLiteral("OK"));
    named<QFrame>(&window, "pnlTop");
    EXPECT_FALSE(captions.setCaption("btnMissing", "x"));
    EXPECT_FALSE(captions.setCaption("btnok", "x")) << "letter case counts";
    EXPECT_FALSE(captions.setCaption("pnlTop", "x"));
    EXPECT_FALSE(captions.setCaption("", "x"));
    EXPECT_EQ(button->text(), "OK");
}

TEST_F(WidgetCaptionsTest, LabelWithoutBuddyShowsTheAmpersandsAsTheListMeansThem) {
    auto* plain = named<QLabel>(&window, "lbPlain");
    auto* withBuddy = named<QLabel>(&window, "lbBuddy");
    withBuddy->setBuddy(named<QLineEdit>(&window, "edBuddy"));
    captions.setCaption("lbPlain", "Files && &Folders");
    captions.setCaption("lbBuddy", "&Name");
    EXPECT_EQ(plain->text(), "Files & Folders");
    EXPECT_EQ(withBuddy->text(), "&Name") << "Qt draws the mnemonic itself";
    EXPECT_EQ(withoutMnemonics(QStringLiteral("50 &")), "50 &");
}

// A window with the pack's captions and a picture on every show.
class PackOnShowTest : public ::testing::Test {
protected:
    PackOnShowTest() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        layout->addWidget(picture);
        onShow.addCaptionList("TestForm.qrf");
        onShow.addPicture("Options.jpg", *picture);
    }

    void makePacks(const std::string& captions) {
        testing::ProgramDir::makeArchive(dir.dataPack(), {{"TestForm.qrf", captions}});
        const unsigned char red[] = {220, 0, 0};
        testing::ProgramDir::makeArchive(dir.imagePack(),
                                         {{"Options.jpg", testing::encodeJpeg(41, 7, 3, red)}});
    }

    testing::ProgramDir dir;
    TZLBArchive archive;
    DataPack pack{dir.path(), archive};
    QWidget window;
    QPushButton* button = named<QPushButton>(&window, "btnGo");
    PictureBox* picture = new PictureBox(&window);
    PackOnShow onShow{&pack, window};
};

TEST_F(PackOnShowTest, EveryShowReadsThePacksAndHidingLetsThePictureGo) {
    button->setText(QStringLiteral("Go"));
    makePacks("btnGo\r\nLos\r\n");
    window.show();
    EXPECT_EQ(button->text(), "Los");
    ASSERT_TRUE(picture->hasPicture());
    EXPECT_EQ(picture->picture().size(), QSize(41, 7));
    EXPECT_EQ(picture->height(), 7);
    EXPECT_FALSE(archive.isOpen());

    window.hide();
    EXPECT_FALSE(picture->hasPicture());

    makePacks("btnGo\r\nAb\r\n");
    window.show();
    EXPECT_EQ(button->text(), "Ab") << "the list is read again at the next show";
    EXPECT_TRUE(picture->hasPicture());
}

TEST_F(PackOnShowTest, MissingListAndPictureLeaveTheBuiltInTextAndHideTheBox) {
    button->setText(QStringLiteral("Go"));
    testing::ProgramDir::makeArchive(dir.dataPack(), {{"Other.qrf", "btnGo\r\nLos\r\n"}});
    window.show();
    EXPECT_EQ(button->text(), "Go");
    EXPECT_FALSE(picture->hasPicture());
    EXPECT_FALSE(picture->isVisible());
}

TEST_F(PackOnShowTest, PackThatFailsToOpenIsReportedAfterTheShow) {
    testing::writeFile(dir.dataPack(), std::string(100, 'x'));
    std::vector<std::string> reported;
    onShow.setErrorSink([&](const std::string& text) { reported.push_back(text); });
    window.show();
    EXPECT_TRUE(reported.empty()) << "not from inside the show event";
    QCoreApplication::processEvents();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_FALSE(reported[0].empty());
    EXPECT_FALSE(archive.isOpen());
}

TEST(PictureToImage, RowsWithoutPaddingKeepTheirPixels) {
    // Width 3: 9 bytes a row, which QImage would pad to 12 without the stride.
    Picture picture{3, 2, {}};
    for (int i = 0; i < 6; ++i) {
        picture.rgb.insert(picture.rgb.end(), {static_cast<std::uint8_t>(i * 40), 7, 200});
    }
    const QImage image = toImage(picture);
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixelColor(0, 1), QColor(120, 7, 200));
    EXPECT_EQ(image.pixelColor(2, 1), QColor(200, 7, 200));

    picture.rgb.pop_back();
    EXPECT_TRUE(toImage(picture).isNull()) << "too few bytes for the size";
}

}  // namespace
}  // namespace tarnu
