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

std::string ScheduleFile::lockPath() const
{
    return lockPathFor(eventsPath());
}

ScheduleRead ScheduleFile::read() const
{
    // A folder where no lock file can be made (read-only) takes no writer of ours either.
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Shared);
    ReadResult file = m_fs.read(eventsPath(), kMaxScheduleBytes);
    if (!file.bytes)
        return {{}, std::move(file.io)};
    return {splitLines(*file.bytes), {}};
}

IoResult ScheduleFile::append(std::string_view line)
{
    std::string bytes;
    bytes.reserve(line.size() + kLineEnd.size());
    bytes.append(line).append(kLineEnd);
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return lock.io;
    return m_fs.append(eventsPath(), bytes, kLineEnd);
}

IoResult ScheduleFile::createIfMissing()
{
    if (m_fs.exists(eventsPath()))
        return IoResult::success();
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return r;
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return lock.io;
    return m_fs.append(eventsPath(), {});
}

ScheduleFile::Replaced ScheduleFile::replaceLines(const std::vector<std::string>& lines)
{
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return {r, false};
    // Held from the comparison to the rename, so "unchanged" is true of the file that stays.
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return {lock.io, false};
    const ReadResult file = m_fs.read(eventsPath(), kMaxScheduleBytes);
    if (!file.bytes && !file.io.ok())
        return {file.io, false}; // a schedule that can't be read is not replaced unseen
    if (file.bytes && splitLines(*file.bytes) == lines)
        return {IoResult::success(), true};
    std::string bytes;
    for (const std::string& line : lines)
        bytes.append(line).append(kLineEnd);
    return {m_fs.replaceContents(eventsPath(), kTempFileName, bytes, NewFileAccess::OwnerOnly), false};
}

IoResult ScheduleFile::empty()
{
    // Deleting and re-creating would leave a moment without a schedule; a replace never does.
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return r;
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return lock.io;
    return m_fs.replaceContents(eventsPath(), kTempFileName, {}, NewFileAccess::OwnerOnly);
}

IoResult ScheduleFile::removeEvent(std::string_view target, RewriteVariant variant)
{
    // Held from the read to the rename, so a line another program appends in between is kept.
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return lock.io;
    const ReadResult file = m_fs.read(eventsPath(), kMaxScheduleBytes);
    if (!file.bytes)
        return file.io; // success when there is no schedule: nothing to remove

    std::string kept;
    kept.reserve(file.bytes->size());
    std::size_t removed = 0;
    for (const std::string& line : splitLines(*file.bytes)) {
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
    return m_fs.replaceContents(eventsPath(), kTempFileName, kept, NewFileAccess::OwnerOnly);
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
