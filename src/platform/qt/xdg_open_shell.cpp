#include "platform/qt/xdg_open_shell.h"

#include <QProcess>
#include <QString>

namespace tarnu {

namespace {

constexpr int kStartTimeoutMs = 5000;

}  // namespace

bool XdgOpenShell::openWatched(const std::string& pathOrUrl, LateFailure onLateFailure) {
    const QUrl url = addressOf(pathOrUrl);
    if (!url.isValid()) {
        return false;
    }
    // A local file goes as its path: percent escapes in a file address are not decoded
    // alike by every opener. Both start with "/" or a scheme, never with an option's "-".
    const QString target = url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    // No parent: nothing destroys it while it runs (which would kill it and wait); it
    // deletes itself when it has ended, and one still running at exit is left to the system.
    auto* process = new QProcess;
    process->setProgram(QStringLiteral("xdg-open"));
    process->setArguments({target});
    process->setStandardInputFile(QProcess::nullDevice());
    // The opened program may write a lot: unread pipes would block it.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::finished, &reports_,
                     [report = std::move(onLateFailure)](int code, QProcess::ExitStatus status) {
                         // A crash or a kill says nothing about whether a program was found.
                         if (status == QProcess::NormalExit && code != 0 && report) {
                             report();
                         }
                     });
    process->start();
    if (!process->waitForStarted(kStartTimeoutMs)) {
        delete process;  // xdg-open is not installed
        return false;
    }
    return true;
}

}  // namespace tarnu
