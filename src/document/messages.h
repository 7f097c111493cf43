#pragma once

// The lines of the message table "AskRes.ar" that the program uses, named once.

#include <string_view>

namespace tarnu::ask {

inline constexpr std::string_view kTable = "AskRes.ar";

inline constexpr int kDeleteQuestion = 1;
inline constexpr int kNewFolderPrompt = 7;
inline constexpr int kRenameCaption = 8;
inline constexpr int kRenamePrompt = 9;
inline constexpr int kNewZuBookPrompt = 10;
inline constexpr int kZuBookExists = 11;
inline constexpr int kFavouriteNamePrompt = 12;
inline constexpr int kFavouriteRenamePrompt = 13;
inline constexpr int kAddToTarnu = 16;  // the desktop's "add to Tarnu" entries
inline constexpr int kVersionLine = 24;
// The summary line: "ZuBook: ", then the labels of the three counts.
inline constexpr int kSummaryZuBook = 25;
inline constexpr int kSummaryZuFolders = 26;
inline constexpr int kSummaryFolders = 27;
inline constexpr int kSummaryFiles = 28;
// The column captions of the hot-folders list.
inline constexpr int kHotFoldersKeyColumn = 29;
inline constexpr int kHotFoldersPathColumn = 30;

}  // namespace tarnu::ask
