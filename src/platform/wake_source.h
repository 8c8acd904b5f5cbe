#pragma once

#include "platform/clock.h"

#include <optional>

namespace quelvo {

/// Why a sleeping service woke.
enum class WakeCause {
    Timer,           // the moment it asked for came
    ClockSet,        // the wall clock was set (by hand or by a time service)
    ScheduleChanged, // the schedule or its settings changed
    ZoneChanged,     // the time zone changed; local times are read anew from now on
    Resumed,         // the machine came back from sleep
    Request,         // somebody asked the service something, and it was answered
    Stop,            // the service is to end
};

/// What a service sleeps on: a timer on the wall clock and the events that can change what is due.
/// It never wakes on its own schedule; a service that waits for nothing sleeps until one comes.
class WakeSource
{
public:
    virtual ~WakeSource() = default;

    /// Sleeps until the wall clock reads `at` (none: no timer) or something else wakes the service.
    virtual WakeCause wait(std::optional<WallTime> at) = 0;
};

} // namespace quelvo
