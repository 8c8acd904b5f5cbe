#include "schedule/policy_reader.h"

#include "platform/ini_text.h"
#include "platform/settings_keys.h"
#include "schedule/event_line.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace quelvo {

namespace {

constexpr std::string_view kSection = "policy";

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string rangeText(const PolicyRule& rule)
{
    return "(" + std::to_string(rule.least) + " to " + std::to_string(rule.most) + ")";
}

// The reason a number cannot be used; empty when it can.
std::string numberFault(const PolicyRule& rule, long long number)
{
    if (number < rule.least || number > rule.most)
        return std::to_string(number) + " is out of range " + rangeText(rule);
    return {};
}

void setNumber(PolicyReading& reading, const PolicyRule& rule, int number, PolicyOrigin origin)
{
    reading.policy.*rule.number = number;
    reading.origins[static_cast<std::size_t>(rule.key)] = origin;
}

void setFlag(PolicyReading& reading, const PolicyRule& rule, bool on, PolicyOrigin origin)
{
    reading.policy.*rule.flag = on;
    reading.origins[static_cast<std::size_t>(rule.key)] = origin;
}

// Sets the key from its text in policy.ini; the reason when the text cannot be used.
std::string applyText(PolicyReading& reading, const PolicyRule& rule, std::string_view text)
{
    switch (rule.kind) {
    case PolicyKind::Boolean:
        if (text != kPolicyTrue && text != kPolicyFalse)
            return quoted(text) + " is neither " + std::string(kPolicyTrue) + " nor " + std::string(kPolicyFalse);
        setFlag(reading, rule, text == kPolicyTrue, PolicyOrigin::File);
        return {};
    case PolicyKind::Number: {
        if (text.empty())
            return "no number given " + rangeText(rule);
        long long number = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, number);
        const bool digitsOnly = text.find_first_not_of("-0123456789") == std::string_view::npos;
        if (error == std::errc::result_out_of_range && digitsOnly)
            return std::string(text) + " is out of range " + rangeText(rule);
        if (error != std::errc() || stop != end)
            return quoted(text) + " is not a whole number " + rangeText(rule);
        if (std::string fault = numberFault(rule, number); !fault.empty())
            return fault;
        setNumber(reading, rule, static_cast<int>(number), PolicyOrigin::File);
        return {};
    }
    case PolicyKind::Dates:
        break;
    }
    auto holidays = parseHolidays(text);
    if (auto* reason = std::get_if<std::string>(&holidays))
        return *reason;
    reading.policy.holidays = std::get<std::vector<HolidayRange>>(std::move(holidays));
    reading.origins[static_cast<std::size_t>(rule.key)] = PolicyOrigin::File;
    return {};
}

// Sets the key from its registry value; the reason when the value cannot be used.
std::string applyRegistry(PolicyReading& reading, const PolicyRule& rule, const PolicyRegistryValue& value)
{
    if (rule.kind == PolicyKind::Dates) {
        const auto* text = std::get_if<std::string>(&value.data);
        if (text == nullptr)
            return "is not text (REG_SZ)";
        auto holidays = parseHolidays(*text);
        if (auto* reason = std::get_if<std::string>(&holidays))
            return *reason;
        reading.policy.holidays = std::get<std::vector<HolidayRange>>(std::move(holidays));
        reading.origins[static_cast<std::size_t>(rule.key)] = PolicyOrigin::Registry;
        return {};
    }
    const auto* number = std::get_if<std::uint32_t>(&value.data);
    if (number == nullptr)
        return "is not a number (REG_DWORD)";
    if (rule.kind == PolicyKind::Boolean) {
        if (*number > 1)
            return std::to_string(*number) + " is neither 1 nor 0";
        setFlag(reading, rule, *number == 1, PolicyOrigin::Registry);
        return {};
    }
    if (std::string fault = numberFault(rule, *number); !fault.empty())
        return fault;
    setNumber(reading, rule, static_cast<int>(*number), PolicyOrigin::Registry);
    return {};
}

std::optional<std::chrono::year_month_day> parseDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    const auto whole = [&text](std::size_t at, std::size_t length, auto& into) {
        const char* end = text.data() + at + length;
        const auto [stop, error] = std::from_chars(text.data() + at, end, into);
        return error == std::errc() && stop == end && text[at] != '-' && text[at] != '+';
    };
    if (!whole(0, 4, year) || !whole(5, 2, month) || !whole(8, 2, day))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    if (!date.ok())
        return std::nullopt;
    return date;
}

} // namespace

std::string_view policyOriginName(PolicyOrigin origin)
{
    switch (origin) {
    case PolicyOrigin::Default:
        break;
    case PolicyOrigin::File:
        return "file";
    case PolicyOrigin::Registry:
        return "registry";
    case PolicyOrigin::Settings:
        return "settings";
    }
    return "default";
}

