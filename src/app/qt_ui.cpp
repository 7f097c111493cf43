#include "app/qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "app/file_filter.h"
#include "app/qt_text.h"

namespace tarnu {
namespace {

const QString kTitle = QStringLiteral("Tarnu");

void prepare(QFileDialog& dialog, const FileDialogOptions& options) {
    dialog.setNameFilter(qtFileFilter(options.filter));
    dialog.setDefaultSuffix(defaultSuffix(options.defaultExt));
    if (!options.startDir.empty()) {
        dialog.setDirectory(qs(options.startDir));
    }
}

}  // namespace

QtUi::QtUi(StatusSink status, QWidget* parent) : parent_(parent), status_(std::move(status)) {}

QWidget* QtUi::owner() const {
    // A dialog asked for from inside a modal dialog stays above that dialog.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return parent_;
}

void QtUi::showMessage(std::string_view text) {
    QMessageBox::information(owner(), kTitle, qs(text), QMessageBox::Ok);
}

void QtUi::showError(std::string_view text) {
    QMessageBox::critical(owner(), kTitle, qs(text), QMessageBox::Ok);
}

bool QtUi::confirm(std::string_view text) {
    return QMessageBox::question(owner(), kTitle, qs(text), QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

SaveChoice QtUi::askSaveChanges(std::string_view text) {
    switch (QMessageBox::warning(owner(), kTitle, qs(text),
                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Save)) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

std::optional<std::string> QtUi::inputBox(std::string_view caption, std::string_view prompt,
                                          std::string_view initial) {
    bool ok = false;
    const QString title = caption.empty() ? kTitle : qs(caption);
    const QString text =
        QInputDialog::getText(owner(), title, qs(prompt), QLineEdit::Normal, qs(initial), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return utf8(text);
}

std::vector<std::string> QtUi::chooseOpenFiles(const FileDialogOptions& options) {
    QFileDialog dialog(owner(), qs(options.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (options.multiSelect) {
        dialog.setFileMode(QFileDialog::ExistingFiles);
    } else {
        dialog.setFileMode(options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    prepare(dialog, options);
    std::vector<std::string> chosen;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& file : dialog.selectedFiles()) {
            chosen.push_back(utf8(file));
        }
    }
    return chosen;
}

std::optional<std::string> QtUi::chooseSaveFile(const FileDialogOptions& options) {
    QFileDialog dialog(owner(), qs(options.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    prepare(dialog, options);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return utf8(dialog.selectedFiles().constFirst());
}

std::optional<std::string> QtUi::chooseFolder(std::string_view title, std::string_view startDir) {
    const QString folder = QFileDialog::getExistingDirectory(owner(), qs(title), qs(startDir),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return utf8(folder);
}

void QtUi::setStatus(int panel, std::string_view text) {
    if (status_) {
        status_(panel, qs(text));
    }
}

}  // namespace tarnu
