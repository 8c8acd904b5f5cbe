#include "schedule/policy_table.h"

#include "schedule/event_line.h"

#include <array>

namespace quelvo {

namespace {

constexpr std::array kRules = {
    PolicyRule{
        .key = PolicyKey::Cancel,
        .name = "cancel",
        .kind = PolicyKind::Boolean,
        .defaultText = "True",
        .least = 0,
        .most = 1,
        .caption = "Let users cancel the machine's countdown",
        .meaning = "Whether a person at the machine may cancel the countdown before a machine event shuts the "
                   "computer down or restarts it.",
        .flag = &Policy::cancel,
    },
    PolicyRule{
        .key = PolicyKey::Postpones,
        .name = "postpones",
        .kind = PolicyKind::Number,
        .defaultText = "1",
        .least = 0,
        .most = 5,
        .caption = "Postpones of a machine event",
        .meaning = "How often a machine event may be postponed each time it fires; 0 allows none.",
        .number = &Policy::postpones,
    },
    PolicyRule{
        .key = PolicyKey::PostponeMinutes,
        .name = "postpone_minutes",
        .kind = PolicyKind::Number,
        .defaultText = "15",
        .least = 5,
        .most = 120,
        .caption = "Minutes a postpone puts a machine event off",
        .meaning = "How many minutes one postpone puts a machine event off. Where it is not set, the machine "
                   "settings' own postpone applies.",
        .number = &Policy::postponeMinutes,
    },
    PolicyRule{
        .key = PolicyKey::Warn,
        .name = "warn",
        .kind = PolicyKind::Number,
        .defaultText = "10",
        .least = 0,
        .most = 120,
        .caption = "Minutes of warning before a machine event",
        .meaning = "How many minutes before a machine event fires its warning shows; 0 shows none. Where it is not "
                   "set, the machine settings' own warn applies.",
        .number = &Policy::warnMinutes,
    },
    PolicyRule{
        .key = PolicyKey::Holidays,
        .name = "holidays",
        .kind = PolicyKind::Dates,
        .defaultText = "",
        .caption = "Holidays without machine events",
        .meaning = "Days on which machine events do not fire: dates such as 2026-12-24 and ranges such as "
                   "2026-12-24..2027-01-06, separated by commas.",
    },
    PolicyRule{
        .key = PolicyKey::UserSchedule,
        .name = "user_schedule",
        .kind = PolicyKind::Boolean,
        .defaultText = "True",
        .least = 0,
        .most = 1,
        .caption = "Let users keep schedules of their own",
        .meaning = "Whether users may keep schedules of their own and use the \"now\" and quick-action commands; "
                   "where not, the tray program only shows the schedules.",
        .flag = &Policy::userSchedule,
    },
    PolicyRule{
        .key = PolicyKey::Forced,
        .name = "forced",
        .kind = PolicyKind::Boolean,
        .defaultText = "False",
        .least = 0,
        .most = 1,
        .caption = "Force the machine's shutdowns",
        .meaning = "Whether machine events shut the computer down or restart it even when a program holds it back.",
        .flag = &Policy::forced,
    },
};

static_assert(kRules.size() == kPolicyKeyCount);
// policyRule() finds a key's rule by its place in the table.
static_assert([] {
    for (std::size_t i = 0; i < kRules.size(); ++i) {
        if (static_cast<std::size_t>(kRules[i].key) != i)
            return false;
    }
    return true;
}());

} // namespace

std::span<const PolicyRule> policyRules()
{
    return kRules;
}

const PolicyRule& policyRule(PolicyKey key)
{
    return kRules[static_cast<std::size_t>(key)];
}

const PolicyRule* findPolicyRule(std::string_view name)
{
    for (const PolicyRule& rule : kRules) {
        if (equalsIgnoringCase(rule.name, name))
            return &rule;
    }
    return nullptr;
}

std::string dayText(std::chrono::year_month_day day)
{
    // Years are four digits, as the reader takes them.
    const auto digits = [](unsigned number, std::size_t width) {
        std::string text = std::to_string(number);
        return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
    };
    return digits(static_cast<unsigned>(static_cast<int>(day.year())), 4) + "-" +
           digits(static_cast<unsigned>(day.month()), 2) + "-" + digits(static_cast<unsigned>(day.day()), 2);
}

std::string holidaysText(const std::vector<HolidayRange>& holidays)
{
    std::string text;
    for (const HolidayRange& range : holidays) {
        if (!text.empty())
            text += ", ";
        text += dayText(range.first);
        if (range.last != range.first)
            text += ".." + dayText(range.last);
    }
    return text;
}

std::string policyValueText(const Policy& policy, PolicyKey key)
{
    const PolicyRule& rule = policyRule(key);
    switch (rule.kind) {
    case PolicyKind::Boolean:
        return std::string(policy.*rule.flag ? kPolicyTrue : kPolicyFalse);
    case PolicyKind::Number:
        return std::to_string(policy.*rule.number);
    case PolicyKind::Dates:
        break;
    }
    return holidaysText(policy.holidays);
}

} // namespace quelvo
