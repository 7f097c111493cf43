#pragma once

// Texts are UTF-8 byte strings below the windows; QString only here.

#include <QString>
#include <string>
#include <string_view>

namespace tarnu {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace tarnu
