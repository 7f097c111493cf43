// Runs the built tarnu-share as child processes: one serves, the others list and download.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>

#include "archive/zlb_archive.h"
#include "common/stream.h"
#include "document/shared_files.h"
#include "support/scratch_dir.h"

namespace tarnu {
namespace {

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

class TarnuShareTest : public ::testing::Test {
protected:
    // Starts "serve" on free ports of 127.0.0.1 and reads back the ports from its log.
    void serve(const QStringList& operands) {
        server.start(TARNU_SHARE, QStringList{"serve", "--bind", "127.0.0.1", "--port", "0",
                                              "--file-port", "0"} +
                                      operands);
        const QRegularExpression ports("control port (\\d+), file port (\\d+)");
        QRegularExpressionMatch match;
        while (!(match = ports.match(serverLog)).hasMatch() && server.waitForReadyRead(5000)) {
            serverLog += QString::fromUtf8(server.readAllStandardOutput());
        }
        ASSERT_TRUE(match.hasMatch()) << serverLog.toStdString();
        portOptions = {"--port", match.captured(1), "--file-port", match.captured(2)};
    }
    Outcome run(const QString& command, const QStringList& operands) {
        QProcess client;
        client.start(TARNU_SHARE, QStringList{command} + portOptions + operands);
        client.waitForFinished(15000);
        return {client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1,
                client.readAllStandardOutput().toStdString(),
                client.readAllStandardError().toStdString()};
    }
    void stopServer() {
        server.terminate();  // SIGTERM
        ASSERT_TRUE(server.waitForFinished(5000));
        EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(server.exitCode(), 0);
        serverLog += QString::fromUtf8(server.readAllStandardOutput());
        EXPECT_TRUE(serverLog.contains("] Sharing stopped")) << serverLog.toStdString();
    }

    int argc = 1;
    char name[16] = "tools_tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    testing::ScratchDir dir;
    QProcess server;
    QString serverLog;
    QStringList portOptions;
};

TEST_F(TarnuShareTest, ServesFoldersToListAndGet) {
    std::filesystem::create_directories(dir / "music/live");
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 31 + i / 977);
    }
    testing::writeFile(dir / "music/live/set.flac", bytes);
    testing::writeFile(dir / "music/notes.txt", "notes");
    serve({QString::fromStdString(dir / "music")});

    Outcome root = run("ls", {"127.0.0.1"});
    EXPECT_EQ(root.exit, 0) << root.err;
    EXPECT_EQ(root.out, "\\0\t:music\t\n");
    Outcome music = run("ls", {"127.0.0.1", "\\0"});
    EXPECT_EQ(music.out, "\\0\\0\t:live\t\n\\0\\1\tnotes.txt\t5\n");
    Outcome got = run("get", {"127.0.0.1", "\\0\\0\\0", QString::fromStdString(dir / "down")});
    ASSERT_EQ(got.exit, 0) << got.err;
    EXPECT_EQ(testing::readFile(dir / "down/set.flac"), bytes);
    // A folder comes down whole; "/" separates too, and a path whose first backslash a
    // shell ate is refused instead of naming the root.
    Outcome folder = run("get", {"127.0.0.1", "/0/0", QString::fromStdString(dir / "whole")});
    ASSERT_EQ(folder.exit, 0) << folder.err;
    EXPECT_EQ(folder.out, dir / "whole/live/set.flac\n");
    EXPECT_EQ(testing::readFile(dir / "whole/live/set.flac"), bytes);
    EXPECT_EQ(run("ls", {"127.0.0.1", "/0/0"}).out, "\\0\\0\\0\tset.flac\t300000\n");
    EXPECT_EQ(run("ls", {"127.0.0.1", "0\\0"}).exit, 2);
    // A path past the last item names nothing.
    EXPECT_EQ(run("get", {"127.0.0.1", "\\0\\7", QString::fromStdString(dir / "down")}).exit, 1);
    EXPECT_EQ(run("ls", {"127.0.0.1", "\\7"}).exit, 1);
    // The ports may come with the address, as a server list entry gives them; they win over
    // the options.
    const QString ported = "127.0.0.1:" + portOptions[1] + ":" + portOptions[3];
    portOptions = {"--port", "1", "--file-port", "1"};
    EXPECT_EQ(run("ls", {ported}).out, root.out);
    EXPECT_EQ(run("get", {ported, "\\0\\1", QString::fromStdString(dir / "down")}).exit, 0);
    EXPECT_EQ(testing::readFile(dir / "down/notes.txt"), "notes");
    stopServer();
}

TEST_F(TarnuShareTest, ServesTheSharedTreeOfAZuBook) {
    testing::writeFile(dir / "a.txt", "alpha");
    AsciiCollation collation;
    SharedTree shared(collation);
    Node* docs = shared.tree().addChild(shared.root());
    shared.tree().setText(docs, kSharedCaption, ":docs");
    shared.tree().setText(docs, kSharedFullName, kSharedFolderMark);
    Node* file = shared.tree().addChild(docs);
    shared.tree().setText(file, kSharedCaption, "a.txt");
    shared.tree().setText(file, kSharedFullName, dir / "a.txt");
    shared.tree().setText(file, kSharedSize, "5");
    TZLBArchive archive;
    archive.create(dir / "book.dua");
    MemoryStream seed(std::string("x"));
    archive.addStream("UserTable.tbl", seed);
    archive.close();
    shared.save(archive, dir / "book.dua");

    serve({QString::fromStdString(dir / "book.dua")});
    EXPECT_EQ(run("ls", {"127.0.0.1", "\\0"}).out, "\\0\\0\ta.txt\t5\n");
    ASSERT_EQ(run("get", {"127.0.0.1", "\\0\\0", QString::fromStdString(dir / "d")}).exit, 0);
    EXPECT_EQ(testing::readFile(dir / "d/a.txt"), "alpha");
    stopServer();
}

}  // namespace
}  // namespace tarnu
