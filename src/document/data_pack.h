#pragma once

// The program's data files: the data pack "Data/ZuData.dta" (message tables, caption lists,
// window captions and a few writable entries) and the image pack "Data/ZuIm.qii" (JPEG
// pictures). Both are archives opened through the main window's archive object, which is
// closed again before any operation here returns.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zlb_archive.h"
#include "common/error.h"
#include "document/message_source.h"
#include "document/picture.h"

namespace tarnu {

// The data pack is missing, too short to be one, or damaged: the program cannot go on
// without it.
class DataPackMissing : public Error {
public:
    using Error::Error;
};

// A window whose components take their texts from a caption list.
class CaptionTarget {
public:
    virtual ~CaptionTarget() = default;
    // Sets the caption of the component of exactly this name (letter case counts) or, when
    // it has no caption but an editable text, that text. False, with nothing changed, when
    // the window has no such component or the component has neither.
    virtual bool setCaption(std::string_view component, std::string_view text) = 0;
};

// The auxiliary windows whose captions "FormsCaptions.fc" holds, by line number.
enum class AuxWindow {
    HotKey = 0,
    Options = 1,
    AddOptions = 2,
    About = 3,
    Search = 4,
    PlugIns = 5,
    ExpandSelection = 8,
    ServerSearch = 9,
    Server = 10,
    AddAction = 11,
};

class WindowCaptionTarget {
public:
    virtual ~WindowCaptionTarget() = default;
    virtual void setWindowCaption(AuxWindow window, std::string_view caption) = 0;
};

class DataPack final : public MessageSource {
public:
    // A data pack of fewer bytes cannot be one.
    static constexpr std::int64_t kMinimumSize = 62;

    // Gives the archive object the settings of every archive object of the program:
    // maximum compression and a CRC check of every entry extracted. The program files hold
    // the image pack and the shipped data pack; the user data directory holds the data pack
    // in use and every file written. One directory for both is the portable layout.
    DataPack(std::string programFilesDir, std::string userDataDir, TZLBArchive& archive);
    DataPack(const std::string& programDir, TZLBArchive& archive)
        : DataPack(programDir, programDir, archive) {}

    // The program directory of the stored-path rules: the user data directory.
    const std::string& programDir() const { return userDataDir_; }
    const std::string& programFilesDir() const { return programFilesDir_; }
    const std::string& userDataDir() const { return userDataDir_; }
    // The writable "Data" directory.
    std::string dataDir() const;
    std::string dataPackPath() const;
    std::string imagePackPath() const;

    // Whether a shipped data pack stands apart from the one in use (installed mode).
    bool hasTemplate() const { return programFilesDir_ != userDataDir_; }
    std::string templatePath() const;
    // Installed mode, first start: copies the shipped data pack into the user data
    // directory. Raises DataPackMissing, naming what is missing, when there is no user data
    // directory, no shipped data pack, or the directory cannot be written.
    void makeUserCopy();
    bool dataDirWritable() const;
    // Keeps the data pack in use as "ZuData.dta.damaged" beside it and puts a copy of the
    // shipped one in its place.
    void restoreFromTemplate();

    // The archive object open on the data pack for as long as the session lives.
    class Session {
    public:
        explicit Session(TZLBArchive& archive) : archive_(archive) {}
        ~Session() { archive_.close(); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;
        TZLBArchive& archive() { return archive_; }

    private:
        TZLBArchive& archive_;
    };

    // Opens the data pack. Raises DataPackMissing when the file is missing, shorter than
    // kMinimumSize or fails to open as an archive.
    [[nodiscard]] Session open();

    // The uncompressed bytes of an entry; nothing when the entry is absent. An entry that
    // cannot be extracted raises DataPackMissing.
    std::optional<std::string> readEntry(std::string_view name);
    // Gives the entry these bytes, adding it when absent.
    void writeEntry(std::string_view name, std::string_view bytes);
    // Removes the entry; nothing when it is absent.
    void deleteEntry(std::string_view name);
    // Writes the entry into a file of its name in the directory; false when it is absent.
    bool extractEntry(std::string_view name, const std::string& directory);

    // Line n of the table, counted from 0; empty when the table is absent or shorter, so
    // that the caller keeps its built-in text.
    std::string message(std::string_view table, int n) override;
    // Sets the texts of a window's components from a caption list; nothing when absent.
    void applyCaptionList(CaptionTarget& window, std::string_view list);
    // Sets the captions of the auxiliary windows from "FormsCaptions.fc"; nothing when it is
    // absent. A window whose line is missing or empty keeps its own caption.
    void applyWindowCaptions(WindowCaptionTarget& windows);
    // A picture of the image pack; nothing when the image pack or the entry is absent, when
    // the image pack is damaged, or when the entry is not a picture that can be decoded.
    std::optional<Picture> loadPicture(std::string_view entry);

private:
    std::optional<std::vector<std::string>> readLines(std::string_view name);
    DataPackMissing missing() const;

    std::string programFilesDir_;
    std::string userDataDir_;
    TZLBArchive& archive_;
};

}  // namespace tarnu
