#pragma once

// Small stand-ins for ports and services in tests.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "document/link_record_services.h"
#include "document/message_source.h"
#include "platform/icons.h"

namespace tarnu::testing {

class FakeIcons : public Icons {
public:
    int folderIcon() override { return 1; }
    int plainFileIcon() override { return 2; }
    int fileIcon(const std::string& path) override { return 100 + static_cast<int>(path.size()); }
};

class FakeMessages : public MessageSource {
public:
    std::string message(std::string_view table, int n) override {
        return std::string(table) + "#" + std::to_string(n);
    }
};

// Records what loading asks for; refuses the hot keys listed in refused.
class FakeLinkServices : public LinkRecordServices {
public:
    void relock(Node& node) override {
        relocked.emplace_back(node.text(1));
        if (lockSucceeds) {
            node.ensureLinkRecord().lockHandle = 42;
        }
    }
    bool registerHotKey(std::uint32_t value) override {
        if (refused.count(value)) {
            return false;
        }
        registered.push_back(value);
        return true;
    }
    void checkLinks() override { ++checks; }

    bool lockSucceeds = true;
    std::set<std::uint32_t> refused;
    std::vector<std::string> relocked;
    std::vector<std::uint32_t> registered;
    int checks = 0;
};

}  // namespace tarnu::testing
