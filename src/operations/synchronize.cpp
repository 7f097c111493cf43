#include "operations/synchronize.h"

#include <algorithm>

#include "common/path.h"

namespace tarnu {

namespace {

constexpr std::size_t kSummaryPaths = 5;

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

// A caption becomes one name inside the target directory: a separator would reach into
// other directories and ".." out of the target.
std::string safeName(std::string_view caption) {
    std::string name(caption);
    std::replace(name.begin(), name.end(), path::kSeparator, '_');
    if (name == "." || name == "..") {
        name.insert(0, "_");
    }
    return name;
}

bool isFolderLike(NodeKind kind) {
    return kind == NodeKind::ZuFolder || kind == NodeKind::Folder;
}

void planNode(ZuTree& tree, Node* node, const std::string& dir, const SyncChoices& choices,
              std::vector<SyncStep>& steps) {
    const NodeKind kind = node->kind();
    if (isFolderLike(kind)) {
        const std::string_view caption = node->text(kColCaption);
        const std::string target =
            path::join(dir, safeName(caption.empty() ? caption : caption.substr(1)));
        steps.push_back({SyncStep::Kind::MakeDirectory, node, target, {}, {}, {}});
        for (Node* child : tree.children(node)) {
            if (choices.action == SyncAction::Move) {
                steps.push_back({SyncStep::Kind::FolderPath, node, target, {}, {}, {}});
            }
            planNode(tree, child, target, choices, steps);
        }
    } else if (kind == NodeKind::File) {
        std::string source(node->text(kColPath));
        std::string plain = path::join(dir, path::fileName(source));
        std::string captioned = path::join(
            dir, safeName(node->text(kColCaption)) + std::string(path::extension(source)));
        std::string target = choices.renameByLinkName ? captioned : plain;
        steps.push_back({SyncStep::Kind::File, node, std::move(target), std::move(source),
                         std::move(plain), std::move(captioned)});
    }
}

void appendList(std::string& text, const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < paths.size() && i < kSummaryPaths; ++i) {
        text += "\n" + paths[i];
    }
    if (paths.size() > kSummaryPaths) {
        text += "\n...";
    }
}

}  // namespace

std::string shortenedPath(std::string_view path, std::size_t limit) {
    const auto last = path.rfind(path::kSeparator);
    if (last == std::string_view::npos) {
        return std::string(path);
    }
    const std::string_view name = path.substr(last + 1);
    std::string prefix;
    std::size_t at = 0;  // start of the next directory
    while (prefix.size() + name.size() < limit && at <= last) {
        const std::size_t end = path.find(path::kSeparator, at);
        prefix.append(path.substr(at, end - at)).push_back(path::kSeparator);
        at = end + 1;
    }
    return prefix + (at <= last ? "../" : "") + std::string(name);
}

std::vector<SyncStep> planSync(ZuTree& tree, const SyncChoices& choices) {
    std::vector<SyncStep> steps;
    const std::vector<Node*> roots =
        choices.scope == SyncScope::AllTree ? tree.topLevel() : tree.selection();
    for (Node* node : roots) {
        planNode(tree, node, choices.targetDir, choices, steps);
    }
    return steps;
}

SyncRun::SyncRun(ZuTree& tree, SyncChoices choices, SyncFiles& files)
    : tree_(tree), choices_(std::move(choices)), files_(files), steps_(planSync(tree, choices_)) {
    fileCount_ =
        static_cast<std::size_t>(std::count_if(steps_.begin(), steps_.end(), [](const SyncStep& s) {
            return s.kind == SyncStep::Kind::File;
        }));
}

void SyncRun::run(const std::atomic<bool>& stop, const SyncProgress& progress) {
    for (const SyncStep& step : steps_) {
        if (stop.load()) {
            outcome_.cancelled = true;
            break;
        }
        switch (step.kind) {
            case SyncStep::Kind::MakeDirectory:
                if (!files_.isDirectory(step.target)) {
                    if (FileError error = files_.makeDirectory(step.target); !error.empty()) {
                        outcome_.fatal =
                            "Cannot create the directory " + step.target + ": " + error;
                        return;
                    }
                }
                break;
            case SyncStep::Kind::FolderPath:
                outcome_.newPaths.emplace_back(step.node, step.target);
                break;
            case SyncStep::Kind::File:
                if (progress) {
                    progress(outcome_.filesDone, fileCount_, shortenedPath(step.source));
                }
                runFile(step);
                ++outcome_.filesDone;
                break;
        }
    }
    if (progress) {
        progress(outcome_.filesDone, fileCount_, {});
    }
}

void SyncRun::runFile(const SyncStep& step) {
    // An older file of the plain name goes first, unless it is the very file being put there.
    if (files_.exists(step.plainName) && !files_.isDirectory(step.plainName) &&
        !sameIgnoringAsciiCase(step.source, step.plainName) &&
        !sameIgnoringAsciiCase(step.source, step.captionName) &&
        !files_.sameFile(step.source, step.plainName)) {
        FileError error;
        switch (files_.dispose(step.plainName, error)) {
            case SyncFiles::Disposal::Trashed:
                break;
            case SyncFiles::Disposal::Deleted:
                outcome_.deletedWithoutTrash.push_back(step.plainName);
                break;
            case SyncFiles::Disposal::Failed:
                outcome_.failures.push_back(step.plainName + ": " + error);
                break;
        }
    }
    if (choices_.action == SyncAction::Move) {
        if (FileError error = files_.move(step.source, step.target); !error.empty()) {
            outcome_.failures.push_back(step.source + ": " + error);
        } else {
            outcome_.newPaths.emplace_back(step.node, step.target);
        }
    } else if (FileError error = files_.copy(step.source, step.target); !error.empty()) {
        outcome_.failures.push_back(step.source + ": " + error);
    }
}

void SyncRun::finish(Ui& ui) {
    for (const auto& [node, newPath] : outcome_.newPaths) {
        tree_.setText(node, kColPath, newPath);
    }
    outcome_.newPaths.clear();
    if (outcome_.fatal) {
        ui.showError(*outcome_.fatal);
    }
    if (std::string summary = syncSummary(outcome_); !summary.empty()) {
        ui.showMessage(summary);
    }
}

std::string syncSummary(const SyncOutcome& outcome) {
    std::string text;
    if (!outcome.failures.empty()) {
        text = std::to_string(outcome.failures.size()) + " of the files could not be " +
               "synchronized:";
        appendList(text, outcome.failures);
    }
    if (!outcome.deletedWithoutTrash.empty()) {
        if (!text.empty()) {
            text += "\n\n";
        }
        text += "No trash could take " + std::to_string(outcome.deletedWithoutTrash.size()) +
                " replaced files, so they were deleted:";
        appendList(text, outcome.deletedWithoutTrash);
    }
    return text;
}

}  // namespace tarnu
