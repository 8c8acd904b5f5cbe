#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Names of the schedule and of the scratch file of its rewrite, in the program folder.
inline constexpr std::string_view kEventsFileName = "events.ini";
inline constexpr std::string_view kTempFileName = "temp.ini";

/// The largest schedule that is read; a larger one is refused rather than loaded.
inline constexpr std::int64_t kMaxScheduleBytes = std::int64_t{16} * 1024 * 1024;

/// The line end of every line the program writes.
inline constexpr std::string_view kLineEnd = "\r\n";

/// Splits file bytes into lines at CR LF, LF or a lone CR; a missing final line end is fine.
std::vector<std::string> splitLines(std::string_view bytes);

/// `lines` without every line equal to `target` without regard to case; the others as they are.
std::vector<std::string> linesWithout(const std::vector<std::string>& lines, std::string_view target);

/// What reading the schedule found: its lines, or why it could not be read.
struct ScheduleRead
{
    std::vector<std::string> lines; // empty when the file is missing or could not be read
    IoResult io;                    // the reason when it exists but could not be read
    bool busy = false;              // another program held the lock: try again later
};

/// What a removal did: the file operation's outcome, which callers that need no more keep as the
/// IoResult it is, and how many lines it removed.
struct Removal : IoResult
{
    std::size_t removed = 0;
};

/// The schedule file events.ini: one event line per text line, bytes kept as they are.
/// Every change is durable before the call returns, and none can leave the file
/// missing or half-written. Every change holds the lock beside the file exclusively
/// from its read to its write, and reads hold it shared, so programs sharing the file
/// never lose one another's changes nor see a half-written file.
class ScheduleFile final
{
public:
    ScheduleFile(FileSystem& fs, std::string folder);

    /// How the lines that stay are written by a rewrite.
    enum class RewriteVariant {
        DeleteEvent, // as read: the user's deletion
        DropEvent,   // lower-cased: the removal of a fired one-off event
    };

    /// Path of events.ini.
    [[nodiscard]] std::string eventsPath() const;
    /// Path of the scratch file temp.ini.
    [[nodiscard]] std::string tempPath() const;

    /// Path of the lock file that guards events.ini.
    [[nodiscard]] std::string lockPath() const;

    /// Identity and stamp of events.ini as it is now; nullopt when it is missing.
    [[nodiscard]] std::optional<FileStamp> stamp() const { return m_fs.stamp(eventsPath()); }
    /// The bytes of events.ini as stored, read under the shared lock. A file that is not a regular
    /// file, larger than kMaxScheduleBytes or unreadable is an error, and so is a lock another
    /// program holds for the whole wait.
    [[nodiscard]] ReadResult contents() const;
    /// All lines in file order, line ends removed. A missing file has no lines; otherwise as contents().
    [[nodiscard]] ScheduleRead read() const;
    /// Adds one line and CR LF at the end, creating the file when missing; the line starts on
    /// a line of its own when the file's last line has no line end.
    IoResult append(std::string_view line);
    /// Creates the folder and an empty events.ini when they are missing.
    IoResult createIfMissing();
    /// Leaves an existing, empty events.ini ("Delete All"), replacing the old one atomically.
    IoResult empty();
    /// What a rewrite did.
    struct Replaced
    {
        IoResult io;
        bool unchanged = false; // the edit left the schedule as it was
    };
    /// Decides on the lines read what the schedule becomes: the new lines, or nullopt to leave it as it is.
    using LineEdit = std::function<std::optional<std::vector<std::string>>(const std::vector<std::string>& lines)>;
    /// Reads the schedule, lets `edit` decide on its lines and writes what it returns (each line
    /// ending CR LF) in one atomic step through temp.ini, all under one exclusive lock, so that no
    /// other program's change comes between the decision and the write. The folder is made when
    /// missing; a missing schedule has no lines. A schedule that exists but can't be read is not
    /// replaced unseen, and on any failure events.ini is left byte for byte as it was.
    Replaced rewrite(const LineEdit& edit);
    /// Removes every line equal to `target` without regard to case, through temp.ini; when none
    /// is, the file is left alone and the removal counts none. On failure events.ini is left byte
    /// for byte as it was.
    Removal removeEvent(std::string_view target, RewriteVariant variant);
    /// The user's deletion of an event: the other lines stay as read.
    Removal deleteevent(std::string_view target);
    /// The removal of a fired one-off event: the other lines are stored lower-cased.
    Removal dropevent(std::string_view target);

private:
    /// The reason a lock could not be taken, in the schedule's terms when another program holds it.
    [[nodiscard]] IoResult lockFailure(const LockResult& lock) const;

    FileSystem& m_fs;
    std::string m_folder;
};

} // namespace quelvo
