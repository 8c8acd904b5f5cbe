#include "schedule/event_editor.h"

#include "schedule/event_line.h"

#include <cstdio>

namespace quelvo {

namespace {

// Beyond this many integer digits the value is far out of every range; stop before it can overflow.
constexpr std::size_t kMaxIntegerDigits = 12;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

UserMessage inputError(std::string_view text, MessageIcon icon)
{
    return {std::string(kErrorTitle), std::string(text), icon};
}

std::string twoDigits(long long value)
{
    char text[24];
    (void)std::snprintf(text, sizeof text, "%02lld", value); // sized for any value
    return text;
}

} // namespace

std::optional<long long> readBoxNumber(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long whole = 0;
    std::size_t digits = 0;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (++digits > kMaxIntegerDigits)
            return std::nullopt;
        whole = whole * 10 + (text[i] - '0');
    }
    bool fraction = false;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            ++digits;
            fraction = fraction || text[i] != '0';
        }
    }
    // Only digits with at most one point: no exponent, no hexadecimal, no "inf" or "nan".
    if (digits == 0 || i != text.size())
        return std::nullopt;
    if (!negative)
        return whole;
    return fraction ? -whole - 1 : -whole;
}

SavePlan planSave(const EditorInput& input)
{
    SavePlan plan;
    bool anyDay = false;
    for (bool day : input.days)
        anyDay = anyDay || day;
    if (!anyDay) {
        plan.error = inputError(kNoDayMessage, MessageIcon::Stop);
        return plan;
    }

    const auto hour = readBoxNumber(input.hour);
    const bool hourOk = input.twentyFour ? hour && *hour >= 0 && *hour <= 23 : hour && *hour >= 1 && *hour <= 12;
    if (!hourOk) {
        plan.error = inputError(input.twentyFour ? kHour24Message : kHour12Message, MessageIcon::Information);
        return plan;
    }

    const auto minute = readBoxNumber(input.minute);
    if (!minute || *minute < 0 || *minute > 59) {
        plan.error = inputError(kMinuteMessage, MessageIcon::Information);
        return plan;
    }

    // Any letter case goes in; the line always gets the capitals the checker's positions expect.
    plan.ampm = input.ampm;
    if (!input.twentyFour) {
        const std::string ampm = toLowerAscii(trimBlanks(input.ampm));
        if (ampm != "am" && ampm != "pm") {
            plan.error = inputError(kAmPmMessage, MessageIcon::Information);
            return plan;
        }
        plan.ampm = ampm == "am" ? "AM" : "PM";
    }

    if (!input.shutdown && !input.reboot) {
        plan.error = inputError(kNoActionMessage, MessageIcon::Stop);
        return plan;
    }

    // The number that passed is what goes into the line, so every line has its fields in place.
    plan.hour = twoDigits(*hour);
    plan.minute = twoDigits(*minute);
    for (std::size_t d = 0; d < input.days.size(); ++d) {
        if (!input.days[d])
            continue;
        plan.lines.push_back(composeEventLine(
            {kEditorDays[d], plan.hour, plan.minute, plan.ampm, input.reboot, input.repeat, input.twentyFour}));
    }
    return plan;
}

UserMessage saveFailedMessage(std::string_view path, std::string_view reason)
{
    return inputError("Sorry, the event could not be saved to " + std::string(path) + ": " + std::string(reason),
                      MessageIcon::Stop);
}

DayBoxes selectalldays(const DayBoxes& days)
{
    const bool clear = days[0] && days[1] && days[2];
    DayBoxes result;
    result.fill(!clear);
    return result;
}

ActionBoxes actionMouseUp(bool overReboot)
{
    return {!overReboot, overReboot};
}

} // namespace quelvo
