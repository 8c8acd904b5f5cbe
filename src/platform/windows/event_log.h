#pragma once

#include "schedule/history.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelvo {

/// The machine service's entries in the Application log, under the source "Quelvo": each history
/// entry and each of its errors, their texts taken from the message table in quelvosvc.exe (the
/// installers register the source and point it there). The call itself is replaceable, so tests
/// see what would be reported.
class EventLog final
{
public:
    /// Takes ReportEventW's entry type (EVENTLOG_*_TYPE), event id and inserts; true when reported.
    using ReportCall =
        std::function<bool(std::uint16_t type, std::uint32_t id, const std::vector<std::wstring>& inserts)>;

    /// The Application log through RegisterEventSourceW and ReportEventW, the source registered
    /// once and given back when the last copy of the call goes.
    static ReportCall system();

    explicit EventLog(ReportCall call = system());

    /// Reports a firing's outcome: information, a warning for a missed one, an error for a failure.
    bool history(const HistoryEntry& entry) const;
    /// Reports an error of the service's own.
    bool error(const std::string& text) const;

private:
    ReportCall m_call;
};

} // namespace quelvo
