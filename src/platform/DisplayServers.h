#pragma once

#include <QByteArray>

// The display servers of this session, probed before Qt picks its platform plugin: Qt aborts
// the program when none of its candidates can start.
struct DisplayServers {
    // False where the platform has one display that needs no choosing (macOS).
    bool probed = false;
    QByteArray x11Display;     // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    bool x11Answers = false;
    bool waylandAnswers = false;
    bool waylandPluginInstalled = false;
};

DisplayServers probeDisplayServers();
