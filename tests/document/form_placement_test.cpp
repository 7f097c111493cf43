#include "document/form_placement.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "document/ini_file.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

class FormPlacementTest : public ::testing::Test {
protected:
    ScratchDir dir;
    FormPlacement placement{dir / "ZuFormPos.ini"};
};

TEST_F(FormPlacementTest, WrittenPlacementReadsBack) {
    WindowPlacement p;
    p.flags = 2;
    p.showCmd = 3;
    p.pixelsPerInch = 96;
    p.minPosition = {-1, -1};
    p.maxPosition = {-8, -31};
    p.normalPosition = {100, 120, 740, 600};
    p.visible = true;
    placement.write(p);
    EXPECT_EQ(placement.read(), p);
    const IniFile ini = IniFile::load(placement.filePath());
    EXPECT_EQ(ini.readString("Tarnu", "MinMaxPos", ""), "-1,-1,-8,-31");
    EXPECT_EQ(ini.readString("Tarnu", "NormPos", ""), "100,120,740,600");
    EXPECT_EQ(ini.readString("Tarnu", "Visible", ""), "1");
    EXPECT_EQ(ini.readString("Tarnu", "FormVersion", ""), "0");
}

TEST_F(FormPlacementTest, NothingAppliesWithoutAFileOrWithANegativeVersion) {
    EXPECT_FALSE(placement.read());
    writeFile(placement.filePath(), "[Tarnu]\r\nShowCmd=3\r\n");
    EXPECT_FALSE(placement.read()) << "no FormVersion";
    writeFile(placement.filePath(), "[Tarnu]\r\nFormVersion=-1\r\nShowCmd=3\r\n");
    EXPECT_FALSE(placement.read());
    writeFile(placement.filePath(), "[Tarnu]\r\nFormVersion=0\r\nShowCmd=3\r\n");
    ASSERT_TRUE(placement.read());
    EXPECT_EQ(placement.read()->showState(), ShowState::Maximised);
}

TEST_F(FormPlacementTest, ShowCmdMapsToShowStates) {
    WindowPlacement p;
    const std::pair<int, std::optional<ShowState>> cases[] = {
        {1, ShowState::Normal},    {5, ShowState::Normal},    {9, ShowState::Normal},
        {2, ShowState::Minimised}, {6, ShowState::Minimised}, {7, ShowState::Minimised},
        {3, ShowState::Maximised}, {0, std::nullopt},         {4, std::nullopt},
        {10, std::nullopt}};
    for (const auto& [showCmd, state] : cases) {
        p.showCmd = showCmd;
        EXPECT_EQ(p.showState(), state) << showCmd;
    }
}

TEST_F(FormPlacementTest, PositionAppliesOnlyAtTheSamePixelsPerInchAndWhenItIsARectangle) {
    writeFile(placement.filePath(),
              "[Tarnu]\r\nFormVersion=0\r\nPixelsPerInch=120\r\nNormPos=10,20,650,500\r\n");
    const auto p = placement.read();
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->positionAppliesAt(120));
    EXPECT_FALSE(p->positionAppliesAt(96));

    for (const char* bad : {"10,20,650", "10,20,650,500,1", "a,b,c,d", "650,20,10,500", ""}) {
        writeFile(placement.filePath(), std::string("[Tarnu]\r\nFormVersion=0\r\n"
                                                    "PixelsPerInch=120\r\nNormPos=") +
                                            bad + "\r\n");
        const auto q = placement.read();
        ASSERT_TRUE(q) << bad;
        EXPECT_FALSE(q->positionAppliesAt(120)) << bad;
    }
}

TEST_F(FormPlacementTest, MinimisedShowCmdBecomesNormalAtCreation) {
    placement.clearMinimised();
    EXPECT_FALSE(std::filesystem::exists(placement.filePath())) << "no file is made";

    writeFile(placement.filePath(), "; mine\r\n[Tarnu]\r\nFormVersion=0\r\nShowCmd=2\r\n");
    placement.clearMinimised();
    EXPECT_EQ(readFile(placement.filePath()),
              "; mine\r\n[Tarnu]\r\nFormVersion=0\r\nShowCmd=1\r\n");

    writeFile(placement.filePath(), "[Tarnu]\r\nFormVersion=0\r\nShowCmd=3\r\n");
    placement.clearMinimised();
    EXPECT_EQ(placement.read()->showCmd, 3);
}

TEST_F(FormPlacementTest, WriteKeepsOtherSectionsAndRemoveDeletesTheFile) {
    writeFile(placement.filePath(), "[Other]\r\nx=1\r\n");
    placement.write(WindowPlacement{});
    EXPECT_EQ(IniFile::load(placement.filePath()).readString("Other", "x", ""), "1");
    placement.remove();
    EXPECT_FALSE(std::filesystem::exists(placement.filePath()));
    placement.remove();
}

}  // namespace
}  // namespace tarnu
