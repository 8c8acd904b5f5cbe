#include "app/ctl.h"

#include "schedule/history.h"

#include <ostream>

namespace quelvo {

namespace {

constexpr std::string_view kHistoryUsage = "history [--json] [--since YYYY-MM-DD]";

bool digits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// True for a real calendar date written YYYY-MM-DD.
bool validDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !digits(text.substr(0, 4)) ||
        !digits(text.substr(5, 2)) || !digits(text.substr(8, 2)))
        return false;
    const int year = std::stoi(std::string(text.substr(0, 4)));
    const int month = std::stoi(std::string(text.substr(5, 2)));
    const int day = std::stoi(std::string(text.substr(8, 2)));
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 &&
           day <= kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
}

// A field for a tab-separated row: line breaks and tabs would split the row.
std::string column(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

int history(CtlContext& ctx, const std::vector<std::string>& args)
{
    bool json = false;
    std::string since;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json" && !json) {
            json = true;
        } else if (args[i] == "--since" && since.empty() && i + 1 < args.size()) {
            since = args[++i];
            if (!validDate(since)) {
                ctx.err << "quelvoctl: --since takes a date as YYYY-MM-DD, not \"" << since << "\"\n";
                return kCtlUsage;
            }
        } else {
            ctx.err << "usage: quelvoctl " << kHistoryUsage << '\n';
            return kCtlUsage;
        }
    }
    const HistoryRead read = HistoryFile(ctx.fs, ctx.historyFolder).read();
    if (!read.io.ok()) {
        ctx.err << "quelvoctl: " << read.io.error << '\n';
        return kCtlFailed;
    }
    const char* separator = "[\n  ";
    for (const std::string& line : read.lines) {
        // A line that is no entry (cut short, or edited by hand) is passed over.
        const std::optional<HistoryRecord> entry = parseHistoryLine(line);
        // The time's date is the local date it happened on, so the dates compare as texts.
        if (!entry || (!since.empty() && entry->time.substr(0, 10) < since))
            continue;
        if (json) {
            ctx.out << separator << line;
            separator = ",\n  ";
        } else {
            ctx.out << column(entry->time) << '\t' << column(entry->origin) << '\t' << column(entry->action) << '\t'
                    << column(entry->outcome) << '\t' << column(entry->line) << '\n';
        }
    }
    // An empty history is an empty array, so the output always reads as JSON.
    if (json)
        ctx.out << (separator[0] == '[' ? "[]\n" : "\n]\n");
    return kCtlOk;
}

} // namespace

std::vector<CtlCommand> historyCommands()
{
    return {{"history",
             std::string(kHistoryUsage) +
                 "\n                     what happened to the firings, oldest first (tab-separated), or JSON",
             history}};
}

} // namespace quelvo
