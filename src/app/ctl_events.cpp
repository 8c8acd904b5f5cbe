#include "app/ctl.h"

#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/event_editor.h"
#include "schedule/quick_action.h"
#include "schedule/schedule_checker.h"
#include "schedule/schedule_file.h"

#include <chrono>
#include <optional>
#include <ostream>

namespace quelvo {

namespace {

constexpr std::string_view kAddUsage =
    "add --days mon,fri --hour H --minute M [--ampm AM|PM] (--shutdown|--reboot) [--repeat]";
constexpr std::string_view kDueUsage = "due [--json] \"YYYY-MM-DD HH:MM\"";
constexpr std::string_view kInUsage = "in 5|15|30|60 shutdown|reboot";

// The editor's boxes, Monday first, as the command line names them.
constexpr std::string_view kDayNames[7] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

int usage(CtlContext& ctx, std::string_view line)
{
    ctx.err << "usage: quelvoctl " << line << '\n';
    return kCtlUsage;
}

// "mon,fri" as the editor's boxes; nullopt names the first word that is no day.
std::optional<DayBoxes> parseDays(std::string_view text, std::string& unknown)
{
    DayBoxes days{};
    // No text at all is the editor with no box checked, which gets the editor's own message.
    if (text.empty())
        return days;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        bool found = false;
        for (std::size_t d = 0; d < days.size(); ++d) {
            if (name == kDayNames[d]) {
                days[d] = true;
                found = true;
            }
        }
        if (!found) {
            unknown = std::string(name);
            return std::nullopt;
        }
        if (comma == std::string_view::npos)
            return days;
        text.remove_prefix(comma + 1);
    }
}

// Writes the lines one by one and shows each once it is in the file, so the output never claims
// a line that a failed write left out.
int appendLines(CtlContext& ctx, const std::vector<std::string>& lines)
{
    ScheduleFile file(ctx.fs, ctx.folder);
    if (IoResult r = file.createIfMissing(); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return kCtlFailed;
    }
    for (const std::string& line : lines) {
        if (IoResult r = file.append(line); !r.ok()) {
            ctx.err << "quelvoctl: " << r.error << '\n';
            return kCtlFailed;
        }
        ctx.out << line << '\n';
    }
    return kCtlOk;
}

int saveInput(CtlContext& ctx, const EditorInput& input)
{
    const SavePlan plan = planSave(input);
    if (!plan.ok()) {
        ctx.err << plan.error->text << '\n';
        return kCtlUsage;
    }
    // Both rules read `24hr` as stored; only a value the program never writes sets them apart.
    if (!input.twentyFour && matchesIn24HourForm(ctx.settings)) {
        ctx.err << "quelvoctl: warning: 24hr is \"" << ctx.settings.get(setting::kTwentyFour.key, "")
                << "\", not \"True\" or \"False\": new lines are saved in 12-hour form, but the checker matches "
                   "24-hour lines; set 24hr to True or False\n";
    }
    return appendLines(ctx, plan.lines);
}

int add(CtlContext& ctx, const std::vector<std::string>& args)
{
    EditorInput input;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--shutdown") {
            input.shutdown = true;
            continue;
        }
        if (option == "--reboot") {
            input.reboot = true;
            continue;
        }
        if (option == "--repeat") {
            input.repeat = true;
            continue;
        }
        if (option != "--days" && option != "--hour" && option != "--minute" && option != "--ampm")
            return usage(ctx, kAddUsage);
        if (i + 1 >= args.size())
            return usage(ctx, kAddUsage);
        const std::string& value = args[++i];
        if (option == "--days") {
            std::string unknown;
            const auto days = parseDays(value, unknown);
            if (!days) {
                ctx.err << "quelvoctl: unknown day '" << unknown << "' (mon, tue, wed, thu, fri, sat, sun)\n";
                return usage(ctx, kAddUsage);
            }
            input.days = *days;
        } else if (option == "--hour") {
            input.hour = value;
        } else if (option == "--minute") {
            input.minute = value;
        } else {
            input.ampm = value;
        }
    }
    if (!settingsReadable(ctx))
        return kCtlFailed;
    input.twentyFour = savesIn24HourForm(ctx.settings);
    return saveInput(ctx, input);
}

