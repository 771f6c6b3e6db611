// Tells the administrator, through the system's log, why a rule could not be
// enforced: once per distinct failure, not at every tick, and again only after
// the same thing has worked in between.
#pragma once

#include <functional>
#include <map>
#include <string>

class FailureLog {
public:
    using Sink = std::function<void(const std::string& line)>;
    explicit FailureLog(Sink sink) : m_sink(std::move(sink)) {}

    // `what` names the operation (and its file), `why` the cause.
    void Failed(const std::string& what, const std::string& why);
    void Succeeded(const std::string& what);

private:
    Sink m_sink;
    std::map<std::string, std::string> m_failing;  // what -> why, as last reported
};
