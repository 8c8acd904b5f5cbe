#pragma once

#include "platform/process_starter.h"

#include <string>

namespace quelvo {

/// Starts companion programs from one folder only (for "name.exe" also "name"), never from the
/// current folder or PATH, where a planted program of the same name could take their place.
/// No shell is involved; the process is detached and not waited for. The show-window value has
/// no meaning here.
class FolderProcessStarter final : public ProcessStarter
{
public:
    explicit FolderProcessStarter(std::string folder);
    StartResult start(const std::string& commandLine, int showWindow) override;

private:
    std::string m_folder;
};

} // namespace quelvo
