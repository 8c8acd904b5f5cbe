#pragma once

#include "platform/single_instance.h"

#include <string>

namespace quelvo {

/// Single instance through an advisory lock on a per-user file. The kernel drops the
/// lock when the process ends in any way, so a killed copy never blocks the next start.
class LockFileInstance final : public SingleInstance
{
public:
    /// `path` empty: quelvo.lock in the per-user runtimeFolder() (locations.h).
    explicit LockFileInstance(std::string path = {});
    ~LockFileInstance() override;
    LockFileInstance(const LockFileInstance&) = delete;
    LockFileInstance& operator=(const LockFileInstance&) = delete;

    State acquire() override;
    [[nodiscard]] std::string lockError() const override { return m_error; }
    [[nodiscard]] const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_error;
    int m_fd = -1;
};

} // namespace quelvo
