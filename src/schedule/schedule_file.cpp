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

std::vector<std::string> linesWithout(const std::vector<std::string>& lines, std::string_view target)
{
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    for (const std::string& line : lines) {
        if (!equalsIgnoringCase(line, target))
            kept.push_back(line);
    }
    return kept;
}

ScheduleFile::ScheduleFile(FileSystem& fs, std::string folder) : m_fs(fs), m_folder(std::move(folder))
{}

IoResult ScheduleFile::lockFailure(const LockResult& lock) const
{
    // The file system's reason names a lock file; the user needs to know who is in the way.
    if (lock.busy)
        return IoResult::failure("another program holds the schedule (" + lockPath() + ")");
    return lock.io;
}

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

ReadResult ScheduleFile::contents() const
{
    // A folder where no lock file can be made (read-only) takes no writer of ours either; a lock
    // another program keeps is another matter, as it may be in the middle of a change.
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Shared);
    if (lock.busy)
        return {std::nullopt, lockFailure(lock)};
    return m_fs.read(eventsPath(), kMaxScheduleBytes);
}

ScheduleRead ScheduleFile::read() const
{
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Shared);
    if (lock.busy)
        return {{}, lockFailure(lock), true};
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
        return lockFailure(lock);
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
        return lockFailure(lock);
    return m_fs.append(eventsPath(), {});
}

ScheduleFile::Replaced ScheduleFile::rewrite(const LineEdit& edit)
{
    if (IoResult r = m_fs.makeFolders(m_folder); !r.ok())
        return {r, false};
    // Held from the read to the rename, so the decision is made on the file that gets replaced.
    const LockResult lock = m_fs.lock(lockPath(), LockMode::Exclusive);
    if (!lock.io.ok())
        return {lockFailure(lock), false};
    const ReadResult file = m_fs.read(eventsPath(), kMaxScheduleBytes);
    if (!file.bytes && !file.io.ok())
        return {file.io, false}; // a schedule that can't be read is not replaced unseen
    const std::optional<std::vector<std::string>> lines =
        edit(file.bytes ? splitLines(*file.bytes) : std::vector<std::string>{});
    // Left alone, the file keeps its line ends and letter case exactly.
    if (!lines)
        return {IoResult::success(), true};
    std::string bytes;
    for (const std::string& line : *lines)
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
        return lockFailure(lock);
    return m_fs.replaceContents(eventsPath(), kTempFileName, {}, NewFileAccess::OwnerOnly);
}

Removal ScheduleFile::removeEvent(std::string_view target, RewriteVariant variant)
{
    std::size_t removed = 0;
    const Replaced rewritten =
        rewrite([&](const std::vector<std::string>& lines) -> std::optional<std::vector<std::string>> {
            std::vector<std::string> kept = linesWithout(lines, target);
            removed = lines.size() - kept.size();
            if (removed == 0)
                return std::nullopt;
            if (variant == RewriteVariant::DropEvent) {
                for (std::string& line : kept)
                    line = toLowerAscii(line);
            }
            return kept;
        });
    // A removal that failed removed nothing, whatever the lines read held.
    return {rewritten.io, rewritten.io.ok() ? removed : 0};
}

Removal ScheduleFile::deleteevent(std::string_view target)
{
    return removeEvent(target, RewriteVariant::DeleteEvent);
}

Removal ScheduleFile::dropevent(std::string_view target)
{
    return removeEvent(target, RewriteVariant::DropEvent);
}

} // namespace quelvo
