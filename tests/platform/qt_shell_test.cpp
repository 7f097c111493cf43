#include "platform/qt/qt_shell.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace tarnu {
namespace {

// Stands in for the desktop: takes what would be handed to a program.
class Desktop : public QObject {
    Q_OBJECT

public slots:
    void open(const QUrl& url) { opened.push_back(url); }

public:
    std::vector<QUrl> opened;
};

class QtShellTest : public ::testing::Test {
protected:
    QtShellTest() {
        for (const char* scheme : kSchemes) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "open");
        }
    }
    ~QtShellTest() override {
        for (const char* scheme : kSchemes) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }

    static constexpr const char* kSchemes[] = {"file", "http", "https", "ftp"};
    Desktop desktop;
    testing::ScratchDir scratch;
    QtShell shell;
};

TEST_F(QtShellTest, ExistingPathsGoAsFileAddresses) {
    const std::vector<std::string> paths = {
        scratch / "notes.txt", scratch / "odd #1 & 100% [copy].txt", scratch / "Müller.pdf",
        scratch.str(),  // a folder opens too
    };
    for (const std::string& path : paths) {
        if (path != scratch.str()) {
            testing::writeFile(path, "x");
        }
        desktop.opened.clear();
        EXPECT_TRUE(shell.open(path)) << path;
        ASSERT_EQ(desktop.opened.size(), 1u) << path;
        EXPECT_TRUE(desktop.opened[0].isLocalFile()) << path;
        EXPECT_EQ(desktop.opened[0].toLocalFile().toStdString(), path);
    }
}

TEST_F(QtShellTest, ARelativePathIsTakenInTheWorkingDirectory) {
    testing::writeFile(scratch / "here.txt", "x");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch.path());
    const bool opened = shell.open("here.txt");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(opened);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].toLocalFile().toStdString(), scratch / "here.txt");
}

TEST_F(QtShellTest, AddressesGoAsTheyAre) {
    testing::writeFile(scratch / "page.htm", "x");
    EXPECT_TRUE(shell.open("https://example.org/a b?x=1#top"));
    EXPECT_TRUE(shell.open("HTTP://Example.org/"));
    EXPECT_TRUE(shell.open("ftp://ftp.example.org/pub/"));
    EXPECT_TRUE(shell.open("file://" + (scratch / "page.htm")));
    ASSERT_EQ(desktop.opened.size(), 4u);
    EXPECT_EQ(desktop.opened[0].scheme(), "https");
    EXPECT_EQ(desktop.opened[0].host(), "example.org");
    EXPECT_EQ(desktop.opened[0].path(), "/a b");
    EXPECT_EQ(desktop.opened[0].query(), "x=1");
    EXPECT_EQ(desktop.opened[1].scheme(), "http");
    EXPECT_EQ(desktop.opened[2].scheme(), "ftp");
    EXPECT_EQ(desktop.opened[2].host(), "ftp.example.org");
    EXPECT_EQ(desktop.opened[3].toLocalFile().toStdString(), scratch / "page.htm");
}

TEST_F(QtShellTest, NothingOpensForMissingFilesOrEmptyTexts) {
    EXPECT_FALSE(shell.open(""));
    EXPECT_FALSE(shell.open(scratch / "missing.txt"));
    EXPECT_FALSE(shell.open("file://" + (scratch / "missing.txt")));
    EXPECT_FALSE(shell.open("missing-relative.txt"));
    EXPECT_TRUE(desktop.opened.empty());
}

}  // namespace
}  // namespace tarnu

#include "qt_shell_test.moc"
