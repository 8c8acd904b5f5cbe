#pragma once

#include "platform/settings.h"

namespace quelvo {

/// What hiding at start-up needs of the main window.
class AutoHideHost
{
public:
    virtual ~AutoHideHost() = default;

    /// True when the main window is neither minimised nor maximised.
    [[nodiscard]] virtual bool windowIsNormal() const = 0;
    /// Minimises the main window, then makes it invisible; false when there is no tray to hide into.
    virtual bool hideToTray() = 0;
    /// Opens the tray hint window without waiting for it.
    virtual void openHint() = 0;
};

/// Counts one hide to the tray in `runs1`; true while the hint window is still due (the first four times).
bool countHideToTray(Settings& settings);

/// Hides the main window to the tray again when it was left there (`hide` is "1"): at the first tick
/// that finds it shown normally, once until the tray's show commands bring it back.
class AutoHide final
{
public:
    AutoHide(AutoHideHost& host, Settings& settings);

    /// Once a tick, before the checker scans.
    void check();

    /// True when the window was hidden since it was last shown from the tray.
    [[nodiscard]] bool autohidden() const { return m_autohidden; }
    /// The tray's show commands clear the flag, so the next hidden run hides it again.
    void setAutohidden(bool value) { m_autohidden = value; }

private:
    AutoHideHost& m_host;
    Settings& m_settings;
    bool m_autohidden = false;
};

} // namespace quelvo
