#include "platform/windows/run_key_autostart.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace quelvo {

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::string> readValue(HKEY root, const std::wstring& name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS)
            result = toUtf8(std::wstring(buffer.data()));
    }
    ::RegCloseKey(key);
    return result;
}

} // namespace

RunKeyAutostart::RunKeyAutostart(std::string valueName)
    : m_valueName(valueName.empty() ? std::string("Quelvo") : std::move(valueName))
{}

std::string RunKeyAutostart::GetRegString(std::string_view def) const
{
    const std::wstring name = toWide(m_valueName);
    const auto own = readValue(HKEY_CURRENT_USER, name);
    if (own && !own->empty())
        return *own;
    const auto machine = readValue(HKEY_LOCAL_MACHINE, name);
    if (machine && !machine->empty())
        return *machine;
    return own ? *own : std::string(def);
}

IoResult RunKeyAutostart::SetRegString(std::string_view command)
{
    HKEY key = nullptr;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot open the Run key (error " + std::to_string(status) + ")");
    const std::wstring name = toWide(m_valueName);
    const std::wstring value = toWide(command);
    status = ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS)
        status = ::RegFlushKey(key);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return IoResult::failure("cannot write the Run entry (error " + std::to_string(status) + ")");
    // Windows starts a machine-wide entry whatever the user's own says, so "off" takes it away too.
    const auto machine = readValue(HKEY_LOCAL_MACHINE, name);
    if (!command.empty() || !machine || machine->empty())
        return IoResult::success();
    status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = ::RegDeleteValueW(key, name.c_str());
        if (status == ERROR_SUCCESS)
            status = ::RegFlushKey(key);
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        return IoResult::failure("the entry for every user of this computer can only be removed by an administrator "
                                 "(error " +
                                 std::to_string(status) + ")");
    return IoResult::success();
}

} // namespace quelvo
