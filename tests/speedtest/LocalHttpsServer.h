#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class ChildProcess;

// nginx over HTTPS on a loopback port, with a certificate authority made for it. Paths:
//   /ping             a tiny answer            /big.bin    a 256 MiB file
//   /cdn-cgi/trace    a trace answer           /up         reads the whole body, then 200
//   /endless-trace    the big file as a trace  /stall      100 KiB, then 1 byte a second
//   /refuse-up        413 for any body         /reset-up   closes without an answer
//   /empty            200 with no body         /to-http    redirects to plain http
//   /loop             redirects to itself      /huge-headers  about 400 KB of headers
// Everything else answers 404. A second port answers with a certificate of the same
// authority for another host name.
class LocalHttpsServer {
public:
    // address is the IPv4 address to listen on and to name in the certificate.
    explicit LocalHttpsServer(const QString& address = QStringLiteral("127.0.0.1"),
                              int workers = 1);
    ~LocalHttpsServer();

    // Empty when the server runs, else what went wrong.
    const QString& error() const { return m_error; }
    int port() const { return m_port; }
    QString url(const QString& path) const;
    QString otherHostUrl(const QString& path) const;
    QString caFile() const;
    // Requests for the path that the server has logged so far, redirects included.
    int requestCount(const QString& path) const;
    // The server's serial number of the connection each of those requests came on.
    QList<int> connectionsOf(const QString& path) const;
    QString directory() const { return m_dir.path(); }
    // Writes a nodes.json whose nodes are paths of this server; returns its path.
    QString writeNodesFile(const QString& downloadPath = QStringLiteral("/big.bin"),
                           const QString& tracePath = QStringLiteral("/cdn-cgi/trace")) const;

private:
    bool makeCertificates(const QString& address);
    bool writeConfig(const QString& address, int workers);
    bool run(const QStringList& arguments);

    QTemporaryDir m_dir;
    std::unique_ptr<ChildProcess> m_nginx;
    int m_port = 0;
    int m_sinkPort = 0;
    int m_otherHostPort = 0;
    QString m_address;
    QString m_error;
};

// A loopback port that is closed (nothing listens on it).
int closedLoopbackPort();
