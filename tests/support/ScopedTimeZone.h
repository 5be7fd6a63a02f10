#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Runs a scope in the given local time zone (an IANA name), so local dates and times do not
// depend on the machine's zone; the previous zone comes back at the end of the scope.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
        : m_hadZone(qEnvironmentVariableIsSet("TZ")), m_previous(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadZone)
            qputenv("TZ", m_previous);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadZone;
    QByteArray m_previous;
};
