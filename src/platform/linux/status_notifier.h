#pragma once

namespace quelvo {

/// True when a StatusNotifierItem host serves tray icons on the session bus (the test Qt makes
/// itself before it registers an icon there instead of in an XEmbed tray).
bool statusNotifierHostRegistered();

} // namespace quelvo
