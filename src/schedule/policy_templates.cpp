#include "schedule/policy_templates.h"

#include "schedule/policy_table.h"

namespace quelvo {

namespace {

constexpr std::string_view kRegistryKey = "Software\\Policies\\Quelvo";
constexpr std::string_view kCategory = "Quelvo";
constexpr std::string_view kSchema = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

std::string xmlText(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string name(const PolicyRule& rule)
{
    return std::string(rule.name);
}

// What the explanation adds to the table's meaning: what "Enabled" means and what applies unset.
std::string explanation(const PolicyRule& rule)
{
    std::string text(rule.meaning);
    switch (rule.kind) {
    case PolicyKind::Boolean:
        text += "\n\nEnabled: yes (1). Disabled: no (0). Not configured: " +
                std::string(rule.defaultText == kPolicyTrue ? "yes" : "no") + ".";
        break;
    case PolicyKind::Number:
        text += "\n\nFrom " + std::to_string(rule.least) + " to " + std::to_string(rule.most) + "; default " +
                std::string(rule.defaultText) + ".";
        break;
    case PolicyKind::Dates:
        text += "\n\nNot configured: none.";
        break;
    }
    return text;
}

} // namespace

std::string policyAdmx()
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<!-- Generated from Quelvo's policy table; do not edit. -->\n"
                      "<policyDefinitions xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" schemaVersion=\"1.0\" "
                      "xmlns=\"" +
                      std::string(kSchema) +
                      "\">\n"
                      "  <policyNamespaces>\n"
                      "    <target prefix=\"quelvo\" namespace=\"Velmor.Policies.Quelvo\"/>\n"
                      "    <using prefix=\"windows\" namespace=\"Microsoft.Policies.Windows\"/>\n"
                      "  </policyNamespaces>\n"
                      "  <resources minRequiredRevision=\"1.0\"/>\n"
                      "  <categories>\n"
                      "    <category name=\"" +
                      std::string(kCategory) + "\" displayName=\"$(string." + std::string(kCategory) +
                      ")\"/>\n"
                      "  </categories>\n"
                      "  <policies>\n";
    for (const PolicyRule& rule : policyRules()) {
        const std::string id = name(rule);
        out += "    <policy name=\"" + id + "\" class=\"Machine\" displayName=\"$(string." + id +
               ")\" explainText=\"$(string." + id + "_Help)\"";
        if (rule.kind != PolicyKind::Boolean)
            out += " presentation=\"$(presentation." + id + ")\"";
        out += " key=\"" + xmlText(kRegistryKey) + "\"";
        if (rule.kind == PolicyKind::Boolean)
            out += " valueName=\"" + id + "\"";
        out += ">\n      <parentCategory ref=\"" + std::string(kCategory) +
               "\"/>\n      <supportedOn ref=\"windows:SUPPORTED_Windows7\"/>\n";
        switch (rule.kind) {
        case PolicyKind::Boolean:
            out += "      <enabledValue>\n        <decimal value=\"1\"/>\n      </enabledValue>\n"
                   "      <disabledValue>\n        <decimal value=\"0\"/>\n      </disabledValue>\n";
            break;
        case PolicyKind::Number:
            out += "      <elements>\n        <decimal id=\"" + id + "\" valueName=\"" + id + "\" minValue=\"" +
                   std::to_string(rule.least) + "\" maxValue=\"" + std::to_string(rule.most) +
                   "\"/>\n      </elements>\n";
            break;
        case PolicyKind::Dates:
            out += "      <elements>\n        <text id=\"" + id + "\" valueName=\"" + id +
                   "\" maxLength=\"1023\"/>\n      </elements>\n";
            break;
        }
        out += "    </policy>\n";
    }
    return out + "  </policies>\n</policyDefinitions>\n";
}

std::string policyAdml()
{
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<!-- Generated from Quelvo's policy table; do not edit. -->\n"
                      "<policyDefinitionResources xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" schemaVersion=\"1.0\" "
                      "xmlns=\"" +
                      std::string(kSchema) +
                      "\">\n"
                      "  <displayName>Quelvo</displayName>\n"
                      "  <description>What users may do with the machine's schedule of shutdowns and "
                      "restarts.</description>\n"
                      "  <resources>\n"
                      "    <stringTable>\n"
                      "      <string id=\"" +
                      std::string(kCategory) + "\">Quelvo</string>\n";
    for (const PolicyRule& rule : policyRules()) {
        out += "      <string id=\"" + name(rule) + "\">" + xmlText(rule.caption) + "</string>\n";
        out += "      <string id=\"" + name(rule) + "_Help\">" + xmlText(explanation(rule)) + "</string>\n";
    }
    out += "    </stringTable>\n    <presentationTable>\n";
    for (const PolicyRule& rule : policyRules()) {
        const std::string id = name(rule);
        if (rule.kind == PolicyKind::Number) {
            out += "      <presentation id=\"" + id + "\">\n        <decimalTextBox refId=\"" + id +
                   "\" defaultValue=\"" + std::string(rule.defaultText) + "\">" + xmlText(rule.caption) +
                   "</decimalTextBox>\n      </presentation>\n";
        } else if (rule.kind == PolicyKind::Dates) {
            out += "      <presentation id=\"" + id + "\">\n        <textBox refId=\"" + id + "\">\n          <label>" +
                   xmlText(rule.caption) + "</label>\n        </textBox>\n      </presentation>\n";
        }
    }
    return out + "    </presentationTable>\n  </resources>\n</policyDefinitionResources>\n";
}

} // namespace quelvo
