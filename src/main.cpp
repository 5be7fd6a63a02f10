#include "cli/CommandLine.h"
#include "common/Brand.h"
#include "common/Log.h"
#include "platform/posix/SignalQuit.h"
#include "shell/DesktopApp.h"
#include "shell/DisplayPlatform.h"
#include "shell/SingleStart.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (const auto exitCode = CommandLine::runSubcommand(argc, argv))
        return *exitCode;

    if (const QString failure = DisplayPlatform::prepare(); !failure.isEmpty()) {
        logMessage(failure);
        return 1;
    }
    SingleInstance instance(SingleInstance::defaultDirectory(), Brand::english.toLower());
    if (const auto exitCode = SingleStart::exitCodeFor(instance.claim(SingleStart::kPatience)))
        return *exitCode;

    QApplication app(argc, argv);
    DisplayPlatform::warnIfUnplaceable(QGuiApplication::platformName());
    quitOnTerminationSignals();
    DesktopApp desktop;
    desktop.start();
    SingleStart::answerLaterStarts(instance, *desktop.shell());
    return QApplication::exec();
}
