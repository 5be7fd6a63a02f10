// A second process that keeps the speed-test history, driven line by line on stdin:
//   add TS         stores one test made at TS, answers "ok" or "failed", then the stamps it shows
//   burst FROM N   stores N tests made at FROM, FROM + 1, …; answers "done" and the failures
#include "speedtest/core/SpeedTestHistoryStore.h"

#include <QCoreApplication>

#include <iostream>
#include <sstream>
#include <string>

namespace {

SpeedTestRecord madeAt(double ts) {
    SpeedTestRecord record;
    record.ts = ts;
    record.downMbps = 90;
    record.upMbps = 30;
    record.latencyMs = 15;
    record.downNode = QStringLiteral("第二个进程");
    return record;
}

std::string stamps(const SpeedTestHistoryStore& store) {
    std::ostringstream out;
    for (const SpeedTestRecord& record : store.records())
        out << ' ' << qint64(record.ts);
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: vorn_history_writer HISTORY_FILE\n";
        return 2;
    }
    SpeedTestHistoryStore store(QString::fromLocal8Bit(argv[1]));
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream command(line);
        std::string verb;
        qint64 from = 0;
        int count = 0;
        command >> verb >> from >> count;
        if (verb == "add") {
            const bool ok = store.add(madeAt(double(from)));
            std::cout << (ok ? "ok" : "failed") << stamps(store) << std::endl;
        } else if (verb == "burst") {
            int failures = 0;
            for (int i = 0; i < count; ++i)
                failures += store.add(madeAt(double(from + i))) ? 0 : 1;
            std::cout << "done " << failures << std::endl;
        } else {
            std::cout << "unknown " << line << std::endl;
        }
    }
    return 0;
}
