#pragma once

// The program's options: an INI text kept as the entry "Tarnu.ini" of the data pack, with
// the widths of the ZuBook columns in the same text.

#include <array>
#include <string>

#include "document/data_pack.h"
#include "document/ini_file.h"
#include "model/tree.h"
#include "platform/desktop_integration.h"

namespace tarnu {

class FormPlacement;

using ColumnWidths = std::array<int, kColumnCount>;
// Column 5 (the hidden comment) is written with the others but never read back, so its
// width is whatever the tree has.
inline constexpr ColumnWidths kDefaultColumnWidths{150, 250, 40, 100, 50, 100};

struct Settings {
    // "General"
    bool closeAsMin = true;
    bool showTrayIcon = true;
    bool runMin = false;
    bool integrate = false;
    bool bringToFront = false;
    bool autoSaveOnChanges = false;
    bool loadArchOnStartup = false;
    bool showComments = true;
    std::string loadArch;
    // "Directories", stored in caption-path form (path::captionPath)
    std::string defDir;
    std::string saveDir;
    std::string downloadDir;
    // "FFOperations"
    bool recurce = true;
    bool addFiles = true;
    bool delExt = true;
    bool ask = true;
    // "Columns"
    ColumnWidths columnWidths = kDefaultColumnWidths;
    // "Sharing": the ports this copy listens on, 0 for the standard ones. Kept in the INI
    // text by hand (no dialog edits them), so writeOptions leaves the section alone.
    int controlPort = 0;
    int filePort = 0;

    bool operator==(const Settings&) const = default;
};

// The defaults: the directories are the user's home directory (there is no drive root to
// start from), the program directory, and the home directory's "Downloads" when it exists,
// else the program directory's "Download".
Settings defaultSettings(const std::string& programDir, const std::string& homeDir);

// Every key of the sections "General", "Directories", "FFOperations", "Sharing" and the
// widths of columns 0 to 4, each with the default's value where the text lacks it. A port
// outside 1 to 65535 reads as 0.
Settings readSettings(const IniFile& ini, const Settings& defaults);
// Writes the sections "General", "Directories" and "FFOperations"; other sections stay.
void writeOptions(IniFile& ini, const Settings& settings);
// Writes section "Columns", keys "0" to "5".
void writeColumnWidths(IniFile& ini, const ColumnWidths& widths);

// Reads and stores the settings in the data pack.
class SettingsStore {
public:
    static constexpr std::string_view kEntry = "Tarnu.ini";

    // homeDir defaults to the user's home directory.
    explicit SettingsStore(DataPack& pack, std::string homeDir = {});

    Settings defaults() const;
    // The stored settings, or the defaults when the data pack has no settings entry.
    Settings read();
    // OK in the options dialog: stores the three option sections and keeps the rest of the
    // stored text (the column widths above all); creates the entry when absent.
    void save(const Settings& settings);
    void saveColumnWidths(const ColumnWidths& widths);
    // The data side of "Reset workspace": forgets the main window's placement and stores
    // the default column widths, which it returns for the tree.
    ColumnWidths resetWorkspace(FormPlacement& placement);

private:
    IniFile stored();
    void store(const IniFile& ini);

    DataPack& pack_;
    std::string homeDir_;
};

// Offers or withdraws the desktop's "add to Tarnu" entries as the "Integrate" setting says;
// their text is message 16 of "AskRes.ar". False when the desktop refused.
bool applyIntegration(DesktopIntegration& desktop, const Settings& settings, const std::string& exe,
                      MessageSource& messages);

}  // namespace tarnu
