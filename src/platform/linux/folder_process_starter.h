#pragma once

#include "platform/process_starter.h"

#include <string>
#include <vector>

namespace quelvo {

/// Starts companion programs from one folder only (for "name.exe" also "name"), never from the
/// current folder or PATH, where a planted program of the same name could take their place.
/// No shell is involved. start() detaches the process; startWatched() keeps it as a child and
/// polls for its end from the Qt event loop. The show-window value has no meaning here.
class FolderProcessStarter final : public ProcessStarter
{
public:
    explicit FolderProcessStarter(std::string folder);
    StartResult start(const std::string& commandLine, int showWindow) override;
    StartResult startWatched(const std::string& commandLine, int showWindow, int limitMs,
                             std::function<void(ProcessEnd)> ended) override;

private:
    // The companion's executable and its arguments, or why there is none.
    struct Found
    {
        std::string path;
        std::vector<std::string> arguments;
        std::string reason;
    };
    [[nodiscard]] Found find(const std::string& commandLine) const;

    std::string m_folder;
};

} // namespace quelvo
