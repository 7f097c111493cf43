#pragma once

// The order of captions among siblings. The program passes the user locale's
// case-insensitive collation; tests and tools use the deterministic ASCII one.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnu {

class Collation {
public:
    virtual ~Collation() = default;

    // Negative, zero or positive, as a before b, equal, after.
    virtual int compare(std::string_view a, std::string_view b) const = 0;

    // The positions of texts in ascending order, equal texts kept in their given order.
    // Implementations whose compare is costly override this with sort keys computed once.
    virtual std::vector<std::uint32_t> sortedOrder(std::span<const std::string_view> texts) const;
};

// Byte order with A-Z folded to lower case: cheap and the same everywhere.
class AsciiCollation final : public Collation {
public:
    int compare(std::string_view a, std::string_view b) const override;
};

// The collation of the environment's LC_COLLATE locale, with letter case ignored
// (lower-cased before collating).
class LocaleCollation final : public Collation {
public:
    // "" takes the locale from the environment; falls back to "C" when it is unknown.
    explicit LocaleCollation(const char* localeName = "");
    ~LocaleCollation() override;
    LocaleCollation(const LocaleCollation&) = delete;
    LocaleCollation& operator=(const LocaleCollation&) = delete;

    int compare(std::string_view a, std::string_view b) const override;
    std::vector<std::uint32_t> sortedOrder(std::span<const std::string_view> texts) const override;

    // A key whose plain order is this collation's order.
    std::wstring sortKey(std::string_view text) const;

private:
    void* locale_;  // locale_t
};

}  // namespace tarnu
