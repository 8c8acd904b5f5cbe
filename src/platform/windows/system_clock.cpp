#include "platform/windows/system_clock.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <iterator>

namespace quelvo {

WallTime SystemClock::wallNow() const
{
    return std::chrono::system_clock::now();
}

LocalTime SystemClock::toLocal(WallTime t) const
{
    // Whole seconds towards the past, so that a moment just before a minute stays in that minute.
    const long long seconds = std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
    const long long minute = seconds >= 0 ? seconds / 60 : (seconds - 59) / 60;
    const int second = static_cast<int>(seconds - minute * 60);
    const std::lock_guard hold(m_mutex);
    if (minute != m_cachedMinute) {
        constexpr long long kEpochDifference = 11'644'473'600LL; // 1601-01-01 to 1970-01-01, in seconds
        const auto ticks = static_cast<unsigned long long>(minute * 60 + kEpochDifference) * 10'000'000ULL;
        FILETIME file{static_cast<DWORD>(ticks & 0xffffffffULL), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME utc{};
        SYSTEMTIME local{};
        if (::FileTimeToSystemTime(&file, &utc) == FALSE ||
            ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) == FALSE) {
            // Not kept: the next tick asks the zone again.
            ::GetLocalTime(&local);
            return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, local.wDayOfWeek};
        }
        m_cachedMinute = minute;
        m_cachedLocal = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, 0, local.wDayOfWeek};
    }
    LocalTime found = m_cachedLocal;
    found.second = second;
    return found;
}

std::chrono::steady_clock::time_point SystemClock::steadyNow() const
{
    ULONGLONG ticks = 0; // 100 ns units since start, without the time spent asleep
    ::QueryUnbiasedInterruptTime(&ticks);
    using Ticks = std::chrono::duration<long long, std::ratio<1, 10'000'000>>;
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(Ticks(static_cast<long long>(ticks))));
}

namespace {

std::string localeText(LCTYPE item)
{
    wchar_t text[32] = {};
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, text, static_cast<int>(std::size(text)));
    return length > 1 ? toUtf8(std::wstring_view(text, static_cast<std::size_t>(length - 1))) : std::string();
}

} // namespace

DayHalves userDayHalves()
{
    return {localeText(LOCALE_S1159), localeText(LOCALE_S2359)};
}

} // namespace quelvo
