#include "operations/favourites.h"

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/program_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

class FavouritesTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::writeProgramDir(
            dir, "",
            {{std::string(kFavouritesEntry), "Books/a.dua\r\nA\r\n/srv/b.dua\r\nB\r\norphan\r\n"}});
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (const Favourite& f : favourites.items()) {
            out.push_back(f.caption);
        }
        return out;
    }

    testing::ScratchDir dir;
    TZLBArchive archive;
    DataPack dataPack{dir.str(), archive};
    testing::ScriptedUi ui;
    testing::FakeMessages messages;
    FavouriteBooks favourites{dataPack, ui, messages, dir.str()};
};

TEST_F(FavouritesTest, AddRenameDeleteAndSaveKeepPathsAndCaptionsAligned) {
    favourites.load();
    EXPECT_EQ(captions(), (std::vector<std::string>{"A", "B"})) << "the orphan line is dropped";

    // The same file twice gives one favourite; a file inside the user data directory is
    // stored relative to it; Cancel skips a file.
    ui.openFiles.push_back({dir / "c.dua", "/srv/b.dua", dir / "c.dua", "/srv/d.dua"});
    ui.inputs = {"C", std::nullopt};
    EXPECT_EQ(favourites.aAddToFavoriteExecute(), 1);
    EXPECT_EQ(ui.prompts, (std::vector<std::string>{"Tarnu|AskRes.ar#12|FavZuBook",
                                                    "Tarnu|AskRes.ar#12|FavZuBook"}));
    EXPECT_EQ(ui.dialogs.at(0).startDir, dir.str());
    ASSERT_EQ(favourites.items().size(), 3u);
    EXPECT_EQ(favourites.items()[2].storedPath, "c.dua");
    EXPECT_EQ(favourites.usablePath(2), dir / "c.dua");
    EXPECT_EQ(favourites.usablePath(1), "/srv/b.dua");

    ui.inputs = {"Bee"};
    EXPECT_TRUE(favourites.rename(1));
    EXPECT_EQ(ui.prompts.back(), "Tarnu|AskRes.ar#13|B");
    EXPECT_TRUE(favourites.remove(0));
    EXPECT_FALSE(favourites.remove(5));
    EXPECT_EQ(captions(), (std::vector<std::string>{"Bee", "C"}));
    EXPECT_EQ(favourites.usablePath(1), dir / "c.dua") << "later favourites move up";

    favourites.save();
    EXPECT_EQ(dataPack.readEntry(kFavouritesEntry), "/srv/b.dua\r\nBee\r\nc.dua\r\nC\r\n");
    favourites.remove(0);
    favourites.remove(0);
    favourites.save();
    EXPECT_FALSE(dataPack.readEntry(kFavouritesEntry)) << "an empty list leaves no entry";
    favourites.load();
    EXPECT_TRUE(favourites.items().empty());
}

}  // namespace
}  // namespace tarnu
