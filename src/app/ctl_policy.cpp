#include "app/ctl.h"

#include <algorithm>
#include <ostream>

namespace quelvo {

namespace {

constexpr std::string_view kShowUsage = "policy show [--json] [--root DIR]";
constexpr std::string_view kCheckUsage = "policy check FILE";

// The largest file `check` reads; as large as the machine's own reader takes.
constexpr std::int64_t kMaxCheckedBytes = std::int64_t{1} * 1024 * 1024;

// The text padded with blanks to `width`, so that the values stand in one column.
std::string column(std::string_view text, std::size_t width)
{
    std::string padded(text);
    padded.resize(std::max(width, padded.size() + 1), ' ');
    return padded;
}

int usage(CtlContext& ctx)
{
    ctx.err << "usage: quelvoctl " << kShowUsage << "\n       quelvoctl " << kCheckUsage << '\n';
    return kCtlUsage;
}

std::string jsonValue(const Policy& policy, const PolicyRule& rule)
{
    switch (rule.kind) {
    case PolicyKind::Boolean:
        return policy.*rule.flag ? "true" : "false";
    case PolicyKind::Number:
        return std::to_string(policy.*rule.number);
    case PolicyKind::Dates:
        break;
    }
    std::string list = "[";
    for (const HolidayRange& range : policy.holidays) {
        if (list.size() > 1)
            list += ", ";
        list += jsonString(holidaysText({range}));
    }
    return list + "]";
}

void printJson(std::ostream& out, const PolicySource& source)
{
    const PolicyReading& reading = source.reading;
    out << "{\"place\": " << jsonString(source.place, JsonBytes::Utf8) << ", \"keys\": [";
    const char* separator = "";
    for (const PolicyRule& rule : policyRules()) {
        out << separator << "{\"key\": " << jsonString(rule.name) << ", \"value\": " << jsonValue(reading.policy, rule)
            << ", \"from\": " << jsonString(policyOriginName(reading.origin(rule.key))) << '}';
        separator = ", ";
    }
    out << "], \"problems\": [";
    separator = "";
    for (const PolicyProblem& problem : reading.problems) {
        out << separator << "{\"line\": " << problem.line << ", \"key\": " << jsonString(problem.key, JsonBytes::Utf8)
            << ", \"reason\": " << jsonString(problem.reason, JsonBytes::Utf8) << '}';
        separator = ", ";
    }
    out << "]}\n";
}

int show(CtlContext& ctx, const std::vector<std::string>& args)
{
    bool json = false;
    std::optional<std::string> root;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json" && !json) {
            json = true;
        } else if (args[i] == "--root" && !root && i + 1 < args.size() && !args[i + 1].empty()) {
            root = args[++i];
        } else {
            return usage(ctx);
        }
    }
    if (!ctx.readPolicy) {
        ctx.err << "quelvoctl: this system keeps no policy\n";
        return kCtlUsage;
    }
    const PolicySource source = ctx.readPolicy(root.value_or(""));
    if (json) {
        printJson(ctx.out, source);
        return kCtlOk;
    }
    for (const PolicyRule& rule : policyRules()) {
        ctx.out << column(rule.name, 18) << column(policyOriginName(source.reading.origin(rule.key)), 10)
                << policyValueText(source.reading.policy, rule.key) << '\n';
    }
    for (const PolicyProblem& problem : source.reading.problems)
        ctx.out << policyProblemLine(source.place, problem) << '\n';
    return kCtlOk;
}

int check(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1 || args[0].empty())
        return usage(ctx);
    const std::string& path = args[0];
    const ReadResult file = ctx.fs.read(path, kMaxCheckedBytes);
    if (!file.bytes) {
        ctx.err << "quelvoctl: " << (file.missing() ? path + ": no such file" : file.io.error) << '\n';
        return kCtlFailed;
    }
    const PolicyReading reading = readPolicyFile(*file.bytes);
    if (reading.problems.empty()) {
        ctx.out << path << ": policy is valid\n";
        return kCtlOk;
    }
    for (const PolicyProblem& problem : reading.problems)
        ctx.err << policyProblemLine(path, problem) << '\n';
    return kCtlUsage;
}

int policy(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.empty())
        return usage(ctx);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "show")
        return show(ctx, rest);
    if (args[0] == "check")
        return check(ctx, rest);
    return usage(ctx);
}

} // namespace

std::vector<CtlCommand> policyCommands()
{
    return {
        {"policy",
         std::string(kShowUsage) + "  what the administrator's policy sets, and where each value comes from\n  " +
             std::string(kCheckUsage) + "                  check a policy file: each problem with its line",
         policy},
    };
}

} // namespace quelvo
