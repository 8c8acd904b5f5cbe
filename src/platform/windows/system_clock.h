#pragma once

#include "platform/clock.h"

namespace quelvo {

/// The machine's clock in the user's time zone (GetLocalTime), and a steady clock that stands
/// still while the computer sleeps (QueryUnbiasedInterruptTime), as the Linux edition's does.
class SystemClock final : public Clock
{
public:
    [[nodiscard]] LocalTime now() const override;
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override;
};

} // namespace quelvo
