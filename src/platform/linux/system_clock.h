#pragma once

#include "platform/clock.h"

namespace quelvo {

/// The machine's clock in the user's time zone.
class SystemClock final : public Clock
{
public:
    [[nodiscard]] LocalTime now() const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;
};

} // namespace quelvo
