#pragma once

#include "schedule/policy.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace quelvo {

/// A boolean's two texts in policy.ini, spelt as the settings file spells its flags; nothing else is read as either.
inline constexpr std::string_view kPolicyTrue = "True";
inline constexpr std::string_view kPolicyFalse = "False";

/// The policy's keys, in the order the table lists them.
enum class PolicyKey {
    Cancel,
    Postpones,
    PostponeMinutes,
    Warn,
    Holidays,
    UserSchedule,
    Forced,
};

/// How many keys the policy has.
inline constexpr std::size_t kPolicyKeyCount = 7;

/// What a key's value is: True or False (a DWORD of 1 or 0 in the registry), a whole number, or
/// dates and ranges of dates.
enum class PolicyKind {
    Boolean,
    Number,
    Dates,
};

/// One key of the administrator's policy: its name in policy.ini and in the registry, its kind,
/// its default as written, its range, and what it means in words for the documentation and the
/// Group Policy templates.
struct PolicyRule
{
    PolicyKey key;
    std::string_view name;
    PolicyKind kind;
    std::string_view defaultText;
    int least = 0; // numbers only
    int most = 0;
    std::string_view caption;
    std::string_view meaning;
    bool Policy::*flag = nullptr;  // where a boolean's value goes
    int Policy::*number = nullptr; // where a number's value goes
};

/// Every key of the policy, one table for the readers, quelvoctl, the documentation and the templates.
std::span<const PolicyRule> policyRules();

/// The rule of one key.
const PolicyRule& policyRule(PolicyKey key);

/// The rule whose name is `name`, compared without regard to letter case; null for none.
const PolicyRule* findPolicyRule(std::string_view name);

/// The key's value in `policy` as policy.ini spells it ("True", "15", "2026-12-24..2027-01-06").
std::string policyValueText(const Policy& policy, PolicyKey key);

/// The holidays as policy.ini spells them: days and ranges separated by ", ".
std::string holidaysText(const std::vector<HolidayRange>& holidays);

/// A day as policy.ini spells it: 2026-12-24.
std::string dayText(std::chrono::year_month_day day);

} // namespace quelvo
