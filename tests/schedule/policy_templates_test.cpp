#include "schedule/policy_templates.h"

#include "schedule/policy_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace quelvo {
namespace {

// Each <policy> element of the template by its name, the whole element's text.
std::map<std::string, std::string> policiesOf(const std::string& admx)
{
    std::map<std::string, std::string> policies;
    const std::regex element(R"x(<policy name="([^"]*)"[\s\S]*?</policy>)x");
    for (auto it = std::sregex_iterator(admx.begin(), admx.end(), element); it != std::sregex_iterator(); ++it)
        policies[(*it)[1]] = it->str();
    return policies;
}

std::set<std::string> matches(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

TEST(PolicyTemplates, ListEveryKeyOfTheTableWithItsRegistryValueAndNothingElse)
{
    const std::string admx = policyAdmx();
    const std::map<std::string, std::string> policies = policiesOf(admx);
    std::set<std::string> names;
    for (const PolicyRule& rule : policyRules()) {
        const std::string name(rule.name);
        names.insert(name);
        ASSERT_EQ(policies.count(name), 1u) << name;
        const std::string& policy = policies.at(name);
        EXPECT_NE(policy.find(R"x(class="Machine")x"), std::string::npos) << policy;
        EXPECT_NE(policy.find(R"x(key="Software\Policies\Quelvo")x"), std::string::npos) << policy;
        EXPECT_NE(policy.find(R"x(<parentCategory ref="Quelvo"/>)x"), std::string::npos) << policy;
        std::string value;
        switch (rule.kind) {
        case PolicyKind::Boolean:
            value = "valueName=\"" + name + "\">";
            EXPECT_NE(policy.find("<enabledValue>\n        <decimal value=\"1\"/>"), std::string::npos) << policy;
            EXPECT_NE(policy.find("<disabledValue>\n        <decimal value=\"0\"/>"), std::string::npos) << policy;
            break;
        case PolicyKind::Number:
            value = "<decimal id=\"" + name + "\" valueName=\"" + name + "\" minValue=\"" + std::to_string(rule.least) +
                    "\" maxValue=\"" + std::to_string(rule.most) + "\"/>";
            break;
        case PolicyKind::Dates:
            value = "<text id=\"" + name + "\" valueName=\"" + name + "\"";
            break;
        }
        EXPECT_NE(policy.find(value), std::string::npos) << policy;
    }
    EXPECT_EQ(policies.size(), names.size());
    // Registry values the readers do not know would be written and then reported as unknown.
    EXPECT_EQ(matches(admx, R"x(valueName="([^"]*)\")x"), names);
    EXPECT_EQ(matches(admx, R"x(<category name="([^"]*)\")x"), std::set<std::string>{"Quelvo"});
}

TEST(PolicyTemplates, TheLanguageFileDefinesEveryTextAndPresentationTheTemplateNames)
{
    const std::string admx = policyAdmx();
    const std::string adml = policyAdml();
    EXPECT_EQ(matches(admx, R"x(\$\(string\.([^)]*)\))x"), matches(adml, R"x(<string id="([^"]*)\")x"));
    EXPECT_EQ(matches(admx, R"x(\$\(presentation\.([^)]*)\))x"), matches(adml, R"x(<presentation id="([^"]*)\")x"));
    // Each box of a presentation belongs to an element of its policy.
    EXPECT_EQ(matches(admx, R"x(<(?:decimal|text) id="([^"]*)\")x"), matches(adml, R"x(refId="([^"]*)\")x"));
    EXPECT_NE(adml.find(R"x(<decimalTextBox refId="warn" defaultValue="10">)x"), std::string::npos);
}

// quelvoctl's manual page describes each key with its range and default as the table has them.
TEST(PolicyTemplates, TheManualPageGivesEachKeysRangeAndDefault)
{
    std::ifstream file(QUELVO_MAN_PAGE);
    const std::string man{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(man.empty());
    for (const PolicyRule& rule : policyRules()) {
        std::string range;
        switch (rule.kind) {
        case PolicyKind::Boolean:
            range = "True or False, default " + std::string(rule.defaultText);
            break;
        case PolicyKind::Number:
            range = std::to_string(rule.least) + " to " + std::to_string(rule.most) + ", default " +
                    std::string(rule.defaultText);
            break;
        case PolicyKind::Dates:
            range = "Dates and ranges, default none";
            break;
        }
        EXPECT_NE(man.find(".B " + std::string(rule.name) + "\n" + range + ":"), std::string::npos) << rule.name;
    }
}

} // namespace
} // namespace quelvo
