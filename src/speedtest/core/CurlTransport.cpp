#include "speedtest/core/CurlTransport.h"

#include "speedtest/core/CurlSockets.h"

#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace {

constexpr long kMaxConnectionsPerHost = 12;
constexpr long kIdleSeconds = 30;
constexpr long kReceiveBuffer = 256 * 1024;
// What curl hands to TLS at once: it counts a write as uploaded only when all of it is in the
// socket, so a larger buffer makes the count of delivered bytes lag behind by up to its size.
constexpr long kSendBuffer = 64 * 1024;
constexpr int kPollMilliseconds = 20;
constexpr auto kUploadPollInterval = std::chrono::milliseconds(5);

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The system's directory of trusted certificates; curl looks certificates up there lazily.
QByteArray defaultCaPath() {
    QByteArray path;
    if (CURL* probe = curl_easy_init()) {
        char* value = nullptr;
        if (curl_easy_getinfo(probe, CURLINFO_CAPATH, &value) == CURLE_OK && value)
            path = value;
        curl_easy_cleanup(probe);
    }
    if (path.isEmpty() && QFileInfo(QStringLiteral("/etc/ssl/certs")).isDir())
        path = "/etc/ssl/certs";
    return path;
}

curl_socket_t openSocket(void* sockets, curlsocktype, curl_sockaddr* address) {
    return static_cast<CurlSockets*>(sockets)->open(address->family, address->socktype,
                                                    address->protocol);
}

int closeSocket(void* sockets, curl_socket_t socket) {
    static_cast<CurlSockets*>(sockets)->close(socket);
    return 0;
}

} // namespace

struct CurlTransport::Transfer {
    CurlTransport* owner = nullptr;
    TransferId id = 0;
    TransferRequest request;
    TransferCallbacks callbacks;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    int status = 0;
    QByteArray body;
    bool bodyTooLarge = false;
    qint64 reportedSent = 0;
    int socket = CurlSockets::kNone;

