#pragma once

#include "platform/single_instance.h"

#include <string>

namespace quelvo {

/// Single instance through a named mutex in the logon session's namespace ("Local\"). The system
/// closes the handle when the process ends in any way, so a killed copy never blocks the next one.
class MutexInstance final : public SingleInstance
{
public:
    /// `name` empty: the program's own name, "Local\Quelvo.SingleInstance".
    explicit MutexInstance(std::string name = {});
    ~MutexInstance() override;
    MutexInstance(const MutexInstance&) = delete;
    MutexInstance& operator=(const MutexInstance&) = delete;

    State acquire() override;
    [[nodiscard]] std::string lockError() const override { return m_error; }

private:
    std::string m_name;
    std::string m_error;
    void* m_handle = nullptr;
};

} // namespace quelvo
