#include "app/ctl.h"
#include "schedule/clock_mode.h"
#include "schedule/event_line_check.h"
#include "schedule/event_list.h"
#include "schedule/schedule_file.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

namespace quelvo {

namespace {

// The folder is made on first use, as the tray program does at start-up.
bool prepare(CtlContext& ctx, ScheduleFile& file)
{
    if (IoResult r = file.createIfMissing(); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return false;
    }
    return true;
}

// A schedule that exists but can't be read is an error, never an empty list.
bool readable(CtlContext& ctx, const EventList& events)
{
    if (events.loadResult().ok())
        return true;
    ctx.err << "quelvoctl: " << events.loadResult().error << '\n';
    return false;
}

int list(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool raw = args.size() == 1 && args[0] == "--raw";
    const bool json = args.size() == 1 && args[0] == "--json";
    if (!args.empty() && !raw && !json) {
        ctx.err << "usage: quelvoctl list [--raw | --json]\n";
        return kCtlUsage;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    // Listing works from a read-only place too: a schedule that can't be created is empty.
    (void)file.createIfMissing();
    EventList events(file);
    (void)events.loadlist();
    if (!readable(ctx, events))
        return kCtlFailed;
    if (raw) {
        for (const auto& line : events.lst_events())
            ctx.out << line << '\n';
        return kCtlOk;
    }
    if (json) {
        const char* separator = "\n";
        ctx.out << '[';
        for (const auto& row : events.rows()) {
            const auto event = checkEventLine(row.sourceLine).event;
            ctx.out << separator << "  " << jsonEvent(row.sourceLine, "repeat", event && event->repeat);
            separator = ",\n";
        }
        ctx.out << (events.rows().empty() ? "]\n" : "\n]\n");
        return kCtlOk;
    }
    for (const auto& row : events.rows())
        ctx.out << row.columns.timeAndDate << '\t' << row.columns.action << '\t' << row.columns.repeated << '\n';
    return kCtlOk;
}

std::optional<std::size_t> parseRow(const std::string& text)
{
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value - 1;
}

int remove(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() > 1) {
        ctx.err << "usage: quelvoctl delete ROW\n";
        return kCtlUsage;
    }
    const std::optional<std::size_t> row = args.empty() ? std::nullopt : parseRow(args[0]);
    if (!row) {
        ctx.err << EventList::nothingSelected().text << '\n';
        return kCtlUsage;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    // The row is chosen on the lines the change replaces: another command deleting at the same
    // moment moves the rows, and a row chosen before it would name an event already gone.
    const ScheduleFile::Replaced deleted =
        file.rewrite([&row](const std::vector<std::string>& lines) { return withoutRow(lines, *row); });
    if (!deleted.io.ok()) {
        ctx.err << "quelvoctl: " << deleted.io.error << '\n';
        return kCtlFailed;
    }
    if (deleted.unchanged) {
        ctx.err << "quelvoctl: no such event\n";
        return kCtlNothing;
    }
    return kCtlOk;
}

bool confirmed(CtlContext& ctx)
{
    ctx.out << EventList::deleteall().text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(ctx.in, answer))
        return false;
    answer = toLowerAscii(answer);
    while (!answer.empty() && (answer.back() == ' ' || answer.back() == '\r'))
        answer.pop_back();
    while (!answer.empty() && answer.front() == ' ')
        answer.erase(0, 1);
    return answer == "y" || answer == "yes";
}

int clear(CtlContext& ctx, const std::vector<std::string>& args)
{
    const bool yes = args.size() == 1 && args[0] == "--yes";
    if (!args.empty() && !yes) {
        ctx.err << "usage: quelvoctl clear [--yes]\n";
        return kCtlUsage;
    }
    if (!yes && !ctx.interactive) {
        ctx.err << "quelvoctl: clear deletes every event; pass --yes when not asking on a terminal\n";
        return kCtlUsage;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    if (!prepare(ctx, file))
        return kCtlFailed;
    if (!yes && !confirmed(ctx))
        return kCtlNothing;
    EventList events(file);
    if (IoResult r = events.answerDeleteAll(true); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return kCtlFailed;
    }
    return kCtlOk;
}

int exportSchedule(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (!args.empty()) {
        ctx.err << "usage: quelvoctl export\n";
        return kCtlUsage;
    }
    // The bytes as stored, line ends included, so that an import of them changes nothing.
    const ReadResult read = ScheduleFile(ctx.fs, ctx.folder).contents();
    if (!read.io.ok()) {
        ctx.err << "quelvoctl: " << read.io.error << '\n';
        return kCtlFailed;
    }
    ctx.out << read.bytes.value_or("");
    return kCtlOk;
}

// A schedule file given to import or check, checked line by line: errors and clock-form warnings
// go to stderr with their line numbers. Blank lines are skipped.
struct CheckedFile
{
    int code = kCtlOk;
    std::vector<std::string> lines;
};

CheckedFile readAndCheck(CtlContext& ctx, const std::string& path)
{
    // "-" is standard input, so that a deployment needs no file of its own on the machine.
    ReadResult file;
    if (path == "-") {
        std::ostringstream all;
        all << ctx.in.rdbuf();
        file.bytes = all.str();
    } else {
        file = ctx.fs.read(path, kMaxScheduleBytes);
    }
    if (!file.bytes || ctx.in.bad()) {
        ctx.err << "quelvoctl: " << (file.io.ok() ? "cannot read " + path : file.io.error) << '\n';
        return {kCtlFailed, {}};
    }
    const std::optional<std::string>& bytes = file.bytes;
    CheckedFile checked;
    const bool twentyFour = matchesIn24HourForm(ctx.settings);
    std::size_t number = 0;
    for (const std::string& line : splitLines(*bytes)) {
        ++number;
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const EventLineCheck check = checkEventLine(line);
        if (!check.event) {
            ctx.err << path << ':' << number << ": " << check.error << '\n';
            checked.code = kCtlUsage;
            continue;
        }
        if (const std::string warning = clockFormWarning(*check.event, twentyFour); !warning.empty())
            ctx.err << path << ':' << number << ": warning: " << warning << '\n';
        checked.lines.push_back(line);
    }
    return checked;
}

int check(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        ctx.err << "usage: quelvoctl check FILE\n";
        return kCtlUsage;
    }
    return readAndCheck(ctx, args[0]).code;
}

int import(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        ctx.err << "usage: quelvoctl import FILE\n";
        return kCtlUsage;
    }
    const CheckedFile checked = readAndCheck(ctx, args[0]);
    if (checked.code != kCtlOk) {
        if (checked.code == kCtlUsage)
            ctx.err << "quelvoctl: nothing imported\n";
        return checked.code;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    const ScheduleFile::Replaced replaced =
        file.rewrite([&checked](const std::vector<std::string>& current) -> std::optional<std::vector<std::string>> {
            if (current == checked.lines)
                return std::nullopt;
            return checked.lines;
        });
    if (!replaced.io.ok()) {
        ctx.err << "quelvoctl: " << replaced.io.error << '\n';
        return kCtlFailed;
    }
    if (replaced.unchanged) {
        ctx.out << "unchanged\n";
        return kCtlNothing;
    }
    ctx.out << "imported " << checked.lines.size() << (checked.lines.size() == 1 ? " event\n" : " events\n");
    return kCtlOk;
}

} // namespace

std::vector<CtlCommand> scheduleCommands()
{
    std::vector<CtlCommand> commands = {
        {"list",
         "list [--raw|--json]\n                     the events as the list shows them (tab-separated), the raw "
         "lines, or JSON",
         list},
        {"delete", "delete ROW         delete the event of row ROW (1-based, in list order)", remove},
        {"clear", "clear [--yes]      delete all events (asks first unless --yes)", clear},
        {"export", "export             print the schedule exactly as stored", exportSchedule},
        {"import", "import FILE|-      replace the schedule with FILE's events (all or nothing)", import},
        {"check", "check FILE         check a schedule file without changing anything", check},
    };
    for (auto& command : eventCommands())
        commands.push_back(std::move(command));
    return commands;
}

} // namespace quelvo
