// A test plug-in built, like a third party's, against nothing but the SDK header. It runs the
// commands listed in probe.in in the program directory and writes each answer to probe.log
// there: numbers as they come, records and text fields as hex.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tarnu_plugin.h"

#ifndef PROBE_ABI
#define PROBE_ABI TARNU_PLUGIN_ABI_VERSION
#endif

TARNU_EXPORT uint32_t qpAbiVersion(void) {
    return PROBE_ABI;
}

#ifndef PROBE_NO_EXPORTS
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    if (!text.empty() && text.back() == separator) {
        parts.emplace_back();
    }
    return parts;
}

std::string hex(const unsigned char* bytes, std::size_t size) {
    std::string out;
    char two[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        out += two;
    }
    return out;
}

std::string field(const std::vector<std::string>& args, std::size_t i) {
    return i < args.size() ? args[i] : std::string();
}

// name|full path|parent path|kind|lock byte|index
std::vector<unsigned char> itemRecord(const std::vector<std::string>& args) {
    std::vector<unsigned char> record(TARNU_ITEM_RECORD_SIZE, 0);
    tarnu_text_set(record.data() + TARNU_ITEM_NAME, field(args, 0).c_str());
    tarnu_text_set(record.data() + TARNU_ITEM_FULL_PATH, field(args, 1).c_str());
    tarnu_text_set(record.data() + TARNU_ITEM_PARENT_PATH, field(args, 2).c_str());
    tarnu_text_set(record.data() + TARNU_ITEM_KIND, field(args, 3).c_str());
    record[TARNU_ITEM_LOCKED] = static_cast<unsigned char>(std::atoi(field(args, 4).c_str()));
    tarnu_text_set(record.data() + TARNU_ITEM_INDEX, field(args, 5).c_str());
    return record;
}

// pattern|clear|skip ZuFolders|skip folders|skip files|case-sensitive|match
std::vector<unsigned char> criteriaRecord(const std::vector<std::string>& args) {
    std::vector<unsigned char> record(TARNU_CRITERIA_RECORD_SIZE, 0);
    tarnu_text_set(record.data(), field(args, 0).c_str());
    for (std::size_t i = 1; i <= 6; ++i) {
        record[255 + i] = static_cast<unsigned char>(std::atoi(field(args, i).c_str()));
    }
    return record;
}

struct Probe {
    TarnuHost* host;
    uint32_t message;
    std::ostringstream log;

    intptr_t send(uintptr_t wParam, intptr_t lParam) {
        return tarnu_send(host, message, wParam, lParam);
    }

    // Sends a record from plug-in memory and notes whether the program left it alone.
    void sendRecord(const std::string& verb, std::vector<unsigned char> record, intptr_t lParam) {
        const std::vector<unsigned char> before = record;
        const intptr_t result = send(reinterpret_cast<uintptr_t>(record.data()), lParam);
        log << verb << " " << result << (record == before ? " kept" : " WRITTEN") << "\n";
    }

    void run(const std::string& line) {
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        const std::vector<std::string> args = split(rest, '|');
        if (verb == "version" || verb == "dir") {
            auto* text = reinterpret_cast<const unsigned char*>(
                send(0, verb == "version" ? TARNU_CMD_VERSION : TARNU_CMD_PROGRAM_DIR));
            log << verb << " " << hex(text, 1u + text[0]) << "\n";
        } else if (verb == "count") {
            log << "count " << send(0, TARNU_CMD_SELECTION_COUNT) << "\n";
        } else if (verb == "get") {
            auto* record = reinterpret_cast<const unsigned char*>(
                send(std::strtoul(rest.c_str(), nullptr, 10), TARNU_CMD_GET_ITEM));
            log << "get " << hex(record, TARNU_ITEM_RECORD_SIZE) << "\n";
        } else if (verb == "set" || verb == "add" || verb == "del") {
            const intptr_t command = verb == "set"   ? TARNU_CMD_SET_ITEM
                                     : verb == "add" ? TARNU_CMD_ADD_ITEM
                                                     : TARNU_CMD_DELETE_ITEM;
            sendRecord(verb, itemRecord(args), command);
        } else if (verb == "select" || verb == "unselect") {
            sendRecord(verb, criteriaRecord(args),
                       verb == "select" ? TARNU_CMD_SELECT : TARNU_CMD_UNSELECT);
        } else if (verb == "below" || verb == "unbelow") {
            std::vector<unsigned char> path(TARNU_TEXT_FIELD_SIZE, 0);
            tarnu_text_set(path.data(), rest.c_str());
            sendRecord(verb, path,
                       verb == "below" ? TARNU_CMD_SELECT_BELOW : TARNU_CMD_UNSELECT_BELOW);
        } else if (verb == "all" || verb == "none") {
            log << verb << " "
                << send(0, verb == "all" ? TARNU_CMD_SELECT_ALL : TARNU_CMD_CLEAR_SELECTION)
                << "\n";
        } else if (verb == "other") {
            log << "other " << tarnu_send(host, message + 1, 0, TARNU_CMD_SELECTION_COUNT) << " "
                << send(0, 77) << "\n";
        } else if (verb == "throw") {
            throw std::runtime_error(rest);
        }
    }
};

}  // namespace

TARNU_EXPORT void qpExec(TarnuHost* window, uint32_t message) {
    Probe probe{window, message, {}};
    auto* dirField = reinterpret_cast<const unsigned char*>(probe.send(0, TARNU_CMD_PROGRAM_DIR));
    char dir[TARNU_TEXT_FIELD_SIZE];
    tarnu_text_get(dirField, dir, sizeof dir);
    std::ifstream script(std::string(dir) + "/probe.in");
    struct Flush {
        Probe& probe;
        std::string path;
        ~Flush() { std::ofstream(path, std::ios::binary) << probe.log.str(); }
    } flush{probe, std::string(dir) + "/probe.log"};
    for (std::string line; std::getline(script, line);) {
        probe.run(line);
    }
}

TARNU_EXPORT void qpExecProc(const unsigned char* programDir, const unsigned char* name,
                             const unsigned char* fullPath, const unsigned char* hotKey,
                             unsigned char locked) {
    char dir[TARNU_TEXT_FIELD_SIZE];
    tarnu_text_get(programDir, dir, sizeof dir);
    std::ofstream(std::string(dir) + "/plugins/fileinfo.htm", std::ios::binary)
        << "probe|" << hex(name, 256) << "|" << hex(fullPath, 256) << "|" << hex(hotKey, 256) << "|"
        << static_cast<int>(locked);
}
#endif
