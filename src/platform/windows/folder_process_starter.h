#pragma once

#include "platform/process_starter.h"

#include <string>

namespace quelvo {

/// Starts companion programs from one folder only: CreateProcessA gets the program's full path
/// as its application name, so it is never looked for in the current folder or on PATH, where a
/// planted program of the same name could take its place. The command line is passed as it is;
/// the show-window value reaches the program through STARTF_USESHOWWINDOW.
class FolderProcessStarter final : public ProcessStarter
{
public:
    explicit FolderProcessStarter(std::string folder);
    StartResult start(const std::string& commandLine, int showWindow) override;

private:
    std::string m_folder;
};

} // namespace quelvo
