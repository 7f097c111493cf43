#pragma once

// The Ui port with Qt's own dialogs. Message and input boxes are titled "Tarnu".

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "platform/ui.h"

namespace tarnu {

class QtUi final : public Ui {
public:
    // Status texts go to the main window's status bar through this function.
    using StatusSink = std::function<void(int panel, const QString& text)>;

    explicit QtUi(StatusSink status = {}, QWidget* parent = nullptr);

    // The window the dialogs belong to (nothing: they stand alone).
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }
    void setStatusSink(StatusSink status) { status_ = std::move(status); }

    void showMessage(std::string_view text) override;
    void showError(std::string_view text) override;
    // OK and Cancel; true for OK.
    bool confirm(std::string_view text) override;
    SaveChoice askSaveChanges(std::string_view text) override;
    std::optional<std::string> inputBox(std::string_view caption, std::string_view prompt,
                                        std::string_view initial) override;
    std::vector<std::string> chooseOpenFiles(const FileDialogOptions& options) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override;
    std::optional<std::string> chooseFolder(std::string_view title,
                                            std::string_view startDir) override;
    void setStatus(int panel, std::string_view text) override;

private:
    QWidget* owner() const;

    QPointer<QWidget> parent_;
    StatusSink status_;
};

}  // namespace tarnu
