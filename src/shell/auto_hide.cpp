#include "shell/auto_hide.h"

#include "platform/settings_keys.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace quelvo {

namespace {

constexpr int kHintTimes = 5;

// A 16-bit signed count; anything that is not a plain whole number counts as 0.
int readCount(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || end != text.data() + text.size()) {
        return 0;
    }
    if (ec == std::errc::result_out_of_range) {
        // Only the digits were too many: the sign tells which end of the range it sits at.
        return text.front() == '-' ? std::numeric_limits<std::int16_t>::min()
                                   : std::numeric_limits<std::int16_t>::max();
    }
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (value < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<int>(value);
}

} // namespace

bool countHideToTray(Settings& settings)
{
    int count = readCount(settings.get(setting::kHintRuns, "0"));
    if (count < std::numeric_limits<std::int16_t>::max())
        ++count;
    const bool hintDue = count < kHintTimes;
    // A failed write only means the hint may show once more next time; nothing to report.
    (void)settings.save(setting::kHintRuns, std::to_string(count));
    return hintDue;
}

AutoHide::AutoHide(AutoHideHost& host, Settings& settings) : m_host(host), m_settings(settings)
{}

void AutoHide::check()
{
    // Once hidden, nothing is read: an idle tick costs no settings read.
    if (m_autohidden || !readFlag(m_settings, setting::kHide, false) || !m_host.windowIsNormal())
        return;
    m_autohidden = true;
    // A window left in sight counts as no hiding: the hint would point at an icon that is not there.
    if (m_host.hideToTray() && countHideToTray(m_settings))
        m_host.openHint();
}

} // namespace quelvo
