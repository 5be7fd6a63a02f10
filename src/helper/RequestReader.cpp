#include "RequestReader.h"

namespace {

constexpr std::string_view kSample = "sample";

} // namespace

std::vector<RequestReader::Request> RequestReader::feed(std::string_view bytes) {
    std::vector<Request> requests;
    m_pending.append(bytes);
    size_t end;
    while ((end = m_pending.find('\n')) != std::string::npos) {
        const bool valid = std::string_view(m_pending).substr(0, end) == kSample;
        requests.push_back(valid ? Request::Sample : Request::Invalid);
        if (!valid)
            return requests;
        m_pending.erase(0, end + 1);
    }
    if (!kSample.starts_with(m_pending)) // refused before a newline comes, if it ever does
        requests.push_back(Request::Invalid);
    return requests;
}
