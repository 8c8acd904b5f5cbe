#include "platform/windows/registry_settings.h"

#include "platform/windows/locations.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace quelvo {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

RegistrySettings::RegistrySettings(std::string root) : m_root(std::move(root))
{}

std::string RegistrySettings::keyPath(std::string_view app, std::string_view section) const
{
    const std::string appName = sameName(app, kSettingsApp) ? std::string("Quelvo") : std::string(app);
    return m_root + "\\" + appName + "\\" + std::string(section);
}

std::string RegistrySettings::GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, widePath(keyPath(app, section)).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS)
        return std::string(def);
    const std::wstring name = widePath(key);
    std::string result(def);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            // The stored length, not the first NUL: a value reads back exactly.
            std::size_t chars = size / sizeof(wchar_t);
            if (chars > 0 && buffer[chars - 1] == L'\0')
                --chars;
            result = utf8Path(std::wstring_view(buffer.data(), chars));
        }
    }
    ::RegCloseKey(handle);
    return result;
}

IoResult RegistrySettings::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                       std::string_view value)
{
    HKEY handle = nullptr;
    const std::string path = keyPath(app, section);
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, widePath(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                       &handle, nullptr);
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot open HKEY_CURRENT_USER\\" + path + " (error " + std::to_string(status) + ")");
    const std::wstring text = widePath(value);
    status = ::RegSetValueExW(handle, widePath(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS)
        status = ::RegFlushKey(handle);
    ::RegCloseKey(handle);
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot save " + std::string(key) + " (error " + std::to_string(status) + ")");
    return IoResult::success();
}

} // namespace quelvo
