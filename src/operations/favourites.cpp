#include "operations/favourites.h"

#include <algorithm>

#include "common/path.h"
#include "common/text_lines.h"
#include "document/messages.h"
#include "document/zubook.h"

namespace tarnu {

namespace {

constexpr std::string_view kInputCaption = "Tarnu";

}  // namespace

FavouriteBooks::FavouriteBooks(DataPack& dataPack, Ui& ui, MessageSource& messages,
                               std::string userDataDir)
    : dataPack_(dataPack), ui_(ui), messages_(messages), userDataDir_(std::move(userDataDir)) {}

std::vector<Favourite> FavouriteBooks::parse(std::string_view entry) {
    const std::vector<std::string> lines = splitLines(entry);
    std::vector<Favourite> items;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        items.push_back({lines[i], lines[i + 1]});
    }
    return items;
}

std::string FavouriteBooks::format(const std::vector<Favourite>& items) {
    std::string text;
    for (const Favourite& item : items) {
        text += item.storedPath + "\r\n" + item.caption + "\r\n";
    }
    return text;
}

void FavouriteBooks::load() {
    std::optional<std::string> entry = dataPack_.readEntry(kFavouritesEntry);
    items_ = entry ? parse(*entry) : std::vector<Favourite>{};
    changed_ = false;
}

void FavouriteBooks::save() {
    if (!changed_) {
        return;
    }
    changed_ = false;
    if (!items_.empty()) {
        dataPack_.writeEntry(kFavouritesEntry, format(items_));
    } else {
        dataPack_.deleteEntry(kFavouritesEntry);
    }
}

int FavouriteBooks::aAddToFavoriteExecute() {
    FileDialogOptions options;
    options.filter = kZuBookFilter;
    options.defaultExt = "*.dua";
    options.startDir = userDataDir_;
    options.multiSelect = true;
    options.mustExist = true;
    int added = 0;
    for (const std::string& file : ui_.chooseOpenFiles(options)) {
        std::string stored = path::captionPath(file, userDataDir_);
        // File names are case-sensitive here: Book.dua and book.dua are two ZuBooks.
        if (std::ranges::any_of(items_,
                                [&](const Favourite& f) { return f.storedPath == stored; })) {
            continue;
        }
        auto caption =
            ui_.inputBox(kInputCaption, messages_.message(ask::kTable, ask::kFavouriteNamePrompt),
                         kNewFavouriteCaption);
        if (caption) {
            items_.push_back({std::move(stored), std::move(*caption)});
            changed_ = true;
            ++added;
        }
    }
    return added;
}

bool FavouriteBooks::rename(std::size_t k) {
    if (k >= items_.size()) {
        return false;
    }
    auto caption =
        ui_.inputBox(kInputCaption, messages_.message(ask::kTable, ask::kFavouriteRenamePrompt),
                     items_[k].caption);
    // The list may have changed while the box was open.
    if (!caption || k >= items_.size()) {
        return false;
    }
    items_[k].caption = std::move(*caption);
    changed_ = true;
    return true;
}

bool FavouriteBooks::remove(std::size_t k) {
    if (k >= items_.size()) {
        return false;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(k));
    changed_ = true;
    return true;
}

std::string FavouriteBooks::usablePath(std::size_t k) const {
    return k < items_.size() ? path::usablePath(items_[k].storedPath, userDataDir_) : std::string{};
}

}  // namespace tarnu
