// Runs the local HTTPS test server for scripts: prints where it is, serves until stdin closes.
#include "LocalHttpsServer.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString address = arguments.value(1, QStringLiteral("127.0.0.1"));
    const int workers = arguments.value(2, QStringLiteral("1")).toInt();
    LocalHttpsServer server(address, qMax(1, workers));
    if (!server.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("port=%d\nca=%s\nnodes=%s\nurl=%s\n", server.port(), qPrintable(server.caFile()),
                qPrintable(server.writeNodesFile()), qPrintable(server.url(QString())));
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
