#include "plugins/plugin_records.h"

#include <algorithm>

namespace tarnu {

std::string readTextField(const unsigned char* field) {
    return std::string(reinterpret_cast<const char*>(field + 1), field[0]);
}

void writeTextField(unsigned char* field, std::string_view text) {
    const std::size_t length = std::min(text.size(), kTextMax);
    std::fill_n(field, kTextFieldSize, 0);
    field[0] = static_cast<unsigned char>(length);
    std::copy_n(text.begin(), length, field + 1);
}

TextField makeTextField(std::string_view text) {
    TextField field{};
    writeTextField(field.data(), text);
    return field;
}

ItemRecord decodeItemRecord(const ItemBytes& bytes) {
    const unsigned char* at = bytes.data();
    ItemRecord record;
    record.name = readTextField(at + kItemName);
    record.fullPath = readTextField(at + kItemFullPath);
    record.parentPath = readTextField(at + kItemParentPath);
    record.kind = readTextField(at + kItemKind);
    record.hotKey = readTextField(at + kItemHotKey);
    record.lockFlag = at[kItemLocked];
    record.noMarkFlag = at[kItemNoMark];
    record.index = readTextField(at + kItemIndex);
    return record;
}

ItemBytes encodeItemRecord(const ItemRecord& record) {
    ItemBytes bytes{};
    unsigned char* at = bytes.data();
    writeTextField(at + kItemName, record.name);
    writeTextField(at + kItemFullPath, record.fullPath);
    writeTextField(at + kItemParentPath, record.parentPath);
    writeTextField(at + kItemKind, record.kind);
    writeTextField(at + kItemHotKey, record.hotKey);
    at[kItemLocked] = record.lockFlag;
    at[kItemNoMark] = record.noMarkFlag;
    writeTextField(at + kItemIndex, record.index);
    return bytes;
}

SelectionCriteria decodeCriteria(const CriteriaBytes& bytes) {
    SelectionCriteria criteria;
    criteria.pattern = readTextField(bytes.data());
    criteria.clear = bytes[256] == 1;
    criteria.skipZuFolders = bytes[257] == 1;
    criteria.skipFolders = bytes[258] == 1;
    criteria.skipFiles = bytes[259] == 1;
    criteria.caseSensitive = bytes[260] == 1;
    // Any value but 1 and 2 counts as the caption.
    criteria.text = bytes[261] == 1   ? MatchedText::FullPath
                    : bytes[261] == 2 ? MatchedText::FileName
                                      : MatchedText::Caption;
    return criteria;
}

CriteriaBytes encodeCriteria(const SelectionCriteria& criteria) {
    CriteriaBytes bytes{};
    writeTextField(bytes.data(), criteria.pattern);
    bytes[256] = criteria.clear ? 1 : 0;
    bytes[257] = criteria.skipZuFolders ? 1 : 0;
    bytes[258] = criteria.skipFolders ? 1 : 0;
    bytes[259] = criteria.skipFiles ? 1 : 0;
    bytes[260] = criteria.caseSensitive ? 1 : 0;
    bytes[261] = static_cast<unsigned char>(criteria.text);
    return bytes;
}

}  // namespace tarnu
