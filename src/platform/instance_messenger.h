#pragma once

#include <functional>

namespace quelvo {

/// A word from a later copy of the program to the one already running, per user.
class InstanceMessenger
{
public:
    virtual ~InstanceMessenger() = default;

    /// Runs `onKnock` for every later copy that knocks, with true when that copy was started to
    /// show the main window (from the application menu); false when nobody can reach this copy.
    virtual bool listen(std::function<void(bool showWindow)> onKnock) = 0;
    /// Tells the running copy that another one was started; false when none answered.
    virtual bool knock() = 0;
};

} // namespace quelvo
