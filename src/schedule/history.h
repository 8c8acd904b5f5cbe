#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Name of the history in its folder, and of the older file a full one becomes.
inline constexpr std::string_view kHistoryFileName = "history.jsonl";
inline constexpr std::string_view kOlderHistoryFileName = "history.jsonl.1";
/// The scratch file through which a full history replaces the older file.
inline constexpr std::string_view kHistoryScratchName = "history.jsonl.tmp";

/// A history file that would grow past this many bytes becomes the older file first.
inline constexpr std::int64_t kHistoryLimitBytes = std::int64_t{1024} * 1024;

/// Whose schedule an entry comes from: the user's tray program or the machine's service.
enum class HistoryOrigin { User, Machine };

/// What came of a firing.
enum class HistoryOutcome {
    Fired,     // the request was made and succeeded
    Cancelled, // the countdown was stopped
    Postponed, // put off to a later time
    Skipped,   // left out this once
    Failed,    // the request was made and failed
    DryRun,    // a dry run's request, only printed
    Missed,    // its time passed while nothing could fire it
    Holiday,   // its day is one of the machine's holidays
};

/// The outcome as the history writes it: "fired", "cancelled", "postponed", "skipped", "failed",
/// "dry-run", "missed" or "holiday".
std::string_view historyOutcomeName(HistoryOutcome outcome);

/// One thing that happened to a firing.
struct HistoryEntry
{
    WallTime time;
    HistoryOrigin origin = HistoryOrigin::User;
    bool reboot = false;
    std::string line; // the event line it concerns; "now" for a request made for now
    HistoryOutcome outcome = HistoryOutcome::Fired;
    std::string detail; // why a request failed; written only then
    std::string who;    // the user's name; empty when unknown
};

/// The entry as one JSON object on one line (no line end), its time in the clock's local time.
std::string historyJson(const HistoryEntry& entry, const Clock& clock);

/// The fields of a stored entry as texts; a null or missing field is empty.
struct HistoryRecord
{
    std::string time;
    std::string origin;
    std::string action;
    std::string line;
    std::string outcome;
    std::string detail;
    std::string who;
};

/// Reads one stored line: a flat JSON object of strings (and nulls); nullopt when it is not one.
std::optional<HistoryRecord> parseHistoryLine(std::string_view text);

/// What reading the history found: its lines, oldest first, or why it could not be read.
struct HistoryRead
{
    std::vector<std::string> lines;
    IoResult io;
};

/// The history in a folder: history.jsonl, and history.jsonl.1 holding the entries before it.
/// Each entry is appended durably under the lock beside the file; reading creates nothing.
class HistoryFile final
{
public:
    HistoryFile(FileSystem& fs, std::string folder);

    [[nodiscard]] std::string path() const;
    [[nodiscard]] std::string olderPath() const;

    /// Appends one entry's line, making the folder when missing. A file the line would carry past
    /// kHistoryLimitBytes first replaces the older file, and the line starts a new one.
    IoResult append(std::string_view jsonLine);
    /// The lines of both files, the older file's first; missing files have none.
    [[nodiscard]] HistoryRead read() const;

private:
    FileSystem& m_fs;
    std::string m_folder;
};

} // namespace quelvo