// Reads the digits of text[first, first + count) as a number; nullopt for anything but digits.
std::optional<int> digits(std::string_view text, std::size_t first, std::size_t count)
{
    int value = 0;
    for (char c : text.substr(first, count)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "YYYY-MM-DD HH:MM" as a local time with its weekday; nullopt for any other text or an impossible date.
std::optional<LocalTime> parseMinute(std::string_view text)
{
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':')
        return std::nullopt;
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    if (!year || !month || !day || !hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok())
        return std::nullopt;
    LocalTime t;
    t.year = *year;
    t.month = *month;
    t.day = *day;
    t.hour = *hour;
    t.minute = *minute;
    t.weekday = static_cast<int>(std::chrono::weekday(std::chrono::sys_days(date)).c_encoding());
    return t;
}

int due(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool json = args.size() == 2 && args[0] == "--json";
    if (args.size() != 1 && !json)
        return usage(ctx, kDueUsage);
    const std::string& minute = args.back();
    const auto when = parseMinute(minute);
    if (!when) {
        ctx.err << "quelvoctl: not a date and minute: '" << minute << "'\n";
        return usage(ctx, kDueUsage);
    }
    if (!settingsReadable(ctx))
        return kCtlFailed;
    // Read only: a missing schedule is an empty one, and neither the file nor `lastfired` is touched.
    const ScheduleRead file = ScheduleFile(ctx.fs, ctx.folder).read();
    if (!file.io.ok()) {
        ctx.err << "quelvoctl: " << file.io.error << '\n';
        return kCtlFailed;
    }
    const std::vector<std::string>& lines = file.lines;
    const bool twentyFour = matchesIn24HourForm(ctx.settings);
    // The checker reports its match lower-cased; asking it line by line keeps the line as stored.
    for (const std::string& line : lines) {
        const auto match = findDue({line}, *when, twentyFour);
        if (!match)
            continue;
        if (json) {
            ctx.out << jsonEvent(line, "keep", match->repeat, match->reboot) << '\n';
            return kCtlOk;
        }
        ctx.out << line << '\t' << (match->reboot ? "reboot" : "shutdown") << '\t' << (match->repeat ? "keep" : "drop")
                << '\n';
        return kCtlOk;
    }
    if (json)
        ctx.out << "null\n";
    return kCtlNothing;
}

int in(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 2 || (args[1] != "shutdown" && args[1] != "reboot"))
        return usage(ctx, kInUsage);
    const bool reboot = args[1] == "reboot";
    const QuickActionMember* member = nullptr;
    for (const QuickActionMember& candidate : kQuickActions) {
        if (args[0] == std::to_string(candidate.minutes) && candidate.reboot == reboot)
            member = &candidate;
    }
    if (member == nullptr)
        return usage(ctx, kInUsage);
    if (!settingsReadable(ctx))
        return kCtlFailed;

    const bool twentyFour = savesIn24HourForm(ctx.settings);
    const QuickActionFill fill = quickaction(member->minutes, reboot, twentyFour, ctx.clock);
    // In 24-hour mode the AM/PM box keeps its text and plays no part; the program starts it at "AM".
    if (int code = saveInput(ctx, editorInputFor(fill, "AM", twentyFour)); code != kCtlOk)
        return code;
    ctx.out << fill.message << '\n';
    return kCtlOk;
}

} // namespace

std::vector<CtlCommand> eventCommands()
{
    return {
        {"add", std::string(kAddUsage) + "\n                     add an event as the editor saves it", add},
        {"due", std::string(kDueUsage) + "\n                     the event that would fire in that minute", due},
        {"in", std::string(kInUsage) + "\n                     a one-off event that many minutes from now", in},
    };
}

} // namespace quelvo
