#pragma once

#include "schedule/machine_scheduler.h"

#include <string>
#include <vector>

namespace quelvo::test {

/// What the machine's service would have done, one line per hook called; the power request comes
/// out as `power` says.
struct RecordingMachineHooks final : MachineHooks
{
    void warn(const NextFiring&, const WarningNotice& notice) override { log.push_back("warn " + notice.body); }
    void countdownStarted(const std::string&, bool reboot, int seconds) override
    {
        log.push_back(std::string("countdown ") + (reboot ? "reboot " : "shutdown ") + std::to_string(seconds));
    }
    void countdownEnded(HistoryOutcome outcome, const std::string& who) override
    {
        log.push_back("ended " + std::string(historyOutcomeName(outcome)) + (who.empty() ? "" : " by " + who));
    }
    PowerOutcome powerAction(bool reboot, bool forced) override
    {
        log.push_back(std::string(reboot ? "restart" : "shut down") + (forced ? " forced" : ""));
        return power;
    }
    void record(const HistoryEntry& entry) override
    {
        log.push_back(std::string(historyOutcomeName(entry.outcome)) + " " + entry.line +
                      (entry.who.empty() ? "" : " by " + entry.who) +
                      (entry.detail.empty() ? "" : ": " + entry.detail));
        history.push_back(entry);
    }
    void reportError(const std::string& text) override { log.push_back("error " + text); }

    PowerOutcome power{};
    std::vector<std::string> log;
    std::vector<HistoryEntry> history;
};

} // namespace quelvo::test
