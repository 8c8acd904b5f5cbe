#include "platform/windows/registry_settings.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <vector>

namespace quelvo {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

/// A REG_SZ value of an open key, exactly as stored; nothing when it is absent or of another type.
std::optional<std::string> readValue(HKEY handle, const std::wstring& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    // The stored length, not the first NUL: a value reads back exactly.
    std::size_t chars = size / sizeof(wchar_t);
    if (chars > 0 && buffer[chars - 1] == L'\0')
        --chars;
    return toUtf8(std::wstring_view(buffer.data(), chars));
}

HKEY hiveKey(RegistryHive hive)
{
    return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string keyName(RegistryHive hive, const std::string& path)
{
    return (hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + path;
}

/// The first value of an open key that is not text, as a reason; success when every one is.
IoResult textValuesOnly(HKEY handle, RegistryHive hive, const std::string& path)
{
    DWORD longest = 0;
    LSTATUS status = ::RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                                        nullptr, nullptr, nullptr);
    std::wstring name(longest + 1, L'\0');
    for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        status = ::RegEnumValueW(handle, index, name.data(), &length, nullptr, &type, nullptr, nullptr);
        // The key's unnamed default value is no setting.
        if (status == ERROR_SUCCESS && length > 0 && type != REG_SZ)
            return IoResult::failure("the value " + toUtf8(std::wstring_view(name.data(), length)) + " under " +
                                     keyName(hive, path) + " is not text");
    }
    if (status != ERROR_NO_MORE_ITEMS)
        return IoResult::failure("cannot read " + keyName(hive, path) + " (error " + std::to_string(status) + ")");
    return IoResult::success();
}

std::wstring folded(std::wstring name)
{
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towlower(c));
    return name;
}

} // namespace

struct RegistrySettings::Section
{
    HKEY parent = nullptr; // the key above the section's, watched with all its subkeys
    HKEY key = nullptr;
    HANDLE changed = nullptr; // signalled by the registry when anything under `parent` changes
    std::map<std::wstring, std::optional<std::string>> values; // by case-folded name
    std::optional<IoResult> state;                             // what readState found

    ~Section()
    {
        if (key)
            ::RegCloseKey(key);
        if (parent)
            ::RegCloseKey(parent);
        if (changed)
            ::CloseHandle(changed);
    }
};

RegistrySettings::RegistrySettings(std::string root, RegistryHive hive) : m_root(std::move(root)), m_hive(hive)
{}

RegistrySettings::~RegistrySettings() = default;

RegistrySettings::Section* RegistrySettings::watched(const std::string& path) const
{
    if (const auto it = m_sections.find(path); it != m_sections.end()) {
        if (::WaitForSingleObject(it->second->changed, 0) == WAIT_TIMEOUT)
            return it->second.get();
        // Changed, perhaps deleted and made again: the key is opened and watched afresh.
        m_sections.erase(it);
    }
    // The watch is on the key above the section's, subkeys included: a key's own watch is not told
    // when the key is deleted, and a section deleted and made again must not be read stale.
    const std::size_t split = path.rfind('\\');
    if (split == std::string::npos)
        return nullptr;
    auto section = std::make_unique<Section>();
    if (::RegOpenKeyExW(hiveKey(m_hive), toWide(path.substr(0, split)).c_str(), 0, KEY_NOTIFY, &section->parent) !=
        ERROR_SUCCESS) {
        section->parent = nullptr;
        return nullptr;
    }
    section->changed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Watched before anything is read, so no change after a read goes unseen.
    if (!section->changed ||
        ::RegNotifyChangeKeyValue(section->parent, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                  section->changed, TRUE) != ERROR_SUCCESS)
        return nullptr;
    if (::RegOpenKeyExW(hiveKey(m_hive), toWide(path).c_str(), 0, KEY_QUERY_VALUE, &section->key) != ERROR_SUCCESS) {
        section->key = nullptr;
        return nullptr;
    }
    return m_sections.emplace(path, std::move(section)).first->second.get();
}

std::string RegistrySettings::keyPath(std::string_view app, std::string_view section) const
{
    const std::string appName = sameName(app, kSettingsApp) ? std::string("Quelvo") : std::string(app);
    return m_root + "\\" + appName + "\\" + std::string(section);
}

std::string RegistrySettings::GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const
{
    const std::string path = keyPath(app, section);
    const std::wstring name = toWide(key);
    if (Section* watchedSection = watched(path)) {
        const auto [it, fresh] = watchedSection->values.try_emplace(folded(name));
        if (fresh)
            it->second = readValue(watchedSection->key, name);
        return it->second ? *it->second : std::string(def);
    }
    // A key that does not exist yet (or cannot be watched) is read each time.
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(hiveKey(m_hive), toWide(path).c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return std::string(def);
    const std::optional<std::string> value = readValue(handle, name);
    ::RegCloseKey(handle);
    return value ? *value : std::string(def);
}

IoResult RegistrySettings::readState() const
{
    const std::string path = keyPath(kSettingsApp, kSettingsSection);
    if (Section* section = watched(path)) {
        if (!section->state)
            section->state = textValuesOnly(section->key, m_hive, path);
        return *section->state;
    }
    HKEY handle = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(hiveKey(m_hive), toWide(path).c_str(), 0, KEY_QUERY_VALUE, &handle);
    if (status == ERROR_FILE_NOT_FOUND)
        return IoResult::success(); // nothing stored yet
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot read " + keyName(m_hive, path) + " (error " + std::to_string(status) + ")");
    IoResult state = textValuesOnly(handle, m_hive, path);
    ::RegCloseKey(handle);
    return state;
}

IoResult RegistrySettings::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                       std::string_view value)
{
    return SaveSettings(app, section, {{key, value}});
}

IoResult RegistrySettings::SaveSettings(std::string_view app, std::string_view section,
                                        std::initializer_list<SettingValue> values)
{
    HKEY handle = nullptr;
    const std::string path = keyPath(app, section);
    LSTATUS status = ::RegCreateKeyExW(hiveKey(m_hive), toWide(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                       &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot open " + keyName(m_hive, path) + " (error " + std::to_string(status) + ")");
    // Every value into the open key, then one flush for them all.
    std::string_view failed;
    for (const SettingValue& v : values) {
        const std::wstring text = toWide(v.value);
        status = ::RegSetValueExW(handle, toWide(v.key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) {
            failed = v.key;
            break;
        }
    }
    if (status == ERROR_SUCCESS)
        status = ::RegFlushKey(handle);
    ::RegCloseKey(handle);
    // Whatever was kept is read again: the same key may be kept under another spelling too.
    m_sections.clear();
    if (status != ERROR_SUCCESS) {
        const std::string what = failed.empty() ? "settings" : std::string(failed);
        return IoResult::failure("cannot save " + what + " (error " + std::to_string(status) + ")");
    }
    return IoResult::success();
}

} // namespace quelvo
