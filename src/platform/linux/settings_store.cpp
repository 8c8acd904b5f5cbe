#include "platform/linux/settings_store.h"

#include "schedule/event_line.h"

namespace quelvo {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

SettingsStore::Address address(std::string_view app, std::string_view section, std::string_view key)
{
    return {toLowerAscii(app), toLowerAscii(section), toLowerAscii(key)};
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

// Names also escape the bytes that structure the file or start a comment, and blanks, which
// readers may trim.
std::string escape(std::string_view text, bool isName)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (isControl(c) || (isName && std::string_view("=[]/ #;").find(ch) != std::string_view::npos)) {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0xf];
        } else {
            out += ch;
        }
    }
    return out;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A malformed escape is kept as it stands: a hand-edited file must never stop the read.
std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next == 'r') {
            out += '\r';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

SettingsStore::SettingsStore(FileSystem& fs, std::string filePath) : m_fs(fs), m_path(std::move(filePath))
{}

SettingsStore::Values SettingsStore::parse(std::string_view text)
{
    Values values;
    std::optional<Address> open; // the section that key lines belong to
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        const std::string_view trimmed = trimBlanks(line);
        if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';')
            continue;
        if (trimmed.front() == '[') {
            open.reset();
            const auto slash = trimmed.find('/');
            if (trimmed.back() != ']' || slash == std::string_view::npos)
                continue; // a garbled header: its keys are skipped until the next good one
            const std::string app = unescape(trimBlanks(trimmed.substr(1, slash - 1)));
            const std::string section = unescape(trimBlanks(trimmed.substr(slash + 1, trimmed.size() - slash - 2)));
            open = address(app, section, {});
            continue;
        }
        const auto eq = line.find('=');
        if (!open || eq == std::string_view::npos)
            continue;
        // Blanks around the key are layout; the value runs untrimmed to the line end.
        const std::string key = unescape(trimBlanks(line.substr(0, eq)));
        values[Address{open->app, open->section, toLowerAscii(key)}] = unescape(line.substr(eq + 1));
    }
    return values;
}

std::string SettingsStore::serialize(const Values& values)
{
    std::string out = "# Quelvo settings. Names ignore letter case; values are exact.\n";
    const Address* openSection = nullptr;
    for (const auto& [addr, value] : values) {
        if (!openSection || openSection->app != addr.app || openSection->section != addr.section) {
            out += "\n[" + escape(addr.app, true) + "/" + escape(addr.section, true) + "]\n";
            openSection = &addr;
        }
        out += escape(addr.key, true) + "=" + escape(value, false) + "\n";
    }
    return out;
}

const SettingsStore::Snapshot& SettingsStore::current() const
{
    const std::optional<FileStamp> stamp = m_fs.stamp(m_path);
    if (m_cache && m_cache->stamp == stamp && m_cache->readable)
        return *m_cache;
    Snapshot fresh;
    fresh.stamp = stamp;
    if (stamp) {
        const ReadResult file = m_fs.read(m_path, kMaxSettingsBytes);
        fresh.readable = file.bytes.has_value();
        fresh.read = file.io;
        if (file.bytes)
            fresh.values = parse(*file.bytes);
    }
    m_cache = std::move(fresh);
    return *m_cache;
}

std::string SettingsStore::GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                      std::string_view def) const
{
    const Snapshot& snapshot = current();
    const auto it = snapshot.values.find(address(app, section, key));
    return it == snapshot.values.end() ? std::string(def) : it->second;
}

IoResult SettingsStore::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                    std::string_view value)
{
    return SaveSettings(app, section, {{key, value}});
}

bool SettingsStore::holds(const Values& values, std::string_view app, std::string_view section,
                          std::initializer_list<SettingValue> wanted)
{
    for (const SettingValue& v : wanted) {
        const auto it = values.find(address(app, section, v.key));
        if (it == values.end() || it->second != v.value)
            return false;
    }
    return true;
}

IoResult SettingsStore::SaveSettings(std::string_view app, std::string_view section,
                                     std::initializer_list<SettingValue> values)
{
    // The stored values already: no lock, no write.
    if (const Snapshot& cached = current(); cached.readable && holds(cached.values, app, section, values))
        return IoResult::success();

    if (IoResult r = m_fs.makeFolders(folderOf(m_path)); !r.ok())
        return r;
    // Held from the read to the rename, so a value another process saves in between is kept.
    const LockResult lock = m_fs.lock(lockPathFor(m_path), LockMode::Exclusive);
    if (lock.busy)
        return IoResult::failure("another program holds the settings (" + lockPathFor(m_path) + ")");
    if (!lock.io.ok())
        return lock.io;
    m_cache.reset(); // read afresh under the lock: a stamp can repeat after a replace
    const Snapshot& snapshot = current();
    if (!snapshot.readable) {
        // Writing now would replace every other setting in the file with nothing.
        return IoResult::failure((snapshot.read.ok() ? "cannot read " + m_path : snapshot.read.error) +
                                 "; not overwriting it");
    }
    if (holds(snapshot.values, app, section, values))
        return IoResult::success();

    Values updated = snapshot.values;
    for (const SettingValue& v : values)
        updated[address(app, section, v.key)] = std::string(v.value);
    const std::string name = m_path.substr(m_path.find_last_of('/') + 1);
    if (IoResult r = m_fs.replaceContents(m_path, name + ".tmp", serialize(updated), NewFileAccess::OwnerOnly); !r.ok())
        return r;
    m_cache = Snapshot{m_fs.stamp(m_path), true, {}, std::move(updated)};
    return IoResult::success();
}

} // namespace quelvo
