#include "document/data_pack.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "data_pack_test_util.h"

namespace tarnu {
namespace {

using testing::ProgramDir;
using testing::readFile;
using testing::writeFile;

class RecordingWindow : public CaptionTarget {
public:
    bool setCaption(std::string_view component, std::string_view text) override {
        calls.emplace_back(component, text);
        return true;
    }
    std::vector<std::pair<std::string, std::string>> calls;
};

class RecordingWindows : public WindowCaptionTarget {
public:
    void setWindowCaption(AuxWindow window, std::string_view caption) override {
        captions[window] = caption;
    }
    std::map<AuxWindow, std::string> captions;
};

class DataPackTest : public ::testing::Test {
protected:
    void makePack(const std::map<std::string, std::string>& entries) {
        ProgramDir::makeArchive(dir.dataPack(), entries);
    }

    ProgramDir dir;
    TZLBArchive archive;
    DataPack pack{dir.path(), archive};
};

TEST_F(DataPackTest, MessagesAreLinesEndedByCrLfCrOrLf) {
    makePack({{"T.ar", "zero\r\none\rtwo\nthree\r\n\r\nfive"}});
    const std::vector<std::string> expected = {"zero", "one", "two", "three", "", "five"};
    for (int n = 0; n < static_cast<int>(expected.size()); ++n) {
        EXPECT_EQ(pack.message("T.ar", n), expected[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_EQ(pack.message("t.AR", 1), "one");
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, NumberPastTheLastLineGivesAnEmptyText) {
    // A table cut short costs built-in texts, never the start of the program.
    makePack({{"T.ar", "zero\r\none\r\n"}});
    EXPECT_EQ(pack.message("T.ar", 2), "");
    EXPECT_EQ(pack.message("T.ar", -1), "");
    EXPECT_EQ(pack.message("T.ar", 1), "one");
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, AbsentTableGivesAnEmptyText) {
    makePack({{"Other.ar", "x"}});
    EXPECT_EQ(pack.message("AskRes.ar", 16), "");
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, MarkOfUtf8IsNotPartOfTheFirstLine) {
    makePack({{"T.ar", "\xEF\xBB\xBFzero\r\none"}});
    EXPECT_EQ(pack.message("T.ar", 0), "zero");
}

// The archive of the file with one byte changed at an offset counted from the end.
std::string withByteFlipped(const std::string& file, std::size_t fromEnd) {
    std::string bytes = readFile(file);
    bytes[bytes.size() - fromEnd] ^= 0x01;
    return bytes;
}

TEST_F(DataPackTest, MissingShortOrDamagedPackIsDataPackMissing) {
    EXPECT_THROW(pack.message("AskRes.ar", 0), DataPackMissing);
    writeFile(dir.dataPack(), std::string(61, 'x'));
    EXPECT_THROW(pack.message("AskRes.ar", 0), DataPackMissing);
    // Damage gets the same clear message as absence: garbage, a flipped byte in an entry,
    // another version in the trailer.
    writeFile(dir.dataPack(), std::string(62, 'x'));
    EXPECT_THROW(pack.message("AskRes.ar", 0), DataPackMissing);
    makePack({{"AskRes.ar", std::string(500, 'a')}});
    const std::string good = readFile(dir.dataPack());
    writeFile(dir.dataPack(), withByteFlipped(dir.dataPack(), good.size() / 3));
    EXPECT_THROW(pack.message("AskRes.ar", 0), DataPackMissing);
    writeFile(dir.dataPack(), good);
    writeFile(dir.dataPack(), withByteFlipped(dir.dataPack(), 40 - 12));
    try {
        pack.message("AskRes.ar", 0);
        FAIL() << "a pack of another version opened";
    } catch (const DataPackMissing& e) {
        EXPECT_NE(std::string(e.what()).find(dir.dataPack()), std::string::npos) << e.what();
    }
    EXPECT_FALSE(archive.isOpen());
}

// An archive of exactly 62 bytes: 22 bytes of data region, no entries, a plain directory.
TEST_F(DataPackTest, PackOfSixtyTwoBytesOpens) {
    std::string bytes(22, 'd');
    unsigned char trailer[40] = {};
    putU32(trailer + 4,
           static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), 22)));
    putI32(trailer + 12, 1);
    putI32(trailer + 20, 22);
    bytes.append(reinterpret_cast<const char*>(trailer), sizeof trailer);
    ASSERT_EQ(bytes.size(), 62U);
    writeFile(dir.dataPack(), bytes);
    DataPack::Session session = pack.open();
    EXPECT_EQ(session.archive().entryCount(), 0);
}

TEST_F(DataPackTest, CaptionListIsAppliedInPairsAndAnOddLastLineIgnored) {
    makePack({{"MainForm.qrf", "aNewFolder\r\nNew ZuFolder\r\nFind1\r\nFind...\r\nlbOdd"}});
    RecordingWindow window;
    pack.applyCaptionList(window, "MainForm.qrf");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"aNewFolder", "New ZuFolder"}, {"Find1", "Find..."}};
    EXPECT_EQ(window.calls, expected);
    EXPECT_FALSE(archive.isOpen());

