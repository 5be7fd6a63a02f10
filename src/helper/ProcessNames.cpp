#include "ProcessNames.h"

#include "FileText.h"

namespace {

constexpr std::uint64_t kKeptSamples = 4;

} // namespace

ProcessNames::ProcessNames(std::string procRoot) : m_procRoot(std::move(procRoot)) {}

std::string ProcessNames::nameOf(std::uint32_t pid, std::string_view recorded) {
    const auto known = m_names.find(pid);
    if (known != m_names.end()) {
        known->second.lastAsked = m_sample;
        return known->second.name;
    }
    std::string name;
    if (auto comm = readFileText(m_procRoot + "/" + std::to_string(pid) + "/comm")) {
        if (!comm->empty() && comm->back() == '\n')
            comm->pop_back();
        name = std::move(*comm);
    } else {
        name = std::string(recorded.substr(0, recorded.find('\0')));
    }
    m_names.emplace(pid, Known{name, m_sample});
    return name;
}

void ProcessNames::endSample() {
    ++m_sample;
    std::erase_if(m_names, [&](const auto& entry) {
        return entry.second.lastAsked + kKeptSamples < m_sample;
    });
}
