#pragma once

// Ports that ask nothing and show nothing, for benchmarks of UI-free commands.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "document/message_source.h"
#include "platform/event_pump.h"
#include "platform/icons.h"
#include "platform/ui.h"

namespace tarnu::bench {

class QuietUi : public Ui {
public:
    // What every input box answers.
    std::optional<std::string> inputAnswer;

    void showMessage(std::string_view) override {}
    void showError(std::string_view text) override {
        std::fprintf(stderr, "error: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    bool confirm(std::string_view) override { return false; }
    SaveChoice askSaveChanges(std::string_view) override { return SaveChoice::Discard; }
    std::optional<std::string> inputBox(std::string_view, std::string_view,
                                        std::string_view) override {
        return inputAnswer;
    }
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions&) override { return {}; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override {
        return std::nullopt;
    }
    std::optional<std::string> chooseFolder(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void setStatus(int, std::string_view) override {}
};

class NoMessages : public MessageSource {
public:
    std::string message(std::string_view, int) override { return {}; }
};

class PlainIcons : public Icons {
public:
    int folderIcon() override { return 1; }
    int plainFileIcon() override { return 2; }
    int fileIcon(const std::string& path) override { return 3 + static_cast<int>(path.size() % 7); }
};

class NoPump : public EventPump {
public:
    void processPendingEvents() override {}
};

}  // namespace tarnu::bench
