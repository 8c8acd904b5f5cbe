#include "app/ctl.h"

#include "platform/settings_keys.h"
#include "schedule/clock_mode.h"
#include "schedule/event_list.h"
#include "schedule/firing_skips.h"
#include "schedule/schedule_file.h"

#include <charconv>
#include <chrono>
#include <ostream>

namespace quelvo {

namespace {

constexpr std::string_view kNextUsage = "next [--json]";
constexpr std::string_view kSkipUsage = "skip LINE-NUMBER";
constexpr std::string_view kUnskipUsage = "unskip";

int usage(CtlContext& ctx, std::string_view line)
{
    ctx.err << "usage: quelvoctl " << line << '\n';
    return kCtlUsage;
}

// The schedule's lines; a schedule that exists but can't be read is an error, never an empty one.
std::optional<std::vector<std::string>> readLines(CtlContext& ctx)
{
    ScheduleRead file = ScheduleFile(ctx.fs, ctx.folder).read();
    if (!file.io.ok()) {
        ctx.err << "quelvoctl: " << file.io.error << '\n';
        return std::nullopt;
    }
    return std::move(file.lines);
}

std::string actionOf(const NextFiring& firing)
{
    return firing.reboot ? "reboot" : "shutdown";
}

int next(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool json = args.size() == 1 && args[0] == "--json";
    if (!args.empty() && !json)
        return usage(ctx, kNextUsage);
    // The clock mode decides which lines match; one that can't be read is not guessed.
    if (!settingsReadable(ctx))
        return kCtlFailed;
    const auto lines = readLines(ctx);
    if (!lines)
        return kCtlFailed;
    const WallTime now = ctx.clock.wallNow();
    const auto firing = nextFiring(*lines, matchesIn24HourForm(ctx.settings), ctx.clock, now,
                                   parseFirings(ctx.settings.get(setting::kLastFired, "")),
                                   pendingSkips(ctx.settings, ctx.clock), SkippedFirings::Included);
    if (!firing) {
        if (json)
            ctx.out << "null\n";
        return kCtlNothing;
    }
    const std::size_t number = listNumberOf(*lines, firing->index);
    const long long seconds = std::chrono::floor<std::chrono::seconds>(firing->at - now).count();
    const std::string time = isoLocalTime(ctx.clock, firing->at);
    if (json) {
        ctx.out << "{\"line_number\": " << (number ? std::to_string(number) : "null")
                << ", \"line\": " << jsonString(firing->line) << ", \"action\": \"" << actionOf(*firing)
                << "\", \"time\": \"" << time << "\", \"seconds\": " << seconds
                << ", \"skipped\": " << (firing->skipped ? "true" : "false") << "}\n";
        return kCtlOk;
    }
    ctx.out << (number ? std::to_string(number) : "-") << '\t' << actionOf(*firing) << '\t' << time << '\t' << seconds
            << '\t' << (firing->skipped ? "skipped" : "not skipped") << '\n';
    return kCtlOk;
}

int skip(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usage(ctx, kSkipUsage);
    const std::optional<std::size_t> number = parseRowNumber(args[0]);
    if (!number) {
        ctx.err << "quelvoctl: not a line number: '" << args[0] << "'\n";
        return usage(ctx, kSkipUsage);
    }
    if (!settingsReadable(ctx))
        return kCtlFailed;
    const auto lines = readLines(ctx);
    if (!lines)
        return kCtlFailed;
    const std::optional<std::size_t> index = fileIndexOf(*lines, *number);
    if (!index) {
        ctx.err << "quelvoctl: no such event\n";
        return kCtlNothing;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    const SkipResult result = skipNext(file, ctx.settings, ctx.clock, *lines, *index);
    if (!result.firing) {
        ctx.err << "quelvoctl: event " << *number << " does not fire in the next " << kFiringHorizon.count()
                << " days\n";
        return kCtlNothing;
    }
    if (!result.io.ok()) {
        ctx.err << "quelvoctl: " << result.io.error << '\n';
        return kCtlFailed;
    }
    const char* what = result.alreadySkipped ? "already skipped" : result.removed ? "removed" : "skipped";
    ctx.out << what << '\t' << isoLocalTime(ctx.clock, result.firing->at) << '\t' << result.firing->line << '\n';
    return kCtlOk;
}

int unskip(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (!args.empty())
        return usage(ctx, kUnskipUsage);
    if (IoResult r = clearSkips(ctx.settings); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return kCtlFailed;
    }
    return kCtlOk;
}

} // namespace

std::optional<std::size_t> parseRowNumber(const std::string& text)
{
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

std::size_t listNumberOf(const std::vector<std::string>& lines, std::size_t index)
{
    const std::vector<ListRow> rows = buildEventLists(lines).rows;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].sourceLine == lines[index])
            return row + 1;
    }
    return 0;
}

std::optional<std::size_t> fileIndexOf(const std::vector<std::string>& lines, std::size_t number)
{
    const std::vector<ListRow> rows = buildEventLists(lines).rows;
    if (number == 0 || number > rows.size())
        return std::nullopt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == rows[number - 1].sourceLine)
            return i;
    }
    return std::nullopt;
}

std::vector<CtlCommand> nextCommands()
{
    return {
        {"next",
         std::string(kNextUsage) + "      the next event: line number, action, local time, seconds until it,\n"
                                   "                     whether it is skipped (exit 1: none scheduled)",
         next},
        {"skip",
         std::string(kSkipUsage) + "   skip the next firing of that event (line numbers as list counts\n"
                                   "                     them); a one-off event is deleted",
         skip},
        {"unskip", std::string(kUnskipUsage) + "             let every skipped event fire again", unskip},
    };
}

} // namespace quelvo
