#include "platform/windows/event_log.h"

#include "platform/windows/wide_text.h"

#include "quelvosvc_messages.h"

#include <windows.h>

#include <memory>

namespace quelvo {

namespace {

constexpr const wchar_t* kSource = L"Quelvo";

struct EventKind
{
    std::uint16_t type;
    std::uint32_t id;
};

EventKind kindOf(HistoryOutcome outcome)
{
    switch (outcome) {
    case HistoryOutcome::Fired:
        return {EVENTLOG_INFORMATION_TYPE, MSG_FIRED};
    case HistoryOutcome::DryRun:
        return {EVENTLOG_INFORMATION_TYPE, MSG_DRY_RUN};
    case HistoryOutcome::Cancelled:
        return {EVENTLOG_INFORMATION_TYPE, MSG_CANCELLED};
    case HistoryOutcome::Postponed:
        return {EVENTLOG_INFORMATION_TYPE, MSG_POSTPONED};
    case HistoryOutcome::Skipped:
        return {EVENTLOG_INFORMATION_TYPE, MSG_SKIPPED};
    case HistoryOutcome::Missed:
        return {EVENTLOG_WARNING_TYPE, MSG_MISSED};
    case HistoryOutcome::Holiday:
        return {EVENTLOG_INFORMATION_TYPE, MSG_HOLIDAY};
    case HistoryOutcome::Failed:
        break;
    }
    return {EVENTLOG_ERROR_TYPE, MSG_FAILED};
}

} // namespace

EventLog::ReportCall EventLog::system()
{
    // A source that cannot be registered (no right to the log) leaves the service without
    // entries, never without its schedule.
    const std::shared_ptr<void> source(::RegisterEventSourceW(nullptr, kSource), [](HANDLE handle) {
        if (handle != nullptr)
            ::DeregisterEventSource(handle);
    });
    return [source](std::uint16_t type, std::uint32_t id, const std::vector<std::wstring>& inserts) {
        if (source == nullptr)
            return false;
        std::vector<LPCWSTR> strings;
        for (const std::wstring& insert : inserts)
            strings.push_back(insert.c_str());
        return ::ReportEventW(source.get(), type, 0, id, nullptr, static_cast<WORD>(strings.size()), 0, strings.data(),
                              nullptr) != FALSE;
    };
}

EventLog::EventLog(ReportCall call) : m_call(std::move(call))
{}

bool EventLog::history(const HistoryEntry& entry) const
{
    const EventKind kind = kindOf(entry.outcome);
    // The inserts are the message table's %1 to %4, the same for every outcome.
    return m_call(kind.type, kind.id,
                  {toWide(entry.line), entry.reboot ? L"reboot" : L"shutdown",
                   entry.who.empty() ? L"an unknown user" : toWide(entry.who), toWide(entry.detail)});
}

bool EventLog::error(const std::string& text) const
{
    return m_call(EVENTLOG_ERROR_TYPE, MSG_SERVICE_ERROR, {toWide(text)});
}

} // namespace quelvo
