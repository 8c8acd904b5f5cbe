#include "schedule/schedule_file.h"

#include "schedule/event_line.h"

namespace quelvo {

std::vector<std::string> splitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const auto end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes);
            break;
        }
        lines.emplace_back(bytes.substr(0, end));
        const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        bytes.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

ScheduleFile::ScheduleFile(FileSystem& fs, std::string folder) : m_fs(fs), m_folder(std::move(folder))
{}

std::string ScheduleFile::eventsPath() const
{
    return joinPath(m_folder, kEventsFileName);
}

std::string ScheduleFile::tempPath() const
{
    return joinPath(m_folder, kTempFileName);
}

std::vector<std::string> ScheduleFile::readLines() const
{
    const std::optional<std::string> bytes = m_fs.readAll(eventsPath());
    return bytes ? splitLines(*bytes) : std::vector<std::string>{};
}

IoResult ScheduleFile::append(std::string_view line)
{
    std::string bytes;
    bytes.reserve(line.size() + kLineEnd.size());
    bytes.append(line).append(kLineEnd);
    return m_fs.append(eventsPath(), bytes);
}

IoResult ScheduleFile::createIfMissing()
{
    if (m_fs.exists(eventsPath()))
        return IoResult::success();
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return r;
    return m_fs.append(eventsPath(), {});
}

ScheduleFile::Replaced ScheduleFile::replaceLines(const std::vector<std::string>& lines)
{
    if (m_fs.exists(eventsPath()) && readLines() == lines)
        return {IoResult::success(), true};
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return {r, false};
    std::string bytes;
    for (const std::string& line : lines)
        bytes.append(line).append(kLineEnd);
    IoResult r = m_fs.writeDurably(tempPath(), bytes);
    if (r.ok())
        r = m_fs.replace(tempPath(), eventsPath());
    if (!r.ok())
        (void)m_fs.remove(tempPath());
    return {r, false};
}

IoResult ScheduleFile::empty()
{
    // Deleting and re-creating would leave a moment without a schedule; a replace never does.
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return r;
    IoResult r = m_fs.writeDurably(tempPath(), {});
    if (r.ok())
        r = m_fs.replace(tempPath(), eventsPath());
    if (!r.ok())
        (void)m_fs.remove(tempPath());
    return r;
}

IoResult ScheduleFile::removeEvent(std::string_view target, RewriteVariant variant)
{
    // A temp.ini left behind by an interrupted run is stale; writeDurably truncates it anyway.
    (void)m_fs.remove(tempPath());

    const std::optional<std::string> bytes = m_fs.readAll(eventsPath());
    if (!bytes) {
        if (!m_fs.exists(eventsPath()))
            return IoResult::success(); // no schedule, nothing to remove
        return IoResult::failure("cannot read " + eventsPath());
    }

    std::string kept;
    kept.reserve(bytes->size());
    std::size_t removed = 0;
    for (const std::string& line : splitLines(*bytes)) {
        if (equalsIgnoringCase(line, target)) {
            ++removed;
            continue;
        }
        kept += variant == RewriteVariant::DropEvent ? toLowerAscii(line) : line;
        kept += kLineEnd;
    }
    // Nothing to remove: leave the file, its line ends and letter case included, exactly as it is.
    if (removed == 0)
        return IoResult::success();

    IoResult r = m_fs.writeDurably(tempPath(), kept);
    if (r.ok())
        r = m_fs.replace(tempPath(), eventsPath());
    if (!r.ok()) {
        (void)m_fs.remove(tempPath());
        return r;
    }
    return IoResult::success();
}

IoResult ScheduleFile::deleteevent(std::string_view target)
{
    return removeEvent(target, RewriteVariant::DeleteEvent);
}

IoResult ScheduleFile::dropevent(std::string_view target)
{
    return removeEvent(target, RewriteVariant::DropEvent);
}

} // namespace quelvo
