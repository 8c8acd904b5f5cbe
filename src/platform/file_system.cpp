#include "platform/file_system.h"

namespace quelvo {

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string lockPathFor(const std::string& path)
{
    return path + ".lock";
}

} // namespace quelvo
