// Runs the built tarnu-catalog as a script would, over a scratch directory tree, and reads
// the store it writes with the program's own catalog code.

#include <gtest/gtest.h>
#include <filesystem>

#include "cdcatalog/cd_catalog.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"
#include "support/scripted_ui.h"

namespace tarnu {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

using testing::Outcome;

class TarnuCatalogTest : public ::testing::Test {
protected:
    Outcome catalog(std::vector<std::string> args) {
        args.insert(args.begin(), {"--store", store()});
        return testing::runTool(TARNU_CATALOG, args, dir.str());
    }
    std::string store() const { return dir / "Data/CDBase.qcb"; }

    testing::ScratchDir dir, disc;
};

TEST_F(TarnuCatalogTest, AddsListsAndFindsOverTheProgramsStore) {
    fs::create_directories(disc.path() / "Docs/Old");
    writeFile(disc / "Docs/report.txt", "r");
    writeFile(disc / "Docs/Old/Report#1&2.txt", "r");
    writeFile(disc / "top.bin", "t");
    fs::create_directories(dir.path() / "Data");

    Outcome added = catalog({"add", "Music", disc.str(), "--name", "HOLIDAY"});
    ASSERT_EQ(added.exit, 0) << added.err;
    EXPECT_EQ(added.out, "HOLIDAY\n");
    EXPECT_EQ(catalog({"add", "Music", disc.str(), "--name", "HOLIDAY"}).out, "(0)HOLIDAY\n");
    EXPECT_EQ(catalog({"tree"}).out,
              "Music\n  (0)HOLIDAY\n    Docs\n      Old\n  HOLIDAY\n    Docs\n      Old\n"
              "Soft\nVideo\n");
    EXPECT_EQ(catalog({"ls", "HOLIDAY"}).out, "Docs/\ntop.bin\n");
    EXPECT_EQ(catalog({"ls", "HOLIDAY/Docs"}).out, "Old/\nreport.txt\n");
    EXPECT_EQ(catalog({"find", "REPORT"}).out,
              "(0)HOLIDAY/Docs/report.txt\n(0)HOLIDAY/Docs/Old/Report#1&2.txt\n"
              "HOLIDAY/Docs/report.txt\nHOLIDAY/Docs/Old/Report#1&2.txt\n");

    // The program reads what the tool wrote.
    testing::ScriptedUi ui;
    AsciiCollation collation;
    CdCatalog program(dir / "Data", collation, ui);
    program.showPage();
    EXPECT_EQ(program.tree().cds().size(), 2u);

    Outcome missing = catalog({"ls", "NOPE/x"});
    EXPECT_EQ(missing.exit, 1);
    EXPECT_NE(missing.err.find("NOPE/x"), std::string::npos);
    EXPECT_EQ(catalog({"add", "Nowhere", disc.str()}).exit, 1);
    EXPECT_EQ(catalog({"frobnicate"}).exit, 2);
}

}  // namespace
}  // namespace tarnu
