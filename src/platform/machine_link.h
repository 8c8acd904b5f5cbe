#pragma once

#include "platform/clock.h"

#include <functional>
#include <string>
#include <string_view>

namespace quelvo {

/// The machine service's name on the system bus, its object and its interface.
inline constexpr std::string_view kMachineBusName = "org.example.quelvo.Machine";
inline constexpr std::string_view kMachineObjectPath = "/org/example/quelvo/Machine";
inline constexpr std::string_view kMachineInterface = "org.example.quelvo.Machine1";

/// A firing of the machine's schedule that the service warns of.
struct MachineWarning
{
    std::string line;
    bool reboot = false;
    WallTime at{};
    std::string title;
    std::string body;
};

/// A countdown of the machine's schedule that began.
struct MachineCountdown
{
    std::string line;
    bool reboot = false;
    int seconds = 10;
};

/// What a user's program hears from the machine's service.
struct MachineEvents
{
    std::function<void(const MachineWarning&)> warning;
    std::function<void(const MachineCountdown&)> countdownStarted;
    /// The countdown ended; `outcome` is its history name ("fired", "cancelled", ...).
    std::function<void(std::string_view outcome, std::string_view who)> countdownEnded;
};

/// A user's program's link to the service that keeps the machine's schedule: it hears the
/// service's warnings and countdowns and passes on what the user chose. Where no service runs,
/// nothing is heard and every request fails with the reason.
class MachineLink
{
public:
    virtual ~MachineLink() = default;

    /// Starts listening; the events are heard in the program's own loop.
    virtual void listen(MachineEvents events) = 0;
    /// Each returns an empty text when the service did it, else why not.
    virtual std::string cancel() = 0;
    virtual std::string postpone() = 0;
    virtual std::string skip() = 0;
};

} // namespace quelvo