    RecordingWindow untouched;
    pack.applyCaptionList(untouched, "SearchForm.qrf");
    EXPECT_TRUE(untouched.calls.empty());
}

TEST_F(DataPackTest, WindowCaptionsSkipUnusedMissingAndEmptyLines) {
    makePack({{"FormsCaptions.fc",
               "Hot\r\nOptions\r\nAdd\r\nAbout\r\nSearch\r\nPlug\r\nsix\r\nseven\r\n"
               "Expand\r\n\r\nServer"}});
    RecordingWindows windows;
    pack.applyWindowCaptions(windows);
    const std::map<AuxWindow, std::string> expected = {{AuxWindow::HotKey, "Hot"},
                                                       {AuxWindow::Options, "Options"},
                                                       {AuxWindow::AddOptions, "Add"},
                                                       {AuxWindow::About, "About"},
                                                       {AuxWindow::Search, "Search"},
                                                       {AuxWindow::PlugIns, "Plug"},
                                                       {AuxWindow::ExpandSelection, "Expand"},
                                                       {AuxWindow::Server, "Server"}};
    EXPECT_EQ(windows.captions, expected);
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, EntriesAreAddedReplacedReadAndExtracted) {
    makePack({{"AskRes.ar", "a"}});
    EXPECT_FALSE(pack.readEntry("Tarnu.ini"));
    pack.writeEntry("Tarnu.ini", "[General]\r\n");
    pack.writeEntry("Tarnu.ini", "[Columns]\r\n0=1\r\n");
    EXPECT_EQ(pack.readEntry("Tarnu.ini"), "[Columns]\r\n0=1\r\n");
    EXPECT_EQ(pack.readEntry("AskRes.ar"), "a");

    EXPECT_FALSE(pack.extractEntry("Default.dua", dir.path()));
    EXPECT_TRUE(pack.extractEntry("AskRes.ar", dir.path()));
    EXPECT_EQ(readFile(path::join(dir.path(), "AskRes.ar")), "a");
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, PicturesComeFromTheImagePack) {
    makePack({{"AskRes.ar", "a"}});
    EXPECT_FALSE(pack.loadPicture("Search.jpg")) << "no image pack";

    const unsigned char green[] = {0, 200, 0};
    ProgramDir::makeArchive(dir.imagePack(), {{"Options.jpg", testing::encodeJpeg(40, 6, 3, green)},
                                              {"Broken.jpg", "not a picture"}});
    EXPECT_FALSE(pack.loadPicture("Search.jpg")) << "no such entry";
    EXPECT_FALSE(pack.loadPicture("Broken.jpg"));
    const auto picture = pack.loadPicture("Options.jpg");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 40);
    EXPECT_EQ(picture->height, 6);
    EXPECT_NEAR(picture->rgb[1], 200, 4);
    EXPECT_FALSE(archive.isOpen());
}

TEST_F(DataPackTest, DamagedImagePackGivesNoPicture) {
    writeFile(dir.imagePack(), std::string(100, 'x'));
    EXPECT_FALSE(pack.loadPicture("Search.jpg"));
    const unsigned char red[] = {200, 0, 0};
    ProgramDir::makeArchive(dir.imagePack(), {{"Search.jpg", testing::encodeJpeg(8, 8, 3, red)}});
    const std::string good = readFile(dir.imagePack());
    writeFile(dir.imagePack(), withByteFlipped(dir.imagePack(), good.size() / 2));
    EXPECT_FALSE(pack.loadPicture("Search.jpg"));
    writeFile(dir.imagePack(), good);
    writeFile(dir.imagePack(), withByteFlipped(dir.imagePack(), 40 - 12));
    EXPECT_FALSE(pack.loadPicture("Search.jpg"));
    EXPECT_FALSE(archive.isOpen());
    writeFile(dir.imagePack(), good);
    EXPECT_TRUE(pack.loadPicture("Search.jpg"));
}

}  // namespace
}  // namespace tarnu
