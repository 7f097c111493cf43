#include "document/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

using testing::ScratchDir;

TEST(IniFile, NamesIgnoreCaseAndTheFirstMatchWins) {
    const IniFile ini(
        "; comment=1\r\n"
        "top=outside any section\r\n"
        "[General]\r\n"
        "  CloseAsMin = 0  \r\n"
        "closeasmin=1\r\n"
        "Path=C:\\x = y\r\n"
        "[general]\r\n"
        "Later=1\r\n"
        "[ Other ]\r\n"
        "Empty=\r\n");
    EXPECT_EQ(ini.readString("GENERAL", "CLOSEASMIN", "d"), "0");
    EXPECT_EQ(ini.readString("General", "Path", "d"), "C:\\x = y");
    // Only the first section of a name counts.
    EXPECT_EQ(ini.readString("General", "Later", "d"), "d");
    EXPECT_EQ(ini.readString("other", "Empty", "d"), "");
    EXPECT_EQ(ini.readString("General", "top", "d"), "d");
    EXPECT_EQ(ini.readString("General", "; comment", "d"), "d");
    EXPECT_EQ(ini.readString("Missing", "x", "default"), "default");
    EXPECT_TRUE(ini.hasSection("OTHER"));
    EXPECT_FALSE(ini.hasKey("Other", "Nope"));
}

TEST(IniFile, IntegersThatAreNoIntegersReadAsTheDefault) {
    const IniFile ini(
        "[S]\nplain= 42 \nneg=-7\nhex=$1F\nhex2=0x10\nword=abc\ntail=12abc\nempty=\n"
        "big=99999999999\nallbits=$FFFFFFFF\nplus=+5\nsign=-\n");
    EXPECT_EQ(ini.readInteger("S", "plain", 0), 42);
    EXPECT_EQ(ini.readInteger("S", "neg", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "hex", 0), 31);
    EXPECT_EQ(ini.readInteger("S", "hex2", 0), 16);
    EXPECT_EQ(ini.readInteger("S", "plus", 0), 5);
    EXPECT_EQ(ini.readInteger("S", "allbits", 0), -1);
    for (const char* key : {"word", "tail", "empty", "big", "sign", "missing"}) {
        EXPECT_EQ(ini.readInteger("S", key, 150), 150) << key;
    }
}

TEST(IniFile, AnyNonZeroIntegerReadsAsOn) {
    const IniFile ini("[S]\none=1\ntwo=2\nminus=-1\nzero=0\nword=yes\n");
    EXPECT_TRUE(ini.readBool("S", "one", false));
    EXPECT_TRUE(ini.readBool("S", "two", false));
    EXPECT_TRUE(ini.readBool("S", "minus", false));
    EXPECT_FALSE(ini.readBool("S", "zero", true));
    EXPECT_TRUE(ini.readBool("S", "word", true));
    EXPECT_FALSE(ini.readBool("S", "word", false));
    EXPECT_TRUE(ini.readBool("S", "missing", true));
}

TEST(IniFile, WritingChangesOnlyTheKeysLine) {
    IniFile ini(
        "; settings\r\n"
        "[General]\r\n"
        "CloseAsMin=1\r\n"
        "; keep me\r\n"
        "RunMin=0\r\n"
        "\r\n"
        "[Columns]\r\n"
        "0=150\r\n");
    ini.writeBool("general", "RUNMIN", true);
    ini.writeString("General", "LoadArch", "Books/a.dua");
    ini.writeInteger("Columns", "1", 250);
    ini.writeString("Directories", "DefDir", "/home/u");
    EXPECT_EQ(ini.text(),
              "; settings\r\n"
              "[General]\r\n"
              "CloseAsMin=1\r\n"
              "; keep me\r\n"
              "RUNMIN=1\r\n"
              "LoadArch=Books/a.dua\r\n"
              "\r\n"
              "[Columns]\r\n"
              "0=150\r\n"
              "1=250\r\n"
              "\r\n"
              "[Directories]\r\n"
              "DefDir=/home/u\r\n");
}

TEST(IniFile, NewTextsUseCrLfAndOldOnesKeepTheirLineEnds) {
    IniFile fresh;
    fresh.writeBool("General", "Ask", false);
    EXPECT_EQ(fresh.text(), "[General]\r\nAsk=0\r\n");

    IniFile unix("[A]\nx=1\n");
    unix.writeInteger("A", "y", 2);
    EXPECT_EQ(unix.text(), "[A]\nx=1\ny=2\n");
}

TEST(IniFile, WritesThatWouldChangeOtherKeysAreRefused) {
    IniFile ini;
    EXPECT_THROW(ini.writeString("General", "LoadArch", "a\r\n[Evil]"), Error);
    EXPECT_THROW(ini.writeString("General", "Key=1", "x"), Error);
    EXPECT_THROW(ini.writeString("Gen]eral", "Key", "x"), Error);
    EXPECT_THROW(ini.writeString("General", " Key", "x"), Error);
    EXPECT_THROW(ini.writeString("General", ";Key", "x"), Error);
    EXPECT_THROW(ini.writeString("", "Key", "x"), Error);
    EXPECT_EQ(ini.text(), "");
}

TEST(IniFile, SavesBesideTheFileAndLoadsItBack) {
    ScratchDir dir;
    const std::string file = dir / "ZuFormPos.ini";
    EXPECT_EQ(IniFile::load(file).text(), "");
    IniFile ini;
    ini.writeInteger("Tarnu", "ShowCmd", 3);
    ini.save(file);
    EXPECT_EQ(IniFile::load(file).readInteger("Tarnu", "ShowCmd", 0), 3);
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.str())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_THROW(ini.save(dir / "missing/dir/x.ini"), Error);
}

}  // namespace
}  // namespace tarnu
