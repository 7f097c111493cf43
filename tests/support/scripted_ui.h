#pragma once

// A Ui that answers from a script and records what it was shown.

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarnu::testing {

class ScriptedUi : public Ui {
public:
    // Answers, taken in order; a prompt with no answer left fails the test loudly.
    std::deque<std::optional<std::string>> inputs;
    std::deque<bool> confirmations;
    std::deque<SaveChoice> saveChoices;
    std::deque<std::vector<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;
    std::deque<std::optional<std::string>> folders;

    // What was shown.
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::string> prompts;
    std::vector<FileDialogOptions> dialogs;
    std::vector<std::string> status{std::vector<std::string>(3)};

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    void showError(std::string_view text) override { errors.emplace_back(text); }
    bool confirm(std::string_view text) override {
        prompts.emplace_back(text);
        return take(confirmations, "confirmation");
    }
    SaveChoice askSaveChanges(std::string_view text) override {
        prompts.emplace_back(text);
        return take(saveChoices, "save question");
    }
    std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                        std::string_view initial) override {
        prompts.push_back(std::string(caption) + "|" + std::string(prompt) + "|" +
                          std::string(initial));
        return take(inputs, "input box");
    }
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& options) override {
        dialogs.push_back(options);
        return take(openFiles, "open dialog");
    }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override {
        dialogs.push_back(options);
        return take(saveFiles, "save dialog");
    }
    std::optional<std::string> chooseFolder(std::string_view title,
                                            std::string_view startDir) override {
        prompts.push_back(std::string(title) + "|" + std::string(startDir));
        return take(folders, "folder browser");
    }
    void setStatus(int panel, std::string_view text) override {
        if (panel >= static_cast<int>(status.size())) {
            status.resize(static_cast<std::size_t>(panel) + 1);
        }
        status[static_cast<std::size_t>(panel)] = std::string(text);
    }

private:
    template <typename T>
    static T take(std::deque<T>& answers, const char* what) {
        if (answers.empty()) {
            throw std::logic_error(std::string("unexpected ") + what);
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

}  // namespace tarnu::testing
