#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <thread>

// A TLS server on a loopback port for one connection: after the handshake it reads a given
// amount of the request and then nothing more, so the client's upload fills the windows and
// stalls with bytes still queued on the client's side.
class StallingTlsServer {
public:
    StallingTlsServer(const QString& certificateFile, const QString& keyFile, qint64 readBytes);
    ~StallingTlsServer();
    StallingTlsServer(const StallingTlsServer&) = delete;
    StallingTlsServer& operator=(const StallingTlsServer&) = delete;

    // 0 when the server could not listen.
    int port() const { return m_port; }
    // What the server's kernel has received on the connection, TLS records included; Linux
    // only, 0 elsewhere.
    qint64 bytesReceived() const;
    // Whether the server has read its share and stopped reading.
    bool stalled() const { return m_stalled; }

private:
    void serve(QByteArray certificateFile, QByteArray keyFile, qint64 readBytes);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_connection = -1;
    std::atomic<bool> m_stalled = false;
    std::atomic<bool> m_quit = false;
    std::thread m_thread;
};
