#include "cli/HistoryCommand.h"

#include "cli/CommandLine.h"
#include "cli/Terminal.h"
#include "common/CFormat.h"
#include "speedtest/core/SpeedTestHistoryStore.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kHistoryUsage =
    QStringLiteral("用法: vorn history [--csv] [-o FILE]\n"
                   "列出全部测速记录，最新的在前。\n"
                   "  --csv       输出 CSV（与「测速记录」中「导出 CSV」的文件逐字节相同）\n"
                   "  -o FILE     写入 FILE（原子替换），不打印到终端\n");

QString peopleText(const SpeedTestHistoryStore& store) {
    const QList<SpeedTestRecord>& records = store.records();
    if (records.isEmpty())
        return QStringLiteral("暂无测速记录\n");
    QString text = QStringLiteral("共 %1 条 · 永久保留 · %2\n")
                       .arg(records.size())
                       .arg(store.storageSizeText());
    for (const SpeedTestRecord& record : records) {
        const QString grade = record.grade.isEmpty() ? QStringLiteral("--") : record.grade;
        text += record.timeText() + QStringLiteral("  ") + grade + QStringLiteral("  ") +
                cformat("↓ %.1f  ↑ %.1f Mbps", record.downMbps, record.upMbps) +
                QStringLiteral("  ") + record.pingText() + QStringLiteral("  ") +
                record.identityLine() + QLatin1Char('\n');
    }
    return text;
}

QString undecodableText(const SpeedTestHistoryStore& store) {
    const QString head =
        QStringLiteral("⚠️ 测速历史文件无法解析：%1\n").arg(store.filePath());
    if (const auto& copy = store.lastQuarantinePath())
        return head + QStringLiteral("它已原样备份为 %1，未做删除\n").arg(*copy);
    const QString plannedCopy = QFileInfo(store.filePath()).absolutePath() + QLatin1Char('/') +
                                SpeedTestHistoryFile::kBackupPrefix +
                                QStringLiteral("yyyyMMdd-HHmmss") +
                                SpeedTestHistoryFile::kBackupSuffix;
    return head + QStringLiteral("未做任何改动；下次保存测速结果前，会先把它原样备份为 %1"
                                 "（时间为备份时刻）\n")
                      .arg(plannedCopy);
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* reason) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *reason = file.errorString();
    return false;
}

} // namespace

namespace HistoryCommand {

int run(const QStringList& arguments) {
    bool csv = false;
    QString outputPath;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            printOut(kHistoryUsage);
            return 0;
        }
        if (argument == QLatin1String("--csv")) {
            csv = true;
        } else if (argument == QLatin1String("-o") && i + 1 < arguments.size() &&
                   !arguments[i + 1].isEmpty()) {
            outputPath = arguments[++i];
        } else {
            printError(kHistoryUsage);
            return kExitUsage;
        }
    }

    // Listing never writes: only a command that stores a test sets a damaged file aside.
    const SpeedTestHistoryStore store(SpeedTestHistoryStore::defaultFilePath(), Clock::system(),
                                      SpeedTestHistoryStore::Access::readOnly);
    if (store.fileUndecodable()) {
        printError(undecodableText(store));
        return kExitFailure;
    }
    const QString text = csv ? store.exportCSV() : peopleText(store);
    if (outputPath.isEmpty()) {
        printOut(text);
        return 0;
    }
    QString reason;
    if (!writeFile(outputPath, text.toUtf8(), &reason)) {
        printError(QStringLiteral("无法写入 %1：%2\n").arg(outputPath, reason));
        return kExitFailure;
    }
    return 0;
}

} // namespace HistoryCommand
