#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelvo {

/// Outcome of a file operation: empty on success, else a readable reason.
struct IoResult
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

/// The file operations the logic needs, with the durability each one promises.
/// Paths are byte strings; nothing is interpreted in them.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /// True when a file of that name exists.
    [[nodiscard]] virtual bool exists(const std::string& path) const = 0;
    /// The whole file as bytes, or nullopt when it is missing or cannot be read to its end.
    [[nodiscard]] virtual std::optional<std::string> readAll(const std::string& path) const = 0;
    /// Identity of the file as it is now; nullopt when it does not exist.
    [[nodiscard]] virtual std::optional<FileStamp> stamp(const std::string& path) const = 0;
    /// Appends bytes, creating the file when missing; on disk before it returns.
    virtual IoResult append(const std::string& path, std::string_view bytes) = 0;
    /// Creates or truncates the file and writes the bytes; on disk before it returns.
    virtual IoResult writeDurably(const std::string& path, std::string_view bytes) = 0;
    /// Atomically puts `from` in the place of `to` and makes the change durable.
    virtual IoResult replace(const std::string& from, const std::string& to) = 0;
    /// Deletes the file; a file that does not exist is not an error.
    virtual IoResult remove(const std::string& path) = 0;
    /// Creates the folder and its parents when missing.
    virtual IoResult makeFolders(const std::string& path) = 0;
};

/// Joins a folder and a file name with exactly one separator.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace quelvo
