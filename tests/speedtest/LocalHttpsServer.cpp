#include "LocalHttpsServer.h"

#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

bool accepts(const QString& host, int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    inet_pton(AF_INET, host.toLatin1().constData(), &address.sin_addr);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

bool writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// About 400 KB of response headers, more than any client should accept.
QString hugeHeaders() {
    QString lines;
    const QString value(4000, QLatin1Char('h'));
    for (int i = 0; i < 100; ++i)
        lines += QStringLiteral("            add_header X-Pad-%1 \"%2\";\n").arg(i).arg(value);
    return lines;
}

} // namespace

int closedLoopbackPort() {
    return freePort();
}

LocalHttpsServer::LocalHttpsServer(const QString& address, int workers) : m_address(address) {
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return;
    }
    m_port = freePort();
    m_sinkPort = freePort();
    m_otherHostPort = freePort();
    QFile big(m_dir.filePath(QStringLiteral("big.bin")));
    if (!big.open(QIODevice::WriteOnly) || !big.resize(256 << 20)) {
        m_error = QStringLiteral("cannot make big.bin");
        return;
    }
    big.close();
    if (!makeCertificates(address) || !writeConfig(address, workers))
        return;
    m_nginx = std::make_unique<ChildProcess>();
    if (!m_nginx->start(QStringLiteral("nginx"),
                        {QStringLiteral("-p"), m_dir.path(), QStringLiteral("-c"),
                         m_dir.filePath(QStringLiteral("nginx.conf")), QStringLiteral("-e"),
                         m_dir.filePath(QStringLiteral("error.log"))},
                        m_dir.path())) {
        m_error = QStringLiteral("nginx did not start");
        return;
    }
    const QDeadlineTimer deadline(10000);
    while (!accepts(address, m_port) || !accepts(QStringLiteral("127.0.0.1"), m_sinkPort) ||
           !accepts(address, m_otherHostPort)) {
        if (deadline.hasExpired() || !m_nginx->isRunning()) {
            QFile log(m_dir.filePath(QStringLiteral("error.log")));
            log.open(QIODevice::ReadOnly);
            m_error = QStringLiteral("nginx is not listening: ") + QString::fromUtf8(log.readAll());
            return;
        }
        QThread::msleep(20);
    }
}

LocalHttpsServer::~LocalHttpsServer() = default; // stops nginx

QString LocalHttpsServer::url(const QString& path) const {
    return QStringLiteral("https://%1:%2%3").arg(m_address).arg(m_port).arg(path);
}

QString LocalHttpsServer::otherHostUrl(const QString& path) const {
    return QStringLiteral("https://%1:%2%3").arg(m_address).arg(m_otherHostPort).arg(path);
}

int LocalHttpsServer::requestCount(const QString& path) const {
    QFile log(m_dir.filePath(QStringLiteral("access.log")));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    int count = 0;
    const QByteArray prefix = path.toUtf8() + ' ';
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.startsWith(prefix))
            ++count;
    }
    return count;
}

