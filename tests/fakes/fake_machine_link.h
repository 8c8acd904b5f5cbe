#pragma once

#include "platform/machine_link.h"

#include <string>
#include <utility>
#include <vector>

namespace quelvo::test {

/// The machine's service as the tray program reaches it: the test plays its events and sets its answer.
struct FakeMachineLink final : MachineLink
{
    void listen(MachineEvents heard) override { events = std::move(heard); }
    std::string cancel() override { return asked("cancel"); }
    std::string postpone() override { return asked("postpone"); }
    std::string skip() override { return asked("skip"); }

    std::string asked(const char* request)
    {
        requests.emplace_back(request);
        return refusal;
    }

    MachineEvents events;              // what the program listens with
    std::vector<std::string> requests; // in the order made
    std::string refusal;               // every request's answer; empty: done
};

} // namespace quelvo::test
