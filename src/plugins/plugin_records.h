#pragma once

// The byte records that plug-ins and Tarnu exchange: 256-byte text fields, the 1538-byte
// item record and the 262-byte selection criteria record. Read and written byte by byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "operations/selection.h"

namespace tarnu {

inline constexpr std::size_t kTextFieldSize = 256;
inline constexpr std::size_t kTextMax = 255;
inline constexpr std::size_t kItemRecordSize = 1538;
inline constexpr std::size_t kCriteriaRecordSize = 262;

// Item record offsets.
inline constexpr std::size_t kItemName = 0;
inline constexpr std::size_t kItemFullPath = 256;
inline constexpr std::size_t kItemParentPath = 512;
inline constexpr std::size_t kItemKind = 768;
inline constexpr std::size_t kItemHotKey = 1024;
inline constexpr std::size_t kItemLocked = 1280;
inline constexpr std::size_t kItemNoMark = 1281;
inline constexpr std::size_t kItemIndex = 1282;

using TextField = std::array<unsigned char, kTextFieldSize>;
using ItemBytes = std::array<unsigned char, kItemRecordSize>;
using CriteriaBytes = std::array<unsigned char, kCriteriaRecordSize>;

// The text of a field at the start of bytes.
std::string readTextField(const unsigned char* field);
// Writes text, cut to 255 bytes, into the 256 bytes at field; the rest becomes zero.
void writeTextField(unsigned char* field, std::string_view text);
TextField makeTextField(std::string_view text);

struct ItemRecord {
    std::string name;
    std::string fullPath;
    std::string parentPath;
    std::string kind;
    std::string hotKey;
    // Raw bytes: only 0 and 1 ask for a lock change.
    std::uint8_t lockFlag = 0;
    std::uint8_t noMarkFlag = 0;
    std::string index;
};

ItemRecord decodeItemRecord(const ItemBytes& bytes);
// Every byte not taken by a text is zero.
ItemBytes encodeItemRecord(const ItemRecord& record);

SelectionCriteria decodeCriteria(const CriteriaBytes& bytes);
CriteriaBytes encodeCriteria(const SelectionCriteria& criteria);

}  // namespace tarnu
