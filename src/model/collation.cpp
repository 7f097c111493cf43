#include "model/collation.h"

#include <locale.h>
#include <string.h>
#include <wctype.h>

#include <algorithm>
#include <cwchar>
#include <numeric>

namespace tarnu {

std::vector<std::uint32_t> Collation::sortedOrder(std::span<const std::string_view> texts) const {
    std::vector<std::uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return compare(texts[a], texts[b]) < 0;
    });
    return order;
}

int AsciiCollation::compare(std::string_view a, std::string_view b) const {
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = fold(static_cast<unsigned char>(a[i])) - fold(static_cast<unsigned char>(b[i]));
        if (d != 0) {
            return d;
        }
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

namespace {

locale_t toLocale(void* p) {
    return static_cast<locale_t>(p);
}

}  // namespace

LocaleCollation::LocaleCollation(const char* localeName) {
    locale_t loc = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, localeName, nullptr);
    if (!loc) {
        loc = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, "C", nullptr);
    }
    locale_ = loc;
}

LocaleCollation::~LocaleCollation() {
    freelocale(toLocale(locale_));
}

std::wstring LocaleCollation::sortKey(std::string_view text) const {
    locale_t loc = toLocale(locale_);
    // Decode with the locale's character set; bytes it cannot decode keep their own value.
    locale_t previous = uselocale(loc);
    std::wstring wide;
    wide.reserve(text.size());
    std::mbstate_t state{};
    for (std::size_t i = 0; i < text.size();) {
        wchar_t c = 0;
        std::size_t n = std::mbrtowc(&c, text.data() + i, text.size() - i, &state);
        if (n == 0 || n > text.size() - i) {
            c = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
            n = 1;
            state = {};
        }
        wide.push_back(static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), loc)));
        i += n;
    }
    uselocale(previous);
    std::wstring key(wide.size() * 4 + 8, L'\0');
    std::size_t need = wcsxfrm_l(key.data(), wide.c_str(), key.size(), loc);
    if (need >= key.size()) {
        key.assign(need + 1, L'\0');
        wcsxfrm_l(key.data(), wide.c_str(), key.size(), loc);
    }
    key.resize(need);
    return key;
}

int LocaleCollation::compare(std::string_view a, std::string_view b) const {
    return sortKey(a).compare(sortKey(b));
}

std::vector<std::uint32_t> LocaleCollation::sortedOrder(
    std::span<const std::string_view> texts) const {
    std::vector<std::wstring> keys;
    keys.reserve(texts.size());
    for (auto t : texts) {
        keys.push_back(sortKey(t));
    }
    std::vector<std::uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    return order;
}

}  // namespace tarnu
