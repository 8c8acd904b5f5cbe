#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace quelvo {

/// How a companion program that carries a request on has ended.
struct CompanionEnd
{
    enum class Kind {
        Succeeded,   // exit status 0: the request went out
        Failed,      // any other status: the request failed, `reason` says how
        StillRunning // the wait ran out (a password prompt may still be open)
    };
    Kind kind = Kind::Succeeded;
    std::string reason;
};

/// The later word of a companion program. The starter reports the end, the caller listens; either
/// may come first, and the listener hears it once.
class CompanionWatch final
{
public:
    void onEnd(std::function<void(const CompanionEnd&)> listener)
    {
        m_listener = std::move(listener);
        deliver();
    }
    void ended(CompanionEnd end)
    {
        if (!m_end)
            m_end = std::move(end);
        deliver();
    }

private:
    void deliver()
    {
        if (m_end && m_listener)
            std::exchange(m_listener, nullptr)(*m_end);
    }

    std::optional<CompanionEnd> m_end;
    std::function<void(const CompanionEnd&)> m_listener;
};

/// What came of a power command. The command itself goes on past failures; the outcome lets
/// its caller see that the request visibly failed (a process that could not be started, or an
/// exit request that was refused) and keep the program running.
struct PowerOutcome
{
    bool failed = false;
    std::string reason;     // every failed step's reason, in order, separated by "; "
    bool simulated = false; // a dry run: the request was only printed, nothing goes down
    /// Set when the whole request rests with a companion program whose end is reported later.
    std::shared_ptr<CompanionWatch> companion{};
};

} // namespace quelvo
