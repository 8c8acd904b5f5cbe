#include "schedule/history.h"

#include "schedule/json_text.h"
#include "schedule/schedule_file.h"

#include <array>
#include <utility>

namespace quelvo {

namespace {

constexpr std::array<std::string_view, 8> kOutcomeNames{"fired",  "cancelled", "postponed", "skipped",
                                                        "failed", "dry-run",   "missed",    "holiday"};

// Reads the JSON text at `at` in `text`: skips blanks before it and moves `at` past it.
class JsonReader
{
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    bool take(char c)
    {
        skipBlanks();
        if (m_at >= m_text.size() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    [[nodiscard]] bool atEnd()
    {
        skipBlanks();
        return m_at == m_text.size();
    }
    bool takeNull()
    {
        skipBlanks();
        if (m_text.substr(m_at, 4) != "null")
            return false;
        m_at += 4;
        return true;
    }
    // A string in quotes, its escapes decoded into UTF-8.
    std::optional<std::string> string()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            const char e = m_text[m_at++];
            static constexpr std::string_view kPlain = "\"\\/bfnrt";
            static constexpr std::string_view kMeant = "\"\\/\b\f\n\r\t";
            if (const auto i = kPlain.find(e); i != std::string_view::npos) {
                out += kMeant[i];
            } else if (e != 'u' || !codePoint(out)) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r'))
            ++m_at;
    }
    std::optional<unsigned> hex4()
    {
        if (m_text.size() - m_at < 4)
            return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_at++];
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    }
    // The code point of a \u escape (a surrogate pair taken whole), appended as UTF-8.
    bool codePoint(std::string& out)
    {
        std::optional<unsigned> cp = hex4();
        if (!cp || (*cp >= 0xdc00 && *cp <= 0xdfff))
            return false;
        if (*cp >= 0xd800 && *cp <= 0xdbff) {
            if (!take('\\') || !take('u'))
                return false;
            const std::optional<unsigned> low = hex4();
            if (!low || *low < 0xdc00 || *low > 0xdfff)
                return false;
            cp = 0x10000 + ((*cp - 0xd800) << 10) + (*low - 0xdc00);
        }
        const auto put = [&](unsigned byte) { out += static_cast<char>(byte); };
        if (*cp < 0x80) {
            put(*cp);
        } else if (*cp < 0x800) {
            put(0xc0 | (*cp >> 6));
            put(0x80 | (*cp & 0x3f));
        } else if (*cp < 0x10000) {
            put(0xe0 | (*cp >> 12));
            put(0x80 | ((*cp >> 6) & 0x3f));
            put(0x80 | (*cp & 0x3f));
        } else {
            put(0xf0 | (*cp >> 18));
            put(0x80 | ((*cp >> 12) & 0x3f));
            put(0x80 | ((*cp >> 6) & 0x3f));
            put(0x80 | (*cp & 0x3f));
        }
        return true;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

std::string* fieldOf(HistoryRecord& record, std::string_view name)
{
    for (auto& [key, field] : {std::pair<std::string_view, std::string*>{"time", &record.time},
                               {"origin", &record.origin},
                               {"action", &record.action},
                               {"line", &record.line},
                               {"outcome", &record.outcome},
                               {"detail", &record.detail},
                               {"who", &record.who}}) {
        if (key == name)
            return field;
    }
    return nullptr;
}

} // namespace

std::string_view historyOutcomeName(HistoryOutcome outcome)
{
    return kOutcomeNames.at(static_cast<std::size_t>(outcome));
}

std::string historyJson(const HistoryEntry& entry, const Clock& clock)
{
    const auto text = [](std::string_view s) { return jsonString(s, JsonBytes::Utf8); };
    std::string out = "{\"time\":" + text(isoLocalTime(clock, entry.time));
    out += ",\"origin\":" + text(entry.origin == HistoryOrigin::User ? "user" : "machine");
    out += ",\"action\":" + text(entry.reboot ? "reboot" : "shutdown");
    out += ",\"line\":" + text(entry.line);
    out += ",\"outcome\":" + text(historyOutcomeName(entry.outcome));
    if (entry.outcome == HistoryOutcome::Failed)
        out += ",\"detail\":" + text(entry.detail);
    out += ",\"who\":" + (entry.who.empty() ? std::string("null") : text(entry.who));
    return out + '}';
}

std::optional<HistoryRecord> parseHistoryLine(std::string_view text)
{
    JsonReader in(text);
    HistoryRecord record;
    if (!in.take('{'))
        return std::nullopt;
    bool first = true;
    while (!in.take('}')) {
        if (!first && !in.take(','))
            return std::nullopt;
        first = false;
        const std::optional<std::string> name = in.string();
        if (!name || !in.take(':'))
            return std::nullopt;
        std::optional<std::string> value;
        if (!in.takeNull() && !(value = in.string()))
            return std::nullopt;
        // Fields this program does not know are passed over; a later one may add some.
        if (std::string* field = fieldOf(record, *name))
            *field = value.value_or("");
    }
    if (!in.atEnd() || record.time.empty())
        return std::nullopt;
    return record;
}

HistoryFile::HistoryFile(FileSystem& fs, std::string folder) : m_fs(fs), m_folder(std::move(folder))
{}

std::string HistoryFile::path() const
{
    return joinPath(m_folder, kHistoryFileName);
}

std::string HistoryFile::olderPath() const
{
    return joinPath(m_folder, kOlderHistoryFileName);
}

IoResult HistoryFile::append(std::string_view jsonLine)
{
    if (IoResult made = m_fs.makeFolders(m_folder); !made.ok())
        return made;
    std::string bytes(jsonLine);
    bytes += '\n';
    const LockResult lock = m_fs.lock(lockPathFor(path()), LockMode::Exclusive);
    if (!lock.io.ok())
        return lock.io;
    const std::optional<FileStamp> now = m_fs.stamp(path());
    if (now && now->size > 0 && now->size + static_cast<std::int64_t>(bytes.size()) > kHistoryLimitBytes) {
        // The full file becomes the older one in one atomic step, so the older entries are never
        // half gone; only then does the new file start.
        const ReadResult full = m_fs.read(path());
        if (!full.bytes)
            return full.io.ok() ? IoResult::failure(path() + " went away while it was read") : full.io;
        if (IoResult kept =
                m_fs.replaceContents(olderPath(), kHistoryScratchName, *full.bytes, NewFileAccess::OwnerOnly);
            !kept.ok())
            return kept;
        if (IoResult gone = m_fs.remove(path()); !gone.ok())
            return gone;
    }
    return m_fs.append(path(), bytes, "\n");
}

HistoryRead HistoryFile::read() const
{
    HistoryRead result;
    const LockResult lock = m_fs.lock(lockPathFor(path()), LockMode::Shared);
    if (lock.busy)
        return {{}, lock.io};
    for (const std::string& file : {olderPath(), path()}) {
        const ReadResult r = m_fs.read(file, 4 * kHistoryLimitBytes);
        if (!r.io.ok())
            return {{}, r.io};
        if (!r.bytes)
            continue;
        for (std::string& line : splitLines(*r.bytes)) {
            if (!line.empty())
                result.lines.push_back(std::move(line));
        }
    }
    return result;
}

} // namespace quelvo
