#pragma once

// A program directory for tests of the whole program's core: a data pack with the texts the
// start-up reads and a starter ZuBook, and quiet stand-ins for the remaining ports.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/zlb_archive.h"
#include "document/zubook_file.h"
#include "document/zubook_text.h"
#include "platform/desktop_integration.h"
#include "platform/event_pump.h"
#include "platform/file_locks.h"
#include "platform/shell.h"
#include "support/scratch_dir.h"

namespace tarnu::testing {

// Writes Data/ZuData.dta into dir with the start-up's texts, a starter ZuBook built from
// the outline, and any extra entries.
inline void writeProgramDir(const ScratchDir& dir, const std::string& starterOutline,
                            const std::map<std::string, std::string>& extra = {}) {
    std::filesystem::create_directories(dir / "Data");
    AsciiCollation collation;
    ZuTree starter(collation);
    buildFromOutline(starter, starterOutline);
    HotFolderTable hotFolders;
    SharedTree shared(collation);
    TZLBArchive archive;
    writeZuBookFile(archive, dir / "starter.dua", starter, hotFolders, shared, std::nullopt);
    std::map<std::string, std::string> entries{
        {"ClientServer.cs", "ZuBook\r\nZuShared files\r\nZuData transfer\r\n"},
        {"AskRes.ar", std::string(17, '\n') + "Add to Tarnu\n"},
        {"Default.dua", readFile(dir / "starter.dua")},
    };
    for (const auto& [name, bytes] : extra) {
        entries[name] = bytes;
    }
    archive.create(dir / "Data/ZuData.dta");
    for (const auto& [name, bytes] : entries) {
        MemoryStream content(bytes);
        archive.addStream(name, content);
    }
    archive.close();
}

class FakeDesktop : public DesktopIntegration {
public:
    bool registerFileType(const std::string& exe) override {
        fileTypeFor = exe;
        return true;
    }
    bool setIntegrate(bool on, const std::string&, const std::string& menuText) override {
        integrated = on;
        integrateText = menuText;
        return true;
    }
    bool setRunAtLogin(bool on, const std::string&) override {
        runAtLogin = on;
        return true;
    }
    bool isRunAtLogin(const std::string&) override { return runAtLogin; }
    std::string fileTypeFor;
    std::string integrateText;
    bool integrated = false;
    bool runAtLogin = false;
};

class FakeShell : public Shell {
public:
    bool open(const std::string& target) override {
        opened.push_back(target);
        return answers;
    }
    bool openWatched(const std::string& target, LateFailure onLateFailure) override {
        lateFailures.push_back(std::move(onLateFailure));
        return open(target);
    }
    std::vector<std::string> opened;
    bool answers = true;  // false: no program takes it
    // What each open was given to call when the desktop finds no program afterwards.
    std::vector<LateFailure> lateFailures;
};

class NoPump : public EventPump {
public:
    void processPendingEvents() override {}
};

class NoLocks : public FileLocks {
public:
    LockHandle lock(const std::string&) override { return kNoLock; }
    bool unlock(LockHandle) override { return true; }
    bool isLockedByAnyone(const std::string&) override { return false; }
};

}  // namespace tarnu::testing
