// The policy file reader: whatever the file holds, every value in effect is within its key's range,
// every problem names a line of the file, and the values the file set, written back as policy.ini
// spells them, read back the same without a problem.
#include "fuzz_input.h"
#include "schedule/policy_reader.h"

#include <chrono>

using namespace quelvo;

namespace {

std::size_t lineCount(std::string_view text)
{
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::string text = in.rest();
    const PolicyReading reading = readPolicyFile(text);

    for (const PolicyRule& rule : policyRules()) {
        if (rule.kind == PolicyKind::Number) {
            const int value = reading.policy.*rule.number;
            fuzz::require(value >= rule.least && value <= rule.most, "a number in effect is within its range");
        }
    }
    for (const HolidayRange& range : reading.policy.holidays) {
        fuzz::require(range.first.ok() && range.last.ok(), "a holiday is a real day");
        fuzz::require(std::chrono::sys_days(range.first) <= std::chrono::sys_days(range.last),
                      "a holiday range ends no earlier than it begins");
    }
    const std::size_t lines = lineCount(text);
    for (const PolicyProblem& problem : reading.problems)
        fuzz::require(problem.line >= 1 && problem.line <= lines, "a problem names a line of the file");

    std::string written = "[policy]\n";
    for (const PolicyRule& rule : policyRules()) {
        if (reading.origin(rule.key) == PolicyOrigin::File)
            written += std::string(rule.name) + "=" + policyValueText(reading.policy, rule.key) + "\n";
    }
    const PolicyReading again = readPolicyFile(written);
    fuzz::require(again.problems.empty(), "the values a file set, written back, are valid");
    for (const PolicyRule& rule : policyRules()) {
        fuzz::require(again.origin(rule.key) == reading.origin(rule.key), "written back, a value keeps its origin");
        fuzz::require(policyValueText(again.policy, rule.key) == policyValueText(reading.policy, rule.key),
                      "written back, a value reads back the same");
    }
    return 0;
}
