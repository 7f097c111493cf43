#pragma once

// The file-dialog options of the Ui port in the forms that Qt's file dialog takes.

#include <QString>
#include <string_view>

namespace tarnu {

// "Text (*.x)|*.x|All files (*.*)|*.*" becomes "Text (*.x);;All files (*)". Qt takes the
// patterns of a filter from its last parentheses, so a description that does not already end
// in its own mask gets the mask appended; masks separated by ";" become one list. "*.*"
// becomes "*", which also matches names without a dot. A description without a mask is
// dropped.
QString qtFileFilter(std::string_view filter);

// "*.dua", ".dua" or "dua" becomes "dua"; a mask with wildcards in its extension ("*.*", "*")
// gives no suffix.
QString defaultSuffix(std::string_view defaultExt);

}  // namespace tarnu
