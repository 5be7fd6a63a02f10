#pragma once

#include <QtGlobal>

// The speed test's counts, lengths and timeouts. The program uses these values; tests
// shorten the phases.
struct SpeedTestTuning {
    int pingCount = 8;
    int connections = 8;
    double downloadSeconds = 10;
    double uploadSeconds = 8;
    qint64 uploadChunk = 10485760;
    int probeAttempts = 2;
    double probingScale = 4.0; // progress scale only; probing ends on its own
    double pingScale = 3.6;
    double pingPause = 0.12;
    double tickInterval = 0.25;
    double probeTimeout = 5;
    double pingTimeout = 6;
    double traceTimeout = 6;
    double transferTimeout = 60;
    // A completed transfer that counted less than this is replaced only after a pause,
    // which doubles while its replacements stay short.
    qint64 shortTransferBytes = 64 * 1024;
    double shortTransferPause = 0.5;
    qsizetype traceMaxBytes = 64 * 1024;
    // Latency under load: a probe every interval during the transfer phases; those sent in
    // the warm-up are not counted, one unanswered after the timeout counts as the timeout.
    // An interval of 0 sends none.
    double loadedProbeInterval = 0.25;
    double loadedWarmUp = 1.0;
    double loadedTimeout = 2.0;
};