QList<int> LocalHttpsServer::connectionsOf(const QString& path) const {
    QFile log(m_dir.filePath(QStringLiteral("access.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QList<int> connections;
    const QByteArray prefix = path.toUtf8() + ' ';
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.startsWith(prefix))
            connections.append(line.split(' ').value(3).toInt());
    }
    return connections;
}

QString LocalHttpsServer::caFile() const {
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

bool LocalHttpsServer::run(const QStringList& arguments) {
    ChildProcess openssl;
    const QString errors = m_dir.filePath(QStringLiteral("openssl.err"));
    if (openssl.start(QStringLiteral("openssl"), arguments, m_dir.path(), errors) &&
        openssl.waitForExit(30000) == 0)
        return true;
    QFile log(errors);
    log.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("openssl %1 failed: %2")
                  .arg(arguments.join(QLatin1Char(' ')), QString::fromUtf8(log.readAll()));
    return false;
}

bool LocalHttpsServer::makeCertificates(const QString& address) {
    const QString san =
        QStringLiteral("subjectAltName=IP:%1,IP:127.0.0.1,DNS:localhost").arg(address);
    if (!writeFile(m_dir.filePath(QStringLiteral("server.ext")), san.toUtf8() + "\n"))
        return false;
    // Signed by the same authority, for a name that is none of this server's.
    if (!writeFile(m_dir.filePath(QStringLiteral("other.ext")),
                   "subjectAltName=DNS:other.invalid\n"))
        return false;
    return run({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj",
                "/CN=Vorn Test CA"}) &&
           run({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"}) &&
           run({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile", "server.ext"}) &&
           run({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                "-keyout", "other.key", "-out", "other.csr", "-subj", "/CN=other.invalid"}) &&
           run({"x509", "-req", "-in", "other.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                "-CAcreateserial", "-out", "other.pem", "-days", "2", "-extfile", "other.ext"});
}

bool LocalHttpsServer::writeConfig(const QString& address, int workers) {
    const QString dir = m_dir.path();
    QString config = QStringLiteral(R"(
daemon off;
worker_processes %1;
pid %2/nginx.pid;
error_log %2/error.log warn;
events { worker_connections 256; }
http {
    log_format paths '$uri $status $request_length $connection';
    access_log %2/access.log paths;
    client_body_temp_path %2/body;
    proxy_temp_path %2/proxy;
    fastcgi_temp_path %2/fastcgi;
    uwsgi_temp_path %2/uwsgi;
    scgi_temp_path %2/scgi;
    default_type application/octet-stream;
    sendfile on;
    keepalive_requests 100000;
    client_max_body_size 64m;
    server {
        listen 127.0.0.1:%3;
        location / { return 200 "ok"; }
    }
    server {
        listen %4:%5 ssl;
        ssl_certificate %2/server.pem;
        ssl_certificate_key %2/server.key;
        root %2;
        client_body_buffer_size 16m;
        location = /ping { return 200 "pong"; }
        location = /cdn-cgi/trace {
            default_type text/plain;
            return 200 "fl=1\nip=203.0.113.7\ncolo=LCL\nloc=ZZ\n";
        }
        location = /endless-trace { alias %2/big.bin; }
        location = /big.bin { }
        location = /stall { alias %2/big.bin; limit_rate_after 100k; limit_rate 1; }
        location = /up {
            proxy_request_buffering on;
            proxy_pass http://127.0.0.1:%3/sink;
        }
        location = /refuse-up { client_max_body_size 1k; proxy_pass http://127.0.0.1:%3/sink; }
        location = /reset-up { return 444; }
        location = /empty { return 200 ""; }
        location = /to-http { return 302 http://127.0.0.1:%3/; }
        location = /loop { return 302 /loop; }
        location = /huge-headers {
%6            return 200 "x";
        }
        location / { return 404; }
    }
    server {
        listen %4:%7 ssl;
        ssl_certificate %2/other.pem;
        ssl_certificate_key %2/other.key;
        location / { return 200 "pong"; }
    }
}
)")
                         .arg(workers)
                         .arg(dir)
                         .arg(m_sinkPort)
                         .arg(address)
                         .arg(m_port)
                         .arg(hugeHeaders())
                         .arg(m_otherHostPort);
    if (geteuid() == 0)
        config.prepend(QStringLiteral("user root;\n"));
    return writeFile(m_dir.filePath(QStringLiteral("nginx.conf")), config.toUtf8());
}

QString LocalHttpsServer::writeNodesFile(const QString& downloadPath,
                                         const QString& tracePath) const {
    const QString json = QStringLiteral(R"({
  "download": [
    {"id": "local", "name": "本地节点", "detail": "回环", "pingURL": "%1", "downloadURL": "%2"},
    {"id": "cf", "name": "本地 CF", "detail": "回环", "pingURL": "%3", "downloadURL": "%2",
     "uploadURL": "%4"}
  ],
  "upload": [
    {"id": "ustc", "name": "本地上传", "url": "%4"},
    {"id": "cf", "name": "本地 CF", "url": "%4"}
  ],
  "caFile": "%5"
})")
                             .arg(url(QStringLiteral("/ping")), url(downloadPath), url(tracePath),
                                  url(QStringLiteral("/up")), caFile());
    const QString path = m_dir.filePath(QStringLiteral("nodes.json"));
    writeFile(path, json.toUtf8());
    return path;
}
