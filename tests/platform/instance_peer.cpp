// Another copy of the program for the instance tests, in a process of its own.
//
//   instance_peer forward DIR SWITCH ARGUMENT [MARKER]
//       Starts as a second copy would and forwards the two arguments. Exit status: 0 when
//       the running copy confirmed (and MARKER, when given, existed as soon as it had),
//       1 when it was not reached, 2 when this process became the running copy, 3 when
//       MARKER was missing after the confirmation.
//   instance_peer hold DIR
//       Becomes the running copy, prints "ready", then prints each forwarded text on a line
//       of its own until it is killed. Exit status 2 when another copy runs.

#include <cstdio>
#include <filesystem>
#include <string>

#include <QCoreApplication>

#include "platform/linux/local_instance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "forward" && (argc == 5 || argc == 6)) {
        tarnu::LocalInstance instance(argv[2]);
        if (instance.becomeRunningCopy()) {
            return 2;
        }
        if (!instance.forward(tarnu::forwardedText(argv[3], argv[4]))) {
            return 1;
        }
        return argc == 6 && !std::filesystem::exists(argv[5]) ? 3 : 0;
    }
    if (mode == "hold" && argc == 3) {
        tarnu::LocalInstance instance(argv[2]);
        if (!instance.becomeRunningCopy()) {
            return 2;
        }
        instance.setForwardedHandler([](const std::string& text) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        });
        std::printf("ready\n");
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    std::fprintf(stderr,
                 "usage: instance_peer forward DIR SWITCH ARGUMENT [MARKER]\n"
                 "       instance_peer hold DIR\n");
    return 64;
}
