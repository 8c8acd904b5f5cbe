#pragma once

#include "platform/exit_request.h"

#include <cstdint>
#include <functional>

namespace quelvo {

/// Exit requests through ExitWindowsEx, with the flags as given (EWX_* values) and a planned
/// "other" reason. The call itself is replaceable so tests never make a real request.
class ExitWindowsRequester final : public ExitRequester
{
public:
    /// Takes the flags and the reason code; returns the call's BOOL and sets the last error.
    using ExitCall = std::function<int(std::uint32_t flags, std::uint32_t reason)>;

    /// The real ExitWindowsEx.
    static ExitCall system();

    explicit ExitWindowsRequester(ExitCall call = system());
    ExitResult requestExit(std::int32_t flags) override;

private:
    ExitCall m_call;
};

} // namespace quelvo
