#include "schedule/policy_reader.h"

#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

// What one key comes to: its value as policy.ini spells it and where it came from.
struct Effect
{
    PolicyKey key;
    std::string value;
    PolicyOrigin origin;
};

std::string problemsOf(const PolicyReading& reading)
{
    std::string text;
    for (const PolicyProblem& p : reading.problems)
        text += std::to_string(p.line) + ": " + p.key + ": " + p.reason + "\n";
    return text;
}

void expectEffect(const PolicyReading& reading, const Effect& effect, const std::string& context)
{
    EXPECT_EQ(policyValueText(reading.policy, effect.key), effect.value) << context;
    EXPECT_EQ(reading.origin(effect.key), effect.origin) << context;
}

TEST(PolicyReader, AnEmptyPolicyIsEveryDefaultAndSpellingTheDefaultsChangesNothing)
{
    const PolicyReading empty = readPolicyFile("");
    EXPECT_TRUE(empty.problems.empty());
    EXPECT_TRUE(empty.policy.cancel);
    EXPECT_EQ(empty.policy.postpones, 1);
    EXPECT_EQ(empty.policy.postponeMinutes, 15);
    EXPECT_EQ(empty.policy.warnMinutes, 10);
    EXPECT_TRUE(empty.policy.holidays.empty());
    EXPECT_TRUE(empty.policy.userSchedule);
    EXPECT_FALSE(empty.policy.forced);

    // The table's default texts say what the values default to.
    std::string spelt = "[policy]\n";
    for (const PolicyRule& rule : policyRules())
        spelt += std::string(rule.name) + "=" + std::string(rule.defaultText) + "\n";
    const PolicyReading all = readPolicyFile(spelt);
    EXPECT_EQ(problemsOf(all), "");
    for (const PolicyRule& rule : policyRules()) {
        EXPECT_EQ(policyValueText(all.policy, rule.key), policyValueText(empty.policy, rule.key)) << rule.name;
        EXPECT_EQ(all.origin(rule.key), PolicyOrigin::File) << rule.name;
    }
}

TEST(PolicyReader, FileValuesTheirRangesAndEveryProblemWithItsLine)
{
    constexpr auto File = PolicyOrigin::File;
    constexpr auto Default = PolicyOrigin::Default;
    const struct
    {
        std::string text;
        Effect effect;
        std::string problems;
    } cases[] = {
        // Range edges.
        {"[policy]\npostpones=0", {PolicyKey::Postpones, "0", File}, ""},
        {"[policy]\npostpones=5", {PolicyKey::Postpones, "5", File}, ""},
        {"[policy]\npostpones=6", {PolicyKey::Postpones, "1", Default}, "2: postpones: 6 is out of range (0 to 5)\n"},
        {"[policy]\npostpone_minutes=4",
         {PolicyKey::PostponeMinutes, "15", Default},
         "2: postpone_minutes: 4 is out of range (5 to 120)\n"},
        {"[policy]\npostpone_minutes=120", {PolicyKey::PostponeMinutes, "120", File}, ""},
        {"[policy]\nwarn=0", {PolicyKey::Warn, "0", File}, ""},
        {"[policy]\nwarn=-1", {PolicyKey::Warn, "10", Default}, "2: warn: -1 is out of range (0 to 120)\n"},
        {"[policy]\nwarn=121", {PolicyKey::Warn, "10", Default}, "2: warn: 121 is out of range (0 to 120)\n"},
        {"[policy]\nwarn=99999999999999999999",
         {PolicyKey::Warn, "10", Default},
         "2: warn: 99999999999999999999 is out of range (0 to 120)\n"},
        // Blanks around names and values are layout; names ignore letter case, values do not.
        {"[Policy]\n  WARN = 30 ", {PolicyKey::Warn, "30", File}, ""},
        {"[policy]\nforced=True", {PolicyKey::Forced, "True", File}, ""},
        // Wrong types.
        {"[policy]\nwarn=ten", {PolicyKey::Warn, "10", Default}, "2: warn: \"ten\" is not a whole number (0 to 120)\n"},
        {"[policy]\nwarn=5m", {PolicyKey::Warn, "10", Default}, "2: warn: \"5m\" is not a whole number (0 to 120)\n"},
        {"[policy]\npostpones=", {PolicyKey::Postpones, "1", Default}, "2: postpones: no number given (0 to 5)\n"},
        {"[policy]\ncancel=true",
         {PolicyKey::Cancel, "True", Default},
         "2: cancel: \"true\" is neither True nor False\n"},
        {"[policy]\nuser_schedule=0",
         {PolicyKey::UserSchedule, "True", Default},
         "2: user_schedule: \"0\" is neither True nor False\n"},
        // Unknown and twice-set keys, with CR LF line ends and comments counted as lines.
        {"# lab\r\n[policy]\r\nwarm=5\r\n", {PolicyKey::Warn, "10", Default}, "3: warm: unknown key\n"},
        {"[policy]\nwarn=20\n; later\nwarn=30\n",
         {PolicyKey::Warn, "30", File},
         "4: warn: already set on line 2; this line applies\n"},
        {"[policy]\nwarn=30\nWarn=x\n",
         {PolicyKey::Warn, "10", Default},
         "3: Warn: already set on line 2; this line applies\n3: Warn: \"x\" is not a whole number (0 to 120)\n"},
        // Only the [policy] section is read.
        {"warn=30\n[policy]\n", {PolicyKey::Warn, "10", Default}, "1: warn: stands before the [policy] section\n"},
        {"[quelvo/data]\nwarn=30\nwarn=40\n",
         {PolicyKey::Warn, "10", Default},
         "1: : the section [quelvo/data] is not read; only [policy] is\n"},
        {"[policy\nwarn=30\n", {PolicyKey::Warn, "10", Default}, "1: : a section header without its closing ]\n"},
        {"[policy]\nwarn 30\n", {PolicyKey::Warn, "10", Default}, "2: : neither a section header nor key=value\n"},
        // Holidays: days and ranges, across a year's end too; a bad one leaves none.
        {"[policy]\nholidays=2026-12-24..2027-01-06", {PolicyKey::Holidays, "2026-12-24..2027-01-06", File}, ""},
        {"[policy]\nholidays= 2026-05-01 ,2028-02-29 .. 2028-03-01,2026-12-24..2026-12-24",
         {PolicyKey::Holidays, "2026-05-01, 2028-02-29..2028-03-01, 2026-12-24", File},
         ""},
        {"[policy]\nholidays=", {PolicyKey::Holidays, "", File}, ""},
        {"[policy]\nholidays=2026-05-01,2026-02-29",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: \"2026-02-29\" is not a date (YYYY-MM-DD)\n"},
        {"[policy]\nholidays=2027-01-06..2026-12-24",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: \"2027-01-06..2026-12-24\" ends before it begins\n"},
        {"[policy]\nholidays=2026-1-5",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: \"2026-1-5\" is not a date (YYYY-MM-DD)\n"},
        {"[policy]\nholidays=24.12.2026",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: \"24.12.2026\" is not a date (YYYY-MM-DD)\n"},
        {"[policy]\nholidays=2026-12-24..",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: \"\" is not a date (YYYY-MM-DD)\n"},
        {"[policy]\nholidays=2026-12-24,,2026-12-31",
         {PolicyKey::Holidays, "", Default},
         "2: holidays: an empty entry between commas\n"},
    };
    for (const auto& c : cases) {
        const PolicyReading reading = readPolicyFile(c.text);
        EXPECT_EQ(problemsOf(reading), c.problems) << c.text;
        expectEffect(reading, c.effect, c.text);
    }
}

