#pragma once

// Favourite ZuBooks: pairs of a ZuBook file's stored path and a button caption, kept in
// memory from start to exit and in the data pack's entry "FavZuBooks.fzb" (CR LF lines,
// path and caption by turns).

#include <string>
#include <string_view>
#include <vector>

#include "document/data_pack.h"
#include "document/message_source.h"
#include "platform/ui.h"

namespace tarnu {

inline constexpr std::string_view kFavouritesEntry = "FavZuBooks.fzb";
inline constexpr std::string_view kNewFavouriteCaption = "FavZuBook";

struct Favourite {
    std::string storedPath;  // in the caption-path form
    std::string caption;
};

class FavouriteBooks {
public:
    // Everything given must outlive this object.
    FavouriteBooks(DataPack& dataPack, Ui& ui, MessageSource& messages, std::string userDataDir);

    const std::vector<Favourite>& items() const { return items_; }

    // At start: the entry's pairs; a trailing line without its caption is dropped, so that
    // later pairs stay aligned.
    void load();
    // At exit: the entry gets the list, or goes when the list is empty. An unchanged list
    // leaves the data pack alone.
    void save();

    static std::vector<Favourite> parse(std::string_view entry);
    static std::string format(const std::vector<Favourite>& items);

    // "Add ZuBook to favorite": each chosen file not yet in the list, under a caption asked
    // for. Returns how many were added.
    int aAddToFavoriteExecute();
    // "Rename" and "Delete" of favourite k; false when there is no such favourite or the
    // user cancels.
    bool rename(std::size_t k);
    bool remove(std::size_t k);
    // The file favourite k stands for (also the button's hint); empty when there is none.
    std::string usablePath(std::size_t k) const;

private:
    DataPack& dataPack_;
    Ui& ui_;
    MessageSource& messages_;
    std::string userDataDir_;
    std::vector<Favourite> items_;
    bool changed_ = false;
};

}  // namespace tarnu
