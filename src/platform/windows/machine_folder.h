#pragma once

#include "platform/file_system.h"

#include <string>

namespace quelvo {

/// Makes the machine schedule's folder and its missing parents, and gives the folder its access
/// rules, inherited by everything in it: Administrators and SYSTEM full control, Users read, owned
/// by Administrators and closed to the rules of the folder above, so that every user reads the
/// schedule and only administrators (and the service) change it. Also when the folder was there
/// before: Users may make folders in %ProgramData%, and one made in advance must not let its maker
/// change what the service runs. Administrators only.
IoResult secureMachineFolder(FileSystem& fs, const std::string& path);

/// True when this process acts with administrators' rights: the Administrators group is enabled in
/// its token, which a token that User Account Control has filtered (not elevated) holds only to deny.
bool runsAsAdministrator();

} // namespace quelvo
