#include "core/FailureLog.h"

void FailureLog::Failed(const std::string& what, const std::string& why) {
    const auto found = m_failing.find(what);
    if (found != m_failing.end() && found->second == why) return;
    m_failing[what] = why;
    if (m_sink) m_sink(what + ": " + why);
}

void FailureLog::Succeeded(const std::string& what) { m_failing.erase(what); }
