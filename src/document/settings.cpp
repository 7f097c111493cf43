#include "document/settings.h"

#include <QDir>

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/path.h"
#include "document/form_placement.h"
#include "document/messages.h"

namespace tarnu {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kDirectories = "Directories";
constexpr std::string_view kFileOperations = "FFOperations";
constexpr std::string_view kColumns = "Columns";
constexpr std::string_view kSharing = "Sharing";
// Column 5 is stored but never read back.
constexpr int kColumnsRead = 5;

struct BoolKey {
    std::string_view section;
    std::string_view key;
    bool Settings::*member;
};

struct TextKey {
    std::string_view section;
    std::string_view key;
    std::string Settings::*member;
};

constexpr BoolKey kBoolKeys[] = {
    {kGeneral, "CloseAsMin", &Settings::closeAsMin},
    {kGeneral, "ShowTrayIcon", &Settings::showTrayIcon},
    {kGeneral, "RunMin", &Settings::runMin},
    {kGeneral, "Integrate", &Settings::integrate},
    {kGeneral, "BringToFront", &Settings::bringToFront},
    {kGeneral, "AutoSaveOnChanges", &Settings::autoSaveOnChanges},
    {kGeneral, "LoadArchOnStartup", &Settings::loadArchOnStartup},
    {kGeneral, "ShowComments", &Settings::showComments},
    {kFileOperations, "Recurce", &Settings::recurce},
    {kFileOperations, "AddFiles", &Settings::addFiles},
    {kFileOperations, "DelExt", &Settings::delExt},
    {kFileOperations, "Ask", &Settings::ask},
};

constexpr TextKey kTextKeys[] = {
    {kGeneral, "LoadArch", &Settings::loadArch},
    {kDirectories, "DefDir", &Settings::defDir},
    {kDirectories, "SaveDir", &Settings::saveDir},
    {kDirectories, "DownloadDir", &Settings::downloadDir},
};

}  // namespace

Settings defaultSettings(const std::string& programDir, const std::string& homeDir) {
    Settings s;
    s.defDir = homeDir;
    s.saveDir = programDir;
    // Downloads land where the desktop keeps them, when the user has that folder.
    const std::string desktopDownloads = path::join(homeDir, "Downloads");
    std::error_code error;
    s.downloadDir = !homeDir.empty() && std::filesystem::is_directory(desktopDownloads, error)
                        ? desktopDownloads
                        : path::join(programDir, "Download");
    return s;
}

Settings readSettings(const IniFile& ini, const Settings& defaults) {
    Settings s = defaults;
    for (const BoolKey& k : kBoolKeys) {
        s.*k.member = ini.readBool(k.section, k.key, defaults.*k.member);
    }
    for (const TextKey& k : kTextKeys) {
        s.*k.member = ini.readString(k.section, k.key, defaults.*k.member);
    }
    for (int c = 0; c < kColumnsRead; ++c) {
        auto& width = s.columnWidths[static_cast<std::size_t>(c)];
        width = ini.readInteger(kColumns, std::to_string(c), width);
    }
    for (auto [key, member] : {std::pair{"ControlPort", &Settings::controlPort},
                               std::pair{"FilePort", &Settings::filePort}}) {
        const int port = ini.readInteger(kSharing, key, defaults.*member);
        s.*member = port > 0 && port <= 65535 ? port : 0;
    }
    return s;
}

void writeOptions(IniFile& ini, const Settings& settings) {
    // Section by section, in the order of the options dialog.
    for (std::string_view section : {kGeneral, kDirectories, kFileOperations}) {
        for (const BoolKey& k : kBoolKeys) {
            if (k.section == section) {
                ini.writeBool(k.section, k.key, settings.*k.member);
            }
        }
        for (const TextKey& k : kTextKeys) {
            if (k.section == section) {
                ini.writeString(k.section, k.key, settings.*k.member);
            }
        }
    }
}

void writeColumnWidths(IniFile& ini, const ColumnWidths& widths) {
    for (int c = 0; c < kColumnCount; ++c) {
        ini.writeInteger(kColumns, std::to_string(c), widths[static_cast<std::size_t>(c)]);
    }
}

SettingsStore::SettingsStore(DataPack& pack, std::string homeDir)
    : pack_(pack), homeDir_(std::move(homeDir)) {
    if (homeDir_.empty()) {
        homeDir_ = QDir::homePath().toStdString();
    }
}

Settings SettingsStore::defaults() const {
    return defaultSettings(pack_.programDir(), homeDir_);
}

IniFile SettingsStore::stored() {
    // Read in memory: nothing is left in the data directory, whatever happens later.
    std::optional<std::string> text = pack_.readEntry(kEntry);
    return text ? IniFile(*text) : IniFile();
}

void SettingsStore::store(const IniFile& ini) {
    pack_.writeEntry(kEntry, ini.text());
}

Settings SettingsStore::read() {
    return readSettings(stored(), defaults());
}

void SettingsStore::save(const Settings& settings) {
    IniFile ini = stored();
    writeOptions(ini, settings);
    store(ini);
}

void SettingsStore::saveColumnWidths(const ColumnWidths& widths) {
    IniFile ini = stored();
    writeColumnWidths(ini, widths);
    store(ini);
}

ColumnWidths SettingsStore::resetWorkspace(FormPlacement& placement) {
    placement.remove();
    saveColumnWidths(kDefaultColumnWidths);
    return kDefaultColumnWidths;
}

bool applyIntegration(DesktopIntegration& desktop, const Settings& settings, const std::string& exe,
                      MessageSource& messages) {
    if (!settings.integrate) {
        return desktop.setIntegrate(false, exe, {});
    }
    return desktop.setIntegrate(true, exe, messages.message(ask::kTable, ask::kAddToTarnu));
}

}  // namespace tarnu
