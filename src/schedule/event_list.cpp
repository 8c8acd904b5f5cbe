#include "schedule/event_list.h"

#include <algorithm>

namespace quelvo {

EventLists buildEventLists(std::vector<std::string> lines)
{
    EventLists lists;
    lists.rows.reserve(lines.size());
    for (const std::string& line : lines) {
        if (auto columns = splitForDisplay(line))
            lists.rows.push_back({std::move(*columns), line});
    }
    // Plain byte order, so the result does not depend on the user's locale; equal first
    // columns keep file order.
    std::stable_sort(lists.rows.begin(), lists.rows.end(),
                     [](const ListRow& a, const ListRow& b) { return a.columns.timeAndDate > b.columns.timeAndDate; });
    lists.lst_events = std::move(lines);
    return lists;
}

std::string deletionTarget(const ListRow& row)
{
    // Lines not of the program's making (one comma, no leading "On") don't survive the round
    // trip; their own text still names them, so the user can remove them.
    std::string target = rowToLine(row.columns);
    return equalsIgnoringCase(target, row.sourceLine) ? target : row.sourceLine;
}

std::optional<std::vector<std::string>> withoutRow(const std::vector<std::string>& lines, std::size_t row)
{
    const EventLists lists = buildEventLists(lines);
    if (row >= lists.rows.size())
        return std::nullopt;
    return linesWithout(lines, deletionTarget(lists.rows[row]));
}

EventList::EventList(ScheduleFile& file) : m_file(file)
{}

bool EventList::reload()
{
    // Stamped before reading: a change during the read shows as a change at the next look.
    const std::optional<FileStamp> stamp = m_file.stamp();
    ScheduleRead file = m_file.read();
    m_loadResult = std::move(file.io);
    // A failed read keeps what the list had: an empty list would look like no events at all.
    // It is tried again at the next look, since a mended permission leaves the stamp as it was.
    m_loaded = m_loadResult.ok();
    m_loadedStamp = stamp;
    if (m_loadResult.ok())
        m_lists = buildEventLists(std::move(file.lines));
    return file.busy;
}

std::optional<UserMessage> EventList::loadlist()
{
    const bool busy = reload();
    if (m_loadResult.ok()) {
        m_reported.clear();
        return std::nullopt;
    }
    // Another program in the middle of a change is no fault to show: the list is read again at
    // the next look.
    if (busy || m_loadResult.error == m_reported)
        return std::nullopt;
    m_reported = m_loadResult.error;
    return unreadable(m_loadResult);
}

UserMessage EventList::unreadable(const IoResult& result)
{
    return {std::string(kErrorTitle), std::string(kUnreadableScheduleText) + result.error, MessageIcon::Stop};
}

bool EventList::changedOnDisk() const
{
    return !m_loaded || m_file.stamp() != m_loadedStamp;
}

UserMessage EventList::nothingSelected()
{
    return {std::string(kErrorTitle), std::string(kNothingSelectedText), MessageIcon::Information};
}

UserQuestion EventList::deleteall()
{
    return {std::string(kWarningTitle), std::string(kDeleteAllQuestion)};
}

ListOutcome EventList::deleteevent(std::optional<std::size_t> selectedRow)
{
    // A selected row is always deletable, whatever its first column holds: the index, not
    // the row's text, tells whether something is selected.
    if (!selectedRow || *selectedRow >= m_lists.rows.size())
        return {nothingSelected(), IoResult::success(), false};

    // The line the user saw: when another program removed it meanwhile, nothing else is removed.
    Removal removal = m_file.deleteevent(deletionTarget(m_lists.rows[*selectedRow]));
    reload();
    const bool removedNothing = removal.ok() && removal.removed == 0;
    return {std::nullopt, std::move(removal), removedNothing};
}

Removal EventList::dropevent(std::string_view line)
{
    Removal removal = m_file.dropevent(line);
    reload();
    return removal;
}

IoResult EventList::answerDeleteAll(bool yes)
{
    if (!yes)
        return IoResult::success();
    IoResult io = m_file.empty();
    reload();
    return io;
}

} // namespace quelvo
