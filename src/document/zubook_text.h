#pragma once

// ZuBooks as readable text: a description of a ZuBook file for people and tests, and the
// outline from which the shipped starter ZuBook is built.

#include <string>
#include <string_view>

#include "document/zubook_file.h"
#include "model/hotkey_text.h"
#include "model/tree.h"

namespace tarnu {

// The tree in the order the file stores it, with every column, link record and expansion
// flag, then the hot folders and the shared tree. Raises as the reader does, "Stream read
// error" on a damaged node stream.
std::string describeZuBook(ZuBookReader& reader);

// Builds ZuFolders from an outline: one node per line, two blanks of indent per level,
// "name | comment"; blank lines and lines starting with "#" are skipped. Raises an Error
// naming the line for an indent that skips a level.
void buildFromOutline(ZuTree& tree, std::string_view outline);

}  // namespace tarnu
