// Tarnu: one running copy per user; a second copy hands its two arguments over and ends.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include "app/main_window.h"
#include "app/qt_icons.h"
#include "app/qt_ui.h"
#include "app/splash_window.h"
#include "common/app_dirs.h"
#include "core/tarnu_core.h"
#include "document/data_pack.h"
#include "platform/linux/linux_file_locks.h"
#include "platform/linux/local_instance.h"
#include "platform/linux/qt_event_pump.h"
#include "platform/linux/x11_global_hot_keys.h"
#include "platform/qt/qt_shell.h"
#include "platform/xdg/xdg_desktop_integration.h"

namespace {

std::vector<std::string> argumentsOf(const QStringList& all) {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < all.size(); ++i) {
        args.push_back(all[i].toStdString());
    }
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("Tarnu");
    app.setQuitOnLastWindowClosed(false);  // the program lives on in the tray
    const std::vector<std::string> args = argumentsOf(app.arguments());

    tarnu::LocalInstance instance;
    if (!instance.becomeRunningCopy()) {
        if (args.size() == 2) {
            instance.forward(tarnu::forwardedText(args[0], args[1]));
        }
        return 0;
    }

    const tarnu::AppDirs dirs =
        tarnu::appDirsFromEnvironment(QCoreApplication::applicationDirPath().toStdString());
    app.setWindowIcon(QIcon::fromTheme(
        "tarnu", QIcon(QString::fromStdString(dirs.programFilesDir) + "/icons/tarnu.png")));
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    tarnu::QtIcons icons;
    tarnu::LinuxFileLocks fileLocks;
    tarnu::X11GlobalHotKeys hotKeys;
    tarnu::XdgDesktopIntegration desktop;
    tarnu::QtShell shell;
    tarnu::QtEventPump pump;
    tarnu::LocaleCollation collation;
    tarnu::TfrmMain* window = nullptr;
    tarnu::QtUi ui([&window](int panel, const QString& text) {
        if (window) {
            window->setStatusText(panel, text);
        }
    });
    tarnu::TarnuCore core(dirs.programFilesDir, dirs.userDataDir, executable, collation,
                          tarnu::CorePorts{icons, fileLocks, hotKeys, desktop, ui, shell, pump});

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
    instance.setForwardedHandler([&core](const std::string& text) { core.handleForwarded(text); });
    const bool hidden = core.settingsCommandLineAndFirstZuBook(args);
    mainWindow.applySettings();
    if (!hidden) {
        mainWindow.show();
    }
    const int rc = app.exec();
    core.shutdown();
    instance.release();
    return rc;
}