std::variant<std::vector<HolidayRange>, std::string> parseHolidays(std::string_view text)
{
    std::vector<HolidayRange> holidays;
    if (trimIniBlanks(text).empty())
        return holidays;
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view item = trimIniBlanks(text.substr(0, comma));
        if (item.empty())
            return std::string("an empty entry between commas");
        const auto dots = item.find("..");
        const std::string_view firstText = trimIniBlanks(item.substr(0, dots));
        const std::string_view lastText =
            dots == std::string_view::npos ? firstText : trimIniBlanks(item.substr(dots + 2));
        const auto first = parseDay(firstText);
        if (!first)
            return quoted(firstText) + " is not a date (YYYY-MM-DD)";
        const auto last = parseDay(lastText);
        if (!last)
            return quoted(lastText) + " is not a date (YYYY-MM-DD)";
        if (std::chrono::sys_days(*last) < std::chrono::sys_days(*first))
            return quoted(item) + " ends before it begins";
        holidays.push_back({*first, *last});
        if (comma == std::string_view::npos)
            return holidays;
        text.remove_prefix(comma + 1);
    }
}

PolicyReading readPolicyFile(std::string_view text)
{
    PolicyReading reading;
    // Where the section lines stand: before any header, in [policy], or in a section that is not read.
    enum class Place { Outside, Policy, Other } place = Place::Outside;
    struct Setting
    {
        std::size_t line = 0;
        std::string key;
        std::string value;
    };
    std::array<std::optional<Setting>, kPolicyKeyCount> settings;
    for (IniLine& line : iniLines(text)) {
        switch (line.kind) {
        case IniLineKind::Section:
            if (equalsIgnoringCase(iniUnescape(line.name), kSection)) {
                place = Place::Policy;
            } else {
                place = Place::Other;
                reading.problems.push_back(
                    {line.number, {}, "the section [" + line.name + "] is not read; only [policy] is"});
            }
            continue;
        case IniLineKind::BadHeader:
            place = Place::Other;
            reading.problems.push_back({line.number, {}, "a section header without its closing ]"});
            continue;
        case IniLineKind::Garbled:
            if (place != Place::Other)
                reading.problems.push_back({line.number, {}, "neither a section header nor key=value"});
            continue;
        case IniLineKind::Value:
            break;
        }
        if (place == Place::Other)
            continue;
        if (place == Place::Outside) {
            reading.problems.push_back({line.number, line.name, "stands before the [policy] section"});
            continue;
        }
        const PolicyRule* rule = findPolicyRule(line.name);
        if (rule == nullptr) {
            reading.problems.push_back({line.number, line.name, "unknown key"});
            continue;
        }
        std::optional<Setting>& setting = settings[static_cast<std::size_t>(rule->key)];
        if (setting) {
            reading.problems.push_back(
                {line.number, line.name,
                 "already set on line " + std::to_string(setting->line) + "; this line applies"});
        }
        setting = Setting{line.number, std::move(line.name), std::string(trimIniBlanks(line.value))};
    }
    for (const PolicyRule& rule : policyRules()) {
        const std::optional<Setting>& setting = settings[static_cast<std::size_t>(rule.key)];
        if (!setting)
            continue;
        if (std::string reason = applyText(reading, rule, setting->value); !reason.empty())
            reading.problems.push_back({setting->line, setting->key, std::move(reason)});
    }
    std::stable_sort(reading.problems.begin(), reading.problems.end(),
                     [](const PolicyProblem& a, const PolicyProblem& b) { return a.line < b.line; });
    return reading;
}

PolicyReading readPolicyRegistry(const std::vector<PolicyRegistryValue>& values)
{
    PolicyReading reading;
    for (const PolicyRegistryValue& value : values) {
        if (value.name.empty())
            continue; // the key's unnamed default value is no setting
        const PolicyRule* rule = findPolicyRule(value.name);
        if (rule == nullptr) {
            reading.problems.push_back({0, value.name, "unknown value"});
            continue;
        }
        if (std::string reason = applyRegistry(reading, *rule, value); !reason.empty())
            reading.problems.push_back({0, value.name, std::move(reason)});
    }
    return reading;
}

void applyMachineSettings(PolicyReading& reading, const Settings& machineSettings)
{
    const std::pair<PolicyKey, const MinutesKey*> left[] = {
        {PolicyKey::Warn, &setting::kWarn},
        {PolicyKey::PostponeMinutes, &setting::kPostpone},
    };
    for (const auto& [key, minutes] : left) {
        if (reading.origin(key) != PolicyOrigin::Default)
            continue;
        if (const std::optional<int> stored = storedMinutes(machineSettings, *minutes))
            setNumber(reading, policyRule(key), *stored, PolicyOrigin::Settings);
    }
}

std::string policyProblemLine(std::string_view place, const PolicyProblem& problem)
{
    std::string line(place);
    if (problem.line != 0)
        line += ":" + std::to_string(problem.line);
    line += ": ";
    if (!problem.key.empty())
        line += problem.key + ": ";
    return line + problem.reason;
}

} // namespace quelvo
