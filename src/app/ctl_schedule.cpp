#include "app/ctl.h"
#include "schedule/clock_mode.h"
#include "schedule/event_line_check.h"
#include "schedule/event_list.h"
#include "schedule/firing_skips.h"
#include "schedule/schedule_file.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <map>
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
    // Reading creates nothing: a missing schedule is an empty list, wherever --folder points.
    ScheduleFile file(ctx.fs, ctx.folder);
    EventList events(file);
    (void)events.loadlist();
    if (!readable(ctx, events))
        return kCtlFailed;
    if (raw) {
        for (const auto& line : events.lst_events())
            ctx.out << line << '\n';
        return kCtlOk;
    }
    // When each line's next firing is skipped; unreadable settings show none skipped rather than no list.
    std::map<std::string, std::string> skippedAt;
    for (const NextFiring& firing : nextFiringsNow(events.lst_events(), ctx.settings, ctx.clock)) {
        if (firing.skipped)
            skippedAt.emplace(firing.line, isoLocalTime(ctx.clock, firing.at));
    }
    if (json) {
        const char* separator = "\n";
        ctx.out << '[';
        for (const auto& row : events.rows()) {
            const auto event = checkEventLine(row.sourceLine).event;
            std::string object = jsonEvent(row.sourceLine, "repeat", event && event->repeat);
            const auto skipped = skippedAt.find(row.sourceLine);
            object.pop_back();
            object += ", \"skipped\": " + (skipped == skippedAt.end() ? "null" : jsonString(skipped->second)) + '}';
            ctx.out << separator << "  " << object;
            separator = ",\n";
        }
        ctx.out << (events.rows().empty() ? "]\n" : "\n]\n");
        return kCtlOk;
    }
    for (const auto& row : events.rows()) {
        ctx.out << row.columns.timeAndDate << '\t' << row.columns.action << '\t' << row.columns.repeated;
        if (const auto skipped = skippedAt.find(row.sourceLine); skipped != skippedAt.end())
            ctx.out << "\tskipped " << skipped->second;
        ctx.out << '\n';
    }
    return kCtlOk;
}

int remove(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() > 1) {
        ctx.err << "usage: quelvoctl delete ROW\n";
        return kCtlUsage;
    }
    const std::optional<std::size_t> number = args.empty() ? std::nullopt : parseRowNumber(args[0]);
    if (!number) {
        ctx.err << EventList::nothingSelected().text << '\n';
        return kCtlUsage;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    // The row is chosen on the lines the change replaces: another command deleting at the same
    // moment moves the rows, and a row chosen before it would name an event already gone.
    const ScheduleFile::Replaced deleted =
        file.rewrite([&number](const std::vector<std::string>& lines) { return withoutRow(lines, *number - 1); });
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

// At most this many messages of each kind, then their count: a large file of bad lines is named
// by its first few, not printed again line by line.
constexpr std::size_t kMaxLineMessages = 20;

// Standard input held to the limit of a schedule file: more is refused, never gathered.
ReadResult readInput(std::istream& in)
{
    std::string bytes;
    char buffer[64 * 1024];
    while (in) {
        const std::size_t room = static_cast<std::size_t>(kMaxScheduleBytes) + 1 - bytes.size();
        in.read(buffer, static_cast<std::streamsize>(std::min(sizeof buffer, room)));
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (static_cast<std::int64_t>(bytes.size()) > kMaxScheduleBytes) {
            return {std::nullopt,
                    IoResult::failure("standard input is larger than " + std::to_string(kMaxScheduleBytes) + " bytes")};
        }
    }
    if (in.bad())
        return {std::nullopt, IoResult::failure("cannot read standard input")};
    return {std::move(bytes), {}};
}

void reportRest(CtlContext& ctx, const std::string& path, std::size_t count, std::string_view what)
{
    if (count > kMaxLineMessages) {
        const std::size_t rest = count - kMaxLineMessages;
        ctx.err << path << ": and " << rest << " more " << what << (rest == 1 ? "\n" : "s\n");
    }
}

CheckedFile readAndCheck(CtlContext& ctx, const std::string& path)
{
    // The clock mode decides the warnings; a mode that can't be read is not guessed.
    if (!settingsReadable(ctx))
        return {kCtlFailed, {}};
    // "-" is standard input, so that a deployment needs no file of its own on the machine.
    const ReadResult file = path == "-" ? readInput(ctx.in) : ctx.fs.read(path, kMaxScheduleBytes);
    if (!file.bytes) {
        ctx.err << "quelvoctl: " << (file.io.ok() ? "cannot read " + path : file.io.error) << '\n';
        return {kCtlFailed, {}};
    }
    CheckedFile checked;
    const bool twentyFour = matchesIn24HourForm(ctx.settings);
    std::size_t number = 0;
    std::size_t bad = 0;
    std::size_t warned = 0;
    for (const std::string& line : splitLines(*file.bytes)) {
        ++number;
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const EventLineCheck check = checkEventLine(line);
        if (!check.event) {
            if (++bad <= kMaxLineMessages)
                ctx.err << path << ':' << number << ": " << check.error << '\n';
            checked.code = kCtlUsage;
            continue;
        }
        if (const std::string warning = clockFormWarning(*check.event, twentyFour); !warning.empty()) {
            if (++warned <= kMaxLineMessages)
                ctx.err << path << ':' << number << ": warning: " << warning << '\n';
        }
        checked.lines.push_back(line);
    }
    reportRest(ctx, path, bad, "bad line");
    reportRest(ctx, path, warned, "warning");
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

bool holdsLines(const std::vector<std::string>& lines)
{
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& line) { return line.find_first_not_of(" \t") != std::string::npos; });
}

int import(CtlContext& ctx, const std::vector<std::string>& args)
{
    bool allowEmpty = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--allow-empty")
            allowEmpty = true;
        else
            paths.push_back(arg);
    }
    if (paths.size() != 1) {
        ctx.err << "usage: quelvoctl import [--allow-empty] FILE|-\n";
        return kCtlUsage;
    }
    const CheckedFile checked = readAndCheck(ctx, paths[0]);
    if (checked.code != kCtlOk) {
        if (checked.code == kCtlUsage)
            ctx.err << "quelvoctl: nothing imported\n";
        return checked.code;
    }
    ScheduleFile file(ctx.fs, ctx.folder);
    bool refused = false;
    const ScheduleFile::Replaced replaced =
        file.rewrite([&](const std::vector<std::string>& current) -> std::optional<std::vector<std::string>> {
            if (current == checked.lines)
                return std::nullopt;
            // A file without events over a schedule with some is far more often a lost export
            // than a wish to delete them all.
            if (checked.lines.empty() && !allowEmpty && holdsLines(current)) {
                refused = true;
                return std::nullopt;
            }
            return checked.lines;
        });
    if (!replaced.io.ok()) {
        ctx.err << "quelvoctl: " << replaced.io.error << '\n';
        return kCtlFailed;
    }
    if (refused) {
        ctx.err << "quelvoctl: the file holds no events; use --allow-empty to empty the schedule\n";
        return kCtlUsage;
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
        {"import",
         "import [--allow-empty] FILE|-\n                     replace the schedule with FILE's events (all or "
         "nothing; --allow-empty\n                     lets a file without events empty the schedule)",
         import},
        {"check", "check FILE         check a schedule file without changing anything", check},
    };
    for (auto& command : eventCommands())
        commands.push_back(std::move(command));
    for (auto& command : nextCommands())
        commands.push_back(std::move(command));
    for (auto& command : historyCommands())
        commands.push_back(std::move(command));
    return commands;
}

} // namespace quelvo
