#include "app/ctl.h"
#include "schedule/event_list.h"
#include "schedule/schedule_file.h"

#include <charconv>
#include <istream>
#include <ostream>
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
    if (!args.empty() && !raw) {
        ctx.err << "usage: quelvoctl list [--raw]\n";
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
    ScheduleFile file(ctx.fs, ctx.folder);
    if (!prepare(ctx, file))
        return kCtlFailed;
    EventList events(file);
    (void)events.loadlist();
    if (!readable(ctx, events))
        return kCtlFailed;
    const std::optional<std::size_t> row = args.empty() ? std::nullopt : parseRow(args[0]);
    const ListOutcome outcome = events.deleteevent(row);
    if (outcome.message) {
        ctx.err << outcome.message->text << '\n';
        return kCtlUsage;
    }
    if (!outcome.io.ok()) {
        ctx.err << "quelvoctl: " << outcome.io.error << '\n';
        return kCtlFailed;
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

} // namespace

std::vector<CtlCommand> scheduleCommands()
{
    std::vector<CtlCommand> commands = {
        {"list", "list [--raw]       the events as the list shows them (tab-separated), or the raw lines", list},
        {"delete", "delete ROW         delete the event of row ROW (1-based, in list order)", remove},
        {"clear", "clear [--yes]      delete all events (asks first unless --yes)", clear},
    };
    for (auto& command : eventCommands())
        commands.push_back(std::move(command));
    return commands;
}

} // namespace quelvo
