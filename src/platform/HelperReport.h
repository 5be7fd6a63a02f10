#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// One process as the traffic helper reports it: bytes since the helper started.
struct HelperProcessCounts {
    quint32 pid = 0;
    QString name;
    quint64 received = 0;
    quint64 sent = 0;

    friend bool operator==(const HelperProcessCounts&, const HelperProcessCounts&) = default;
};

// The length of the helper's first answer in buffer (its lines and the empty line that ends
// it); none while the answer is incomplete.
std::optional<qsizetype> helperAnswerLength(QByteArrayView buffer);

// The processes of one complete answer, each line "pid name received sent" (the name may hold
// blanks, and is trimmed; a line whose name is blank is passed over). None when any line is
// malformed or a process appears twice: an answer that does not fit means the helper cannot
// be trusted.
std::optional<std::vector<HelperProcessCounts>> parseHelperAnswer(QByteArrayView answer);
