#include "platform/linux/settings_store.h"

#include "platform/ini_text.h"
#include "schedule/event_line.h"

namespace quelvo {

namespace {

SettingsStore::Address address(std::string_view app, std::string_view section, std::string_view key)
{
    return {toLowerAscii(app), toLowerAscii(section), toLowerAscii(key)};
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
    for (const IniLine& line : iniLines(text)) {
        if (line.kind == IniLineKind::Section || line.kind == IniLineKind::BadHeader) {
            open.reset();
            const auto slash = line.name.find('/');
            if (line.kind == IniLineKind::BadHeader || slash == std::string::npos)
                continue; // a garbled header: its keys are skipped until the next good one
            const std::string_view name = line.name;
            open = address(iniUnescape(trimIniBlanks(name.substr(0, slash))),
                           iniUnescape(trimIniBlanks(name.substr(slash + 1))), {});
            continue;
        }
        if (!open || line.kind != IniLineKind::Value)
            continue;
        values[Address{open->app, open->section, toLowerAscii(line.name)}] = line.value;
    }
    return values;
}

std::string SettingsStore::serialize(const Values& values)
{
    std::string out = "# Quelvo settings. Names ignore letter case; values are exact.\n";
    const Address* openSection = nullptr;
    for (const auto& [addr, value] : values) {
        if (!openSection || openSection->app != addr.app || openSection->section != addr.section) {
            out += "\n[" + iniEscape(addr.app, true) + "/" + iniEscape(addr.section, true) + "]\n";
            openSection = &addr;
        }
        out += iniEscape(addr.key, true) + "=" + iniEscape(value, false) + "\n";
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
