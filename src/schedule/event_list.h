#pragma once

#include "platform/file_system.h"
#include "schedule/event_line.h"
#include "schedule/schedule_file.h"
#include "schedule/user_message.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Texts of the event list's two messages.
inline constexpr std::string_view kNothingSelectedText =
    "Sorry, you have to select an entry from the above list before I can delete anything.";
inline constexpr std::string_view kDeleteAllQuestion =
    "Are you sure you want to delete all of the events from the list?";

/// The start of the message for a schedule that can't be read; the reason follows.
inline constexpr std::string_view kUnreadableScheduleText = "Sorry, the list of events could not be read: ";

/// A question with Yes and No buttons and no icon; only Yes goes ahead.
struct UserQuestion
{
    std::string title;
    std::string text;

    bool operator==(const UserQuestion&) const = default;
};

/// One row of the visible list and the stored line it was split from.
struct ListRow
{
    DisplayRow columns;
    std::string sourceLine;
};

/// The two products of reading the schedule.
struct EventLists
{
    std::vector<std::string> lst_events; // every line, file order, text as read
    std::vector<ListRow> rows;           // lines holding a comma, descending on the first column
};

/// Builds both lists from the lines of the schedule.
EventLists buildEventLists(std::vector<std::string> lines);

/// The line, in any letter case, that deleting the row removes from the schedule.
std::string deletionTarget(const ListRow& row);

/// The schedule's lines once the event of `row` (0-based, in list order) is deleted with every
/// copy of it; nullopt when there is no such row.
std::optional<std::vector<std::string>> withoutRow(const std::vector<std::string>& lines, std::size_t row);

/// Outcome of a command of the list: a message to show, or the result of the file change.
struct ListOutcome
{
    std::optional<UserMessage> message;
    IoResult io;
    bool removedNothing = false; // the event was gone already: another program deleted it
};

/// The logic behind the "Schedules" tab: the lists it shows and its two delete buttons.
class EventList final
{
public:
    explicit EventList(ScheduleFile& file);

    /// Rebuilds both lists from the schedule file. When it can't be read the lists stay as
    /// they were, and the first load that fails for a reason returns the message to show;
    /// later loads that fail the same way return none, so a checking program says it once.
    std::optional<UserMessage> loadlist();
    /// Why the last load could not read the schedule; success when it could.
    [[nodiscard]] const IoResult& loadResult() const { return m_loadResult; }
    /// True when events.ini is no longer the version the lists were built from: another
    /// program (quelvoctl, an editor, a deployment) changed, replaced or removed it, or the last
    /// load failed. The program's own changes reload the lists at once, so they never count here.
    [[nodiscard]] bool changedOnDisk() const;

    /// The raw lines in file order, as the checker scans them.
    [[nodiscard]] const std::vector<std::string>& lst_events() const { return m_lists.lst_events; }
    /// The visible rows in display order.
    [[nodiscard]] const std::vector<ListRow>& rows() const { return m_lists.rows; }

    /// "Delete Selected": removes every copy of the selected row's event as the list showed it, or
    /// says that nothing is selected.
    ListOutcome deleteevent(std::optional<std::size_t> selectedRow);
    /// Removes a fired one-off event (the other lines are stored lower-cased) and reloads the lists.
    Removal dropevent(std::string_view line);
    /// "Delete All": the question to ask first.
    [[nodiscard]] static UserQuestion deleteall();
    /// "Delete All" after the question: empties the schedule when the answer was Yes.
    IoResult answerDeleteAll(bool yes);

    /// The message shown when "Delete Selected" has no row to work on.
    [[nodiscard]] static UserMessage nothingSelected();

    /// The message for a schedule that could not be read.
    [[nodiscard]] static UserMessage unreadable(const IoResult& result);

private:
    // Rebuilds the lists; true when another program held the lock, so nothing was read.
    bool reload();

    ScheduleFile& m_file;
    EventLists m_lists;
    bool m_loaded = false;                  // the lists match m_loadedStamp
    std::optional<FileStamp> m_loadedStamp; // nullopt: the file was missing
    IoResult m_loadResult;
    std::string m_reported; // the load failure last shown; empty after a good load
};

} // namespace quelvo