TEST(PolicyReader, RegistryValuesByTypeAndRange)
{
    constexpr auto Registry = PolicyOrigin::Registry;
    constexpr auto Default = PolicyOrigin::Default;
    const struct
    {
        PolicyRegistryValue value;
        Effect effect;
        std::string problems;
    } cases[] = {
        {{"cancel", std::uint32_t{0}}, {PolicyKey::Cancel, "False", Registry}, ""},
        {{"Forced", std::uint32_t{1}}, {PolicyKey::Forced, "True", Registry}, ""},
        {{"cancel", std::uint32_t{2}}, {PolicyKey::Cancel, "True", Default}, "0: cancel: 2 is neither 1 nor 0\n"},
        {{"cancel", std::string("False")},
         {PolicyKey::Cancel, "True", Default},
         "0: cancel: is not a number (REG_DWORD)\n"},
        {{"warn", std::uint32_t{120}}, {PolicyKey::Warn, "120", Registry}, ""},
        {{"warn", std::uint32_t{121}}, {PolicyKey::Warn, "10", Default}, "0: warn: 121 is out of range (0 to 120)\n"},
        {{"postpones", std::monostate{}},
         {PolicyKey::Postpones, "1", Default},
         "0: postpones: is not a number (REG_DWORD)\n"},
        {{"holidays", std::string("2026-12-24..2027-01-06")},
         {PolicyKey::Holidays, "2026-12-24..2027-01-06", Registry},
         ""},
        {{"holidays", std::uint32_t{20261224}},
         {PolicyKey::Holidays, "", Default},
         "0: holidays: is not text (REG_SZ)\n"},
        {{"Holiday", std::string("2026-12-24")}, {PolicyKey::Holidays, "", Default}, "0: Holiday: unknown value\n"},
    };
    for (const auto& c : cases) {
        const PolicyReading reading = readPolicyRegistry({c.value});
        EXPECT_EQ(problemsOf(reading), c.problems) << c.value.name;
        expectEffect(reading, c.effect, c.value.name);
    }
}

TEST(PolicyReader, WarnAndPostponeFallBackOnTheMachineSettingsWhereThePolicyLeavesThem)
{
    constexpr auto File = PolicyOrigin::File;
    constexpr auto Settings = PolicyOrigin::Settings;
    constexpr auto Default = PolicyOrigin::Default;
    const struct
    {
        std::string policy;
        std::string warnSetting; // empty: not set
        Effect effect;
    } cases[] = {
        {"warn=20", "3", {PolicyKey::Warn, "20", File}},
        {"", "3", {PolicyKey::Warn, "3", Settings}},
        {"warn=500", "3", {PolicyKey::Warn, "3", Settings}}, // a bad value counts as not set
        {"", "", {PolicyKey::Warn, "10", Default}},
        {"", "soon", {PolicyKey::Warn, "10", Default}},  // no number: not root's choice of one
        {"", "300", {PolicyKey::Warn, "120", Settings}}, // brought into range as the settings are
    };
    for (const auto& c : cases) {
        test::FakeSettings settings;
        if (!c.warnSetting.empty()) {
            ASSERT_TRUE(settings.save("warn", c.warnSetting).ok());
        }
        ASSERT_TRUE(settings.save("postpone", "45").ok());
        PolicyReading reading = readPolicyFile("[policy]\n" + c.policy);
        applyMachineSettings(reading, settings);
        expectEffect(reading, c.effect, c.policy + " / " + c.warnSetting);
        // The other key the settings keep, and nothing else.
        expectEffect(reading, {PolicyKey::PostponeMinutes, "45", Settings}, c.policy);
        expectEffect(reading, {PolicyKey::Postpones, "1", Default}, c.policy);
    }
}

} // namespace
} // namespace quelvo
