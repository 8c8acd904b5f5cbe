#include "platform/linux/system_name.h"

namespace quelvo {

OsReleaseName::OsReleaseName(const FileSystem& fs, std::vector<std::string> files)
    : m_fs(fs),
      m_files(files.empty() ? std::vector<std::string>{"/etc/os-release", "/usr/lib/os-release"} : std::move(files))
{}

std::string OsReleaseName::displayName() const
{
    // The first file that can be read is the system's word, with or without a name in it.
    for (const std::string& file : m_files) {
        if (const auto text = m_fs.read(file, std::int64_t{64} * 1024).bytes)
            return osReleasePrettyName(*text);
    }
    return {};
}

} // namespace quelvo
