#include "platform/xdg/xdg_desktop_integration.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "common/atomic_file.h"
#include "common/error.h"
#include "platform/xdg/desktop_entry.h"

namespace tarnu {

namespace {

constexpr int kToolTimeoutMs = 10000;
// The file type as a package installs it under a system data directory.
const QString kInstalledMimePackage = QStringLiteral("mime/packages/tarnu.xml");

std::string join(const std::string& dir, const char* name) {
    return dir + "/" + name;
}

// A file name as Qt takes it: the bytes decoded as the file system encodes names, so that a
// name that is not UTF-8 comes back unchanged.
QString fileName(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

// What became of a file: Written also stands for removed.
enum class Write { Failed, Unchanged, Written };

// Leaves a file that already holds the content alone, so that the desktop's caches are
// rebuilt only when something changed.
Write writeIfChanged(const std::string& path, const std::string& content) {
    const QByteArray bytes = QByteArray::fromStdString(content);
    QFile existing(fileName(path));
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
        return Write::Unchanged;
    }
    existing.close();
    if (!QDir().mkpath(QFileInfo(existing).absolutePath())) {
        return Write::Failed;
    }
    try {
        writeFileAtomically(path, content);
    } catch (const Error&) {
        return Write::Failed;
    }
    return Write::Written;
}

Write removeIfPresent(const std::string& path) {
    QFile file(fileName(path));
    if (!file.exists()) {
        return Write::Unchanged;
    }
    return file.remove() ? Write::Written : Write::Failed;
}

// Runs a desktop tool when it is installed; its outcome does not matter.
void runQuietly(const char* program, const std::string& argument) {
    const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(program));
    if (exe.isEmpty()) {
        return;
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(exe, QStringList{fileName(argument)});
    if (process.waitForStarted() && !process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
}

std::string command(const std::string& exe, std::string_view arguments) {
    return xdg::execArgument(exe) + " " + std::string(arguments);
}

std::string mimePackage() {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"") +
           XdgDesktopIntegration::kMimeType +
           "\">\n"
           "    <comment>Tarnu archive</comment>\n"
           "    <glob pattern=\"*.dua\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

bool asciiEqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

XdgDesktopIntegration::XdgDesktopIntegration()
    : dataHome_(
          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString()),
      configHome_(
          QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString()) {}

std::string XdgDesktopIntegration::mimePackageFile() const {
    return join(dataHome_, "mime/packages/tarnu-zubook.xml");
}

// Not "tarnu.desktop": that is the installed menu entry, which a per-user file of the same
// name would hide.
std::string XdgDesktopIntegration::fileTypeEntryFile() const {
    return join(dataHome_, "applications/tarnu-zubook.desktop");
}

bool XdgDesktopIntegration::fileTypeInstalled() const {
    const QString home = fileName(dataHome_);
    const QStringList found =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, kInstalledMimePackage);
    for (const QString& file : found) {
        if (!file.startsWith(home + "/")) {
            return true;
        }
    }
    return false;
}

std::string XdgDesktopIntegration::addFileEntryFile() const {
    return join(dataHome_, "applications/tarnu-add-file.desktop");
}

std::string XdgDesktopIntegration::addFolderEntryFile() const {
    return join(dataHome_, "applications/tarnu-add-folder.desktop");
}

std::string XdgDesktopIntegration::autostartFile() const {
    return join(configHome_, "autostart/tarnu.desktop");
}

bool XdgDesktopIntegration::registerFileType(const std::string& exe) {
    if (fileTypeInstalled()) {
        return true;  // the package's own file type: a per-user copy would only shadow it
    }
    const Write mime = writeIfChanged(mimePackageFile(), mimePackage());
    // Hidden from the menus: it only opens ZuBooks, as the file type's handler.
    const Write entry =
        writeIfChanged(fileTypeEntryFile(),
                       xdg::desktopEntry({{"Type", "Application"},
                                          {"Name", "Tarnu"},
                                          {"Comment", "Organizer of links to files and folders"},
                                          {"Exec", xdg::escapeValue(command(exe, "-dua %f"))},
                                          {"MimeType", std::string(kMimeType) + ";"},
                                          {"NoDisplay", "true"},
                                          {"Terminal", "false"}}));
    if (mime == Write::Written) {
        runQuietly("update-mime-database", join(dataHome_, "mime"));
    }
    if (entry == Write::Written) {
        runQuietly("update-desktop-database", join(dataHome_, "applications"));
    }
    return mime != Write::Failed && entry != Write::Failed;
}

bool XdgDesktopIntegration::setIntegrate(bool on, const std::string& exe,
                                         const std::string& menuText) {
    bool changed = false;
    bool ok = true;
    const auto note = [&](Write w) {
        changed = changed || w == Write::Written;
        ok = ok && w != Write::Failed;
    };
    const std::string name = xdg::escapeValue(menuText.empty() ? "Tarnu" : menuText);
    const auto entry = [&](const char* arguments, const char* mimeTypes) {
        return xdg::desktopEntry({{"Type", "Application"},
                                  {"Name", name},
                                  {"Exec", xdg::escapeValue(command(exe, arguments))},
                                  {"MimeType", mimeTypes},
                                  {"NoDisplay", "true"},
                                  {"Terminal", "false"}});
    };
    if (on) {
        note(writeIfChanged(addFileEntryFile(), entry("-add %f", "application/octet-stream;")));
        note(writeIfChanged(addFolderEntryFile(), entry("-addf %f", "inode/directory;")));
    } else {
        note(removeIfPresent(addFileEntryFile()));
        note(removeIfPresent(addFolderEntryFile()));
    }
    if (changed) {
        runQuietly("update-desktop-database", join(dataHome_, "applications"));
    }
    return ok;
}

bool XdgDesktopIntegration::setRunAtLogin(bool on, const std::string& exe) {
    if (!on) {
        return removeIfPresent(autostartFile()) != Write::Failed;
    }
    return writeIfChanged(autostartFile(),
                          xdg::desktopEntry({{"Type", "Application"},
                                             {"Name", "Tarnu"},
                                             {"Exec", xdg::escapeValue(command(exe, "-boot"))},
                                             {"Terminal", "false"}})) != Write::Failed;
}

bool XdgDesktopIntegration::isRunAtLogin(const std::string& exe) {
    QFile file(fileName(autostartFile()));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const std::string text = file.readAll().toStdString();
    // A hidden autostart entry is one the user switched off.
    if (xdg::entryValue(text, "Hidden") == "true") {
        return false;
    }
    const auto exec = xdg::entryValue(text, "Exec");
    return exec && asciiEqualsIgnoringCase(*exec, command(exe, "-boot"));
}

}  // namespace tarnu
