#include "ui/wait_seconds.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace quelvo {

namespace {

// Often enough to end within a blink of the target, rare enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval{50};

} // namespace

void waitseconds(std::uint8_t seconds, const Clock& clock)
{
    const auto start = clock.steadyNow();
    const auto wanted = std::chrono::seconds(seconds);
    const auto done = [&] { return clock.steadyNow() - start >= wanted; };
    if (done())
        return;

    // A nested loop sleeps between clock readings instead of spinning.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollInterval);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start();
    loop.exec();
}

} // namespace quelvo
