// Tarnu: one running copy per user; a second copy hands its two arguments over and ends.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSessionManager>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/main_window.h"
#include "app/qt_icons.h"
#include "app/qt_ui.h"
#include "app/splash_window.h"
#include "common/app_dirs.h"
#include "core/tarnu_core.h"
#include "document/data_pack.h"
#include "platform/linux/linux_drives.h"
#include "platform/linux/linux_file_locks.h"
#include "platform/linux/local_instance.h"
#include "platform/linux/qt_event_pump.h"
#include "platform/linux/signal_watcher.h"
#include "platform/linux/x11_global_hot_keys.h"
#include "platform/qt/xdg_open_shell.h"
#include "platform/xdg/xdg_desktop_integration.h"

namespace {

// The arguments as the bytes they are: a file name need not be valid UTF-8, and a detour
// through QString would replace what is not.
std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return args;
}

std::string workingDirectory() {
    std::error_code ec;
    return std::filesystem::current_path(ec).native();  // empty when it is gone
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);  // takes its own options out of argv
    app.setApplicationName("Tarnu");
    app.setQuitOnLastWindowClosed(false);  // the program lives on in the tray
    // Paths mean what they mean here, not in the running copy's or the program's directory.
    const std::vector<std::string> args =
        tarnu::withAbsolutePath(argumentsOf(argc, argv), workingDirectory());

    tarnu::LocalInstance instance;
    if (!instance.becomeRunningCopy()) {
        if (args.size() == 2 && !instance.forward(tarnu::forwardedText(args[0], args[1]))) {
            std::fputs("Tarnu: the running copy did not take the command line.\n", stderr);
        }
        return 0;
    }

    // Every way a session ends (Exit, the close button, a signal, the desktop logging out)
    // goes through the window's Exit and then the steps after the event loop below. Only a
    // logout that lets the program ask may ask about unsaved changes.
    tarnu::TfrmMain* window = nullptr;
    bool leaving = false;
    const auto endSession = [&window, &leaving](bool mayAsk) {
        leaving = true;
        if (window) {
            window->exitProgram(mayAsk);
        } else {
            QCoreApplication::quit();
        }
    };
    tarnu::SignalWatcher signalWatcher([&endSession](int) { endSession(false); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&endSession, &window](QSessionManager& manager) {
                         endSession(manager.allowsInteraction());
                         if (window && !window->isExiting()) {
                             manager.cancel();  // the user chose Cancel
                         }
                     });

    const tarnu::AppDirs dirs =
        tarnu::appDirsFromEnvironment(QCoreApplication::applicationDirPath().toStdString());
    app.setWindowIcon(QIcon::fromTheme(
        "tarnu", QIcon(QString::fromStdString(dirs.programFilesDir) + "/icons/tarnu.png")));
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    tarnu::QtIcons icons;
    tarnu::LinuxFileLocks fileLocks;
    tarnu::X11GlobalHotKeys hotKeys;
    tarnu::XdgDesktopIntegration desktop;
    tarnu::XdgOpenShell shell;
    tarnu::QtEventPump pump;
    tarnu::LinuxDrives drives;
    tarnu::LocaleCollation collation;
    tarnu::QtUi ui([&window](int panel, const QString& text) {
        if (window) {
            window->setStatusText(panel, text);
        }
    });
    tarnu::TarnuCore core(dirs.programFilesDir, dirs.userDataDir, executable, collation,
                          tarnu::CorePorts{icons, fileLocks, hotKeys, desktop, ui, shell, pump,
                                           std::chrono::milliseconds{10}, &drives});

    tarnu::SplashWindow::showFor(core.dataPack(), 1500);

    tarnu::TfrmMain mainWindow(core, icons);
    window = &mainWindow;
    ui.setParentWidget(&mainWindow);
    try {
        mainWindow.setUpPages(core.createMainWindowSteps());
    } catch (const tarnu::DataPackMissing& e) {
        QMessageBox::critical(nullptr, "Tarnu Error", QString::fromStdString(e.what()));
        return 1;
    }
    core.startPlugIns(dirs.pluginDir);
    const bool hidden = core.settingsCommandLineAndFirstZuBook(args);
    mainWindow.applySettings();
    if (!hidden) {
        mainWindow.show();
    }
    // A forwarded command waits while a dialog, a menu or a scan of the program's own runs
    // its event loop, and is taken only after the start-up's own steps.
    instance.setReadyCheck([&core, &mainWindow] {
        return !QApplication::activeModalWidget() && !QApplication::activePopupWidget() &&
               !core.isBusy() && !mainWindow.isRunningCommand();
    });
    instance.setForwardedHandler([&core](const std::string& text) { core.handleForwarded(text); });
    // A signal during the start-up has already asked the window to exit.
    const int rc = leaving ? 0 : app.exec();
    window = nullptr;
    core.shutdown();
    instance.release();
    return rc;
}
