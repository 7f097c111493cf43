#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>

#include "app/about_dialog.h"
#include "app/pack_on_show.h"
#include "app/picture_box.h"
#include "app/splash_window.h"
#include "document/data_pack_test_util.h"

namespace tarnu {
namespace {

TEST(Splash, PictureIsTheSplashSizeWithOrWithoutALogo) {
    QPixmap logo(300, 120);
    logo.fill(Qt::red);
    const QImage withLogo = renderSplash(logo, QStringLiteral("Version 1")).toImage();
    EXPECT_EQ(withLogo.size(), QSize(425, 119));
    EXPECT_EQ(withLogo.pixelColor(10, 60), QColor(Qt::red)) << "the logo sits at the left";
    EXPECT_EQ(withLogo.pixelColor(424, 5), QColor(Qt::red)) << "its right edge carries on";
    EXPECT_EQ(renderSplash(QPixmap(), QStringLiteral("Version 1")).size(), QSize(425, 119));
}

TEST(Splash, ClosesItselfAfterItsTime) {
    SplashWindow splash(renderSplash(QPixmap(), {}), 50);
    EXPECT_EQ(splash.size(), QSize(425, 119));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
    EXPECT_GE(clock.elapsed(), 50);
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, StartSplashOutlivesADamagedImagePack) {
    testing::ProgramDir dir;
    testing::writeFile(dir.imagePack(), std::string(100, 'x'));
    TZLBArchive archive;
    DataPack pack(dir.path(), archive);
    EXPECT_NO_THROW(SplashWindow::showFor(pack, 10));
    EXPECT_FALSE(archive.isOpen());
}

class AboutTest : public ::testing::Test {
protected:
    QString versionShown() {
        TfrmAbout about(&pack);
        about.show();
        return about.findChild<QLabel*>("lbVersion")->text();
    }

    testing::ProgramDir dir;
    TZLBArchive archive;
    DataPack pack{dir.path(), archive};
};

TEST_F(AboutTest, VersionLineIsLine24OfTheMessagesOrElseTheBuiltInOne) {
    testing::ProgramDir::makeArchive(dir.dataPack(), {{"AboutForm.qrf", "lbTitle\nT\n"}});
    EXPECT_EQ(versionShown(), "Version " TARNU_VERSION);
    std::string lines;
    for (int i = 0; i < 30; ++i) {
        lines += "line " + std::to_string(i) + "\r\n";
    }
    testing::ProgramDir::makeArchive(dir.dataPack(), {{"AskRes.ar", lines}});
    EXPECT_EQ(versionShown(), "line 24");
}

TEST_F(AboutTest, ShortTableAndDamagedImagePackCostOnlyTextsAndPictures) {
    testing::ProgramDir::makeArchive(dir.dataPack(), {{"AskRes.ar", "zero\r\none\r\n"}});
    const unsigned char grey[] = {128};
    testing::ProgramDir::makeArchive(dir.imagePack(),
                                     {{"Tarnu_Logo.jpg", testing::encodeJpeg(300, 120, 1, grey)}});
    std::string damaged = testing::readFile(dir.imagePack());
    damaged[damaged.size() / 2] ^= 0x01;
    testing::writeFile(dir.imagePack(), damaged);

    TfrmAbout about(&pack);
    std::vector<std::string> errors;
    about.packOnShow().setErrorSink([&errors](const std::string& text) { errors.push_back(text); });
    about.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(errors, std::vector<std::string>());
    EXPECT_EQ(about.findChild<QLabel*>("lbVersion")->text(), "Version " TARNU_VERSION);
    EXPECT_FALSE(about.findChild<PictureBox*>("imgLogo")->hasPicture());
}

TEST_F(AboutTest, ShowsTheLogoOfTheImagePack) {
    testing::ProgramDir::makeArchive(dir.dataPack(), {{"AboutForm.qrf", "lbTitle\nT\n"}});
    const unsigned char grey[] = {128};
    testing::ProgramDir::makeArchive(dir.imagePack(),
                                     {{"Tarnu_Logo.jpg", testing::encodeJpeg(300, 120, 1, grey)}});
    TfrmAbout about(&pack);
    about.show();
    const auto* logo = about.findChild<PictureBox*>("imgLogo");
    ASSERT_TRUE(logo && logo->hasPicture());
    EXPECT_EQ(logo->picture().size(), QSize(300, 120));
    EXPECT_EQ(about.findChild<QLabel*>("lbTitle")->text(), "T");
}

}  // namespace
}  // namespace tarnu
