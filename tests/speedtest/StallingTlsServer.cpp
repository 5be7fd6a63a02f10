#include "StallingTlsServer.h"

#include <QFile>

#include <arpa/inet.h>
#ifdef __linux__
#include <linux/tcp.h>
#endif
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

StallingTlsServer::StallingTlsServer(const QString& certificateFile, const QString& keyFile,
                                     qint64 readBytes) {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 4) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread(&StallingTlsServer::serve, this, QFile::encodeName(certificateFile),
                           QFile::encodeName(keyFile), readBytes);
}

StallingTlsServer::~StallingTlsServer() {
    m_quit = true;
    shutdown(m_listener, SHUT_RDWR);
    if (const int connection = m_connection; connection >= 0)
        shutdown(connection, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    close(m_listener);
}

qint64 StallingTlsServer::bytesReceived() const {
#ifndef __linux__
    return 0;
#else
    tcp_info info{};
    socklen_t length = sizeof info;
    const int connection = m_connection;
    if (connection < 0 || getsockopt(connection, IPPROTO_TCP, TCP_INFO, &info, &length) != 0)
        return 0;
    return qint64(info.tcpi_bytes_received);
#endif
}

void StallingTlsServer::serve(QByteArray certificateFile, QByteArray keyFile, qint64 readBytes) {
    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(
        SSL_CTX_new(TLS_server_method()), &SSL_CTX_free);
    if (!context ||
        SSL_CTX_use_certificate_chain_file(context.get(), certificateFile.constData()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context.get(), keyFile.constData(), SSL_FILETYPE_PEM) != 1)
        return;
    const int connection = accept(m_listener, nullptr, nullptr);
    if (connection < 0)
        return;
    const std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(context.get()), &SSL_free);
    SSL_set_fd(ssl.get(), connection);
    m_connection = connection;
    if (SSL_accept(ssl.get()) == 1) {
        char buffer[16384];
        qint64 read = 0;
        while (read < readBytes && !m_quit) {
            const int n = SSL_read(ssl.get(), buffer, sizeof buffer);
            if (n <= 0)
                break;
            read += n;
        }
    }
    m_stalled = true;
    pollfd wake{m_listener, POLLIN, 0};
    while (!m_quit)
        poll(&wake, 1, 50);
    m_connection = -1;
    close(connection);
}
