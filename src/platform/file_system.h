#pragma once

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

/// Outcome of a file operation: empty on success, else a readable reason.
struct [[nodiscard]] IoResult
{
    std::string error;

    [[nodiscard]] bool ok() const { return error.empty(); }
    static IoResult success() { return {}; }
    static IoResult failure(std::string reason) { return {reason.empty() ? "unknown error" : std::move(reason)}; }
};

/// What identifies one version of a file on disk; a change means it was rewritten.
struct FileStamp
{
    std::int64_t modifiedNs = 0;
    std::int64_t size = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

/// What a read found: the whole file, or why an existing file could not be read.
struct ReadResult
{
    std::optional<std::string> bytes; // nullopt when the file is missing or could not be read
    IoResult io;                      // the reason when the file exists but could not be read

    [[nodiscard]] bool missing() const { return !bytes && io.ok(); }
};

/// Who may read a file that a write creates; an existing file keeps its own mode.
enum class NewFileAccess {
    Readable,  // 0644 less the umask
    OwnerOnly, // 0600
};

enum class LockMode { Shared, Exclusive };

/// An advisory lock on a lock file; released when destroyed (and by the system when the
/// process dies).
class FileLock
{
public:
    virtual ~FileLock() = default;
};

/// A lock that was taken, or why it could not be.
struct LockResult
{
    std::unique_ptr<FileLock> held;
    IoResult io;
    bool busy = false; // another program held the lock for the whole wait
};

/// How long a command waits for a lock another program holds before it gives up. A program
/// with a window waits not at all: it tries once and comes back later.
inline constexpr std::chrono::milliseconds kCommandLockWait{2000};

/// Larger files are refused by read() when the caller sets no other limit.
inline constexpr std::int64_t kNoSizeLimit = std::numeric_limits<std::int64_t>::max();

/// The file operations the logic needs, with the durability each one promises.
/// Paths are byte strings; nothing is interpreted in them. Only regular files are read or
/// written: a FIFO, device, socket or folder in a file's place is refused at once.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /// True when a file of that name exists.
    [[nodiscard]] virtual bool exists(const std::string& path) const = 0;
    /// The whole file, refused with a reason when it is not a regular file, is larger than
    /// `maxBytes` or cannot be read to its end; never blocks on a special file.
    [[nodiscard]] virtual ReadResult read(const std::string& path, std::int64_t maxBytes = kNoSizeLimit) const = 0;
    /// The whole file as bytes, or nullopt when it is missing or cannot be read.
    [[nodiscard]] std::optional<std::string> readAll(const std::string& path) const { return read(path).bytes; }
    /// Identity of the file as it is now; nullopt when it does not exist.
    [[nodiscard]] virtual std::optional<FileStamp> stamp(const std::string& path) const = 0;
    /// Appends bytes in one write, creating the file owner-only when missing; on disk before it
    /// returns.
    /// When the file is not empty and its last byte is no line end (CR or LF), `lineBreak` is
    /// written first. A write that fails or falls short is cut back, leaving the file as it was.
    virtual IoResult append(const std::string& path, std::string_view bytes, std::string_view lineBreak = {}) = 0;
    /// Replaces the file's content atomically and durably: the bytes go to a fresh scratch file
    /// `scratchName` beside the file (beside its target when the path is a symbolic link, which
    /// stays), which is synced and renamed over it, then the folder is synced. A leftover
    /// scratch file is removed first and never followed. The file keeps its mode (and group where
    /// permitted); a new one is created with `access`. On failure before the rename the scratch
    /// file is gone and the file is as it was. Only the file written is moved: when another
    /// file or a link took the scratch name meanwhile, the result says "a file was replaced while
    /// it was written" and nothing is reported done.
    virtual IoResult replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                                     NewFileAccess access) = 0;
    /// Takes an advisory lock on the lock file `path` (created owner-only when missing), waiting
    /// at most the lock wait this file system was made with while another program holds it;
    /// after that the result is `busy` with a reason. A shared lock never creates the file: a
    /// missing one is held by no writer, and the result holds nothing. Callers hold it around
    /// each read-modify-write of the file it guards, never longer.
    virtual LockResult lock(const std::string& path, LockMode mode) = 0;
    /// Deletes the file; a file that does not exist is not an error.
    virtual IoResult remove(const std::string& path) = 0;
    /// Creates the folder and its parents when missing.
    virtual IoResult makeFolders(const std::string& path) = 0;
};

/// The lock file that guards the data file `path`: beside it, so an atomic replace of the data
/// file never drops the lock.
std::string lockPathFor(const std::string& path);

/// Joins a folder and a file name with exactly one separator.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace quelvo
