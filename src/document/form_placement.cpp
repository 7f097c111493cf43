#include "document/form_placement.h"

#include <QFile>
#include <QString>

#include <array>
#include <utility>

#include "common/error.h"
#include "document/ini_file.h"

namespace tarnu {

namespace {

constexpr std::string_view kSection = "Tarnu";
constexpr std::string_view kFormVersion = "FormVersion";
constexpr std::string_view kFlags = "Flags";
constexpr std::string_view kShowCmd = "ShowCmd";
constexpr std::string_view kPixelsPerInch = "PixelsPerInch";
constexpr std::string_view kMinMaxPos = "MinMaxPos";
constexpr std::string_view kNormPos = "NormPos";
constexpr std::string_view kVisible = "Visible";

// Four integers separated by commas; false unless the text is exactly that.
bool parseFour(std::string_view text, std::array<int, 4>& out) {
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto comma = text.find(',');
        const bool last = i + 1 == out.size();
        if (last != (comma == std::string_view::npos)) {
            return false;
        }
        if (!parseProfileInteger(text.substr(0, comma), out[i])) {
            return false;
        }
        text.remove_prefix(last ? text.size() : comma + 1);
    }
    return true;
}

std::string formatFour(int a, int b, int c, int d) {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
           std::to_string(d);
}

}  // namespace

std::optional<ShowState> WindowPlacement::showState() const {
    switch (showCmd) {
        case 1:
        case 5:
        case 9:
            return ShowState::Normal;
        case 2:
        case 6:
        case 7:
            return ShowState::Minimised;
        case 3:
            return ShowState::Maximised;
        default:
            return std::nullopt;
    }
}

bool WindowPlacement::positionAppliesAt(int screenPixelsPerInch) const {
    return pixelsPerInch == screenPixelsPerInch && normalPosition.left < normalPosition.right &&
           normalPosition.top < normalPosition.bottom;
}

FormPlacement::FormPlacement(std::string filePath) : filePath_(std::move(filePath)) {}

std::optional<WindowPlacement> FormPlacement::read() const {
    const IniFile ini = IniFile::load(filePath_);
    WindowPlacement p;
    // A file without the key is not a placement of this window.
    p.formVersion = ini.readInteger(kSection, kFormVersion, -1);
    if (p.formVersion < 0) {
        return std::nullopt;
    }
    p.flags = ini.readInteger(kSection, kFlags, 0);
    p.showCmd = ini.readInteger(kSection, kShowCmd, WindowPlacement::kShowNormal);
    p.pixelsPerInch = ini.readInteger(kSection, kPixelsPerInch, 0);
    p.visible = ini.readBool(kSection, kVisible, false);
    std::array<int, 4> v{};
    if (parseFour(ini.readString(kSection, kMinMaxPos, {}), v)) {
        p.minPosition = {v[0], v[1]};
        p.maxPosition = {v[2], v[3]};
    }
    if (parseFour(ini.readString(kSection, kNormPos, {}), v)) {
        p.normalPosition = {v[0], v[1], v[2], v[3]};
    }
    return p;
}

void FormPlacement::write(const WindowPlacement& p) {
    IniFile ini = IniFile::load(filePath_);
    ini.writeInteger(kSection, kFormVersion, p.formVersion);
    ini.writeInteger(kSection, kFlags, p.flags);
    ini.writeInteger(kSection, kShowCmd, p.showCmd);
    ini.writeInteger(kSection, kPixelsPerInch, p.pixelsPerInch);
    ini.writeString(kSection, kMinMaxPos,
                    formatFour(p.minPosition.x, p.minPosition.y, p.maxPosition.x, p.maxPosition.y));
    const PlacementRect& r = p.normalPosition;
    ini.writeString(kSection, kNormPos, formatFour(r.left, r.top, r.right, r.bottom));
    ini.writeBool(kSection, kVisible, p.visible);
    ini.save(filePath_);
}

void FormPlacement::clearMinimised() {
    if (!QFile::exists(QString::fromStdString(filePath_))) {
        return;
    }
    IniFile ini = IniFile::load(filePath_);
    if (ini.readInteger(kSection, kShowCmd, 0) == WindowPlacement::kShowMinimised) {
        ini.writeInteger(kSection, kShowCmd, WindowPlacement::kShowNormal);
        ini.save(filePath_);
    }
}

void FormPlacement::remove() {
    QFile file(QString::fromStdString(filePath_));
    if (file.exists() && !file.remove()) {
        throw Error("Unable to delete " + filePath_ + ": " + file.errorString().toStdString());
    }
}

}  // namespace tarnu
