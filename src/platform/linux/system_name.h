#pragma once

#include "platform/file_system.h"
#include "platform/system_name.h"

#include <string>
#include <vector>

namespace quelvo {

/// The system's name from os-release: /etc/os-release, or /usr/lib/os-release where the first is
/// missing or unreadable.
class OsReleaseName final : public SystemName
{
public:
    /// `files` empty: the two system files, in that order.
    explicit OsReleaseName(const FileSystem& fs, std::vector<std::string> files = {});

    [[nodiscard]] std::string displayName() const override;

private:
    const FileSystem& m_fs;
    std::vector<std::string> m_files;
};

} // namespace quelvo