    ~Transfer() {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

CurlTransport::CurlTransport(const QString& caFile) : CurlTransport(caFile, 1) {}

CurlTransport::CurlTransport(const QString& caFile, TransferId firstId)
    : m_caFile(QFile::encodeName(caFile)),
      m_caPath(caFile.isEmpty() ? QByteArray() : defaultCaPath()), m_nextId(firstId),
      m_caFileName(caFile), m_isSideLane(firstId & kSideLaneBit),
      m_sockets(std::make_unique<CurlSockets>()) {
    initialiseCurlOnce();
    CURLM* multi = curl_multi_init();
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxConnectionsPerHost);
    curl_multi_setopt(multi, CURLMOPT_PIPELINING, long(CURLPIPE_NOTHING));
    m_multi = multi;
    m_worker = std::thread([this] { run(); });
}

CurlTransport::~CurlTransport() {
    m_side.reset();
    m_quit = true;
    curl_multi_wakeup(m_multi);
    m_worker.join();
    for (auto& [id, transfer] : m_running)
        curl_multi_remove_handle(m_multi, transfer->easy);
    m_running.clear();
    curl_multi_cleanup(m_multi);
}

int CurlTransport::activeCount() const {
    const std::lock_guard guard(m_sideMutex);
    return m_active.load() + (m_side ? m_side->activeCount() : 0);
}

CurlTransport& CurlTransport::sideLane() {
    const std::lock_guard guard(m_sideMutex);
    if (!m_side)
        m_side.reset(new CurlTransport(m_caFileName, kSideLaneBit | 1));
    return *m_side;
}

Transport::TransferId CurlTransport::start(TransferRequest request, TransferCallbacks callbacks) {
    if (request.dedicatedConnection && !m_isSideLane) {
        request.dedicatedConnection = false;
        return sideLane().start(std::move(request), std::move(callbacks));
    }
    auto transfer = std::make_unique<Transfer>();
    transfer->owner = this;
    // The worker gets a URL of its own: one shared with the caller's copy would be released
    // on both threads, through a reference count no thread checker can follow.
    request.url = QUrl::fromEncoded(request.url.toEncoded());
    transfer->request = std::move(request);
    transfer->callbacks = std::move(callbacks);
    TransferId id;
    {
        const std::lock_guard guard(m_commandMutex);
        id = m_nextId++;
        transfer->id = id;
        m_toStart.push_back(std::move(transfer));
    }
    ++m_active;
    curl_multi_wakeup(m_multi);
    return id;
}

void CurlTransport::cancel(TransferId id) {
    if ((id & kSideLaneBit) && !m_isSideLane) {
        sideLane().cancel(id);
        return;
    }
    {
        const std::lock_guard guard(m_callbackMutex);
        m_cancelled.insert(id);
    }
    {
        const std::lock_guard guard(m_commandMutex);
        m_toCancel.push_back(id);
    }
    curl_multi_wakeup(m_multi);
}

bool CurlTransport::startCallback(TransferId id) {
    return !m_cancelled.contains(id);
}

size_t CurlTransport::onHeader(char* data, size_t size, size_t count, void* pointer) {
    auto* transfer = static_cast<Transfer*>(pointer);
    const size_t length = size * count;
    const QByteArrayView line(data, qsizetype(length));
    if (line.startsWith("HTTP/")) {
        // Each response of a redirect chain starts over.
        const auto fields = line.toByteArray().simplified().split(' ');
        transfer->status = fields.size() > 1 ? fields[1].toInt() : 0;
        transfer->body.clear();
    }
    return length;
}

size_t CurlTransport::onWrite(char* data, size_t size, size_t count, void* pointer) {
    auto* transfer = static_cast<Transfer*>(pointer);
    const size_t length = size * count;
    if (transfer->request.keepBodyBytes > 0) {
        if (transfer->body.size() + qsizetype(length) > transfer->request.keepBodyBytes) {
            transfer->bodyTooLarge = true;
            return 0;
        }
        transfer->body.append(data, qsizetype(length));
    }
    if (transfer->callbacks.onData) {
        CurlTransport* owner = transfer->owner;
        const std::lock_guard guard(owner->m_callbackMutex);
        if (owner->startCallback(transfer->id))
            transfer->callbacks.onData(qint64(length), transfer->status);
    }
    return length;
}

int CurlTransport::onRequestReady(void* pointer, char*, char*, int remotePort, int localPort) {
    // A reused connection is handed over here too, so this is where its socket is known.
    auto* transfer = static_cast<Transfer*>(pointer);
    transfer->socket = transfer->owner->m_sockets->find(localPort, remotePort);
    return CURL_PREREQFUNC_OK;
}

void CurlTransport::reportDelivered(Transfer& transfer, qint64 uploaded) {
    if (!transfer.callbacks.onSent || uploaded <= 0)
        return;
    // Bytes still in the kernel's send queue have not reached the peer yet.
    const qint64 delivered = uploaded - CurlSockets::unacknowledgedBytes(transfer.socket);
    if (delivered <= transfer.reportedSent)
        return;
    transfer.reportedSent = delivered;
    const std::lock_guard guard(m_callbackMutex);
    if (startCallback(transfer.id))
        transfer.callbacks.onSent(delivered);
}

void CurlTransport::pollUploads() {
    // Acknowledgements arrive whenever they like; asking for every loop turn would cost more
    // system calls than the ticks that read the count can use.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastUploadPoll < kUploadPollInterval)
        return;
    m_lastUploadPoll = now;
    for (auto& [id, transfer] : m_running) {
        curl_off_t uploaded = 0;
        if (transfer->callbacks.onSent &&
            curl_easy_getinfo(transfer->easy, CURLINFO_SIZE_UPLOAD_T, &uploaded) == CURLE_OK)
            reportDelivered(*transfer, uploaded);
    }
}

void CurlTransport::run() {
    while (!m_quit) {
        applyCommands();
        int running = 0;
        curl_multi_perform(m_multi, &running);
        pollUploads();
        finishDone();
        curl_multi_poll(m_multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
}

void CurlTransport::applyCommands() {
    std::vector<std::unique_ptr<Transfer>> toStart;
    std::vector<TransferId> toCancel;
    {
        const std::lock_guard guard(m_commandMutex);
        toStart.swap(m_toStart);
        toCancel.swap(m_toCancel);
    }
    for (auto& transfer : toStart) {
        CURL* easy = curl_easy_init();
        if (!easy) {
            const std::lock_guard guard(m_callbackMutex);
            if (startCallback(transfer->id) && transfer->callbacks.onComplete)
                transfer->callbacks.onComplete({false, 0, {}, QStringLiteral("无法创建请求")});
            --m_active;
            continue;
        }
        transfer->easy = easy;
        const QByteArray url = transfer->request.url.toEncoded();
        curl_easy_setopt(easy, CURLOPT_URL, url.constData());
        curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(transfer->request.timeoutSeconds * 1000));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kIdleSeconds);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, kSendBuffer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransport::onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransport::onWrite);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &openSocket);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, m_sockets.get());
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &closeSocket);
        curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, m_sockets.get());
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &CurlTransport::onRequestReady);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, transfer.get());
        if (!m_caFile.isEmpty()) {
            // The extra file replaces the system's bundle file; the system's directory stays.
            curl_easy_setopt(easy, CURLOPT_CAINFO, m_caFile.constData());
            if (!m_caPath.isEmpty())
                curl_easy_setopt(easy, CURLOPT_CAPATH, m_caPath.constData());
        }
        transfer->headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
        if (const auto& body = transfer->request.body) {
            transfer->headers =
                curl_slist_append(transfer->headers, "Content-Type: application/octet-stream");
            // No "100 Continue" round trip before the body.
            transfer->headers = curl_slist_append(transfer->headers, "Expect:");
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body->constData());
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
        curl_multi_add_handle(m_multi, easy);
        const TransferId id = transfer->id;
        m_running[id] = std::move(transfer);
    }
    for (TransferId id : toCancel)
        remove(id);
}

void CurlTransport::remove(TransferId id) {
    const auto it = m_running.find(id);
    if (it != m_running.end()) {
        curl_multi_remove_handle(m_multi, it->second->easy);
        m_running.erase(it);
        --m_active;
    }
    const std::lock_guard guard(m_callbackMutex);
    m_cancelled.erase(id);
}

void CurlTransport::finishDone() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        Transfer* transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        if (!transfer)
            continue;
        const CURLcode code = message->data.result;
        long status = 0;
        curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
        TransferCompletion completion;
        completion.ok = code == CURLE_OK;
        completion.httpStatus = int(status);
        completion.body = transfer->body;
        completion.error = transfer->bodyTooLarge ? QStringLiteral("answer too large")
                                                  : QString::fromUtf8(curl_easy_strerror(code));
        if (transfer->request.body) {
            curl_off_t uploaded = 0;
            curl_easy_getinfo(transfer->easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
            completion.bodyBytesSent =
                std::max(transfer->reportedSent,
                         uploaded - CurlSockets::unacknowledgedBytes(transfer->socket));
        }
        {
            const std::lock_guard guard(m_callbackMutex);
            if (startCallback(transfer->id) && transfer->callbacks.onComplete)
                transfer->callbacks.onComplete(completion);
        }
        const TransferId id = transfer->id;
        curl_multi_remove_handle(m_multi, transfer->easy);
        m_running.erase(id);
        --m_active;
    }
}
