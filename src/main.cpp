#include "app/DesktopApp.h"
#include "app/DisplayPlatform.h"
#include "cli/CommandLine.h"
#include "platform/posix/SignalQuit.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (const auto exitCode = CommandLine::runSubcommand(argc, argv))
        return *exitCode;

    DisplayPlatform::applyToEnvironment();
    QApplication app(argc, argv);
    quitOnTerminationSignals();
    DesktopApp desktop;
    desktop.start();
    return QApplication::exec();
}
