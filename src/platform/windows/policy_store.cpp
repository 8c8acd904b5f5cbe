#include "platform/windows/policy_store.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace quelvo {

namespace {

HKEY hiveKey(RegistryHive hive)
{
    return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// A value's data as the reader takes it: a DWORD, text (without its terminating NULs), or neither.
std::variant<std::monostate, std::uint32_t, std::string> valueData(DWORD type, const std::vector<BYTE>& data,
                                                                   DWORD size)
{
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return static_cast<std::uint32_t>(number);
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(size / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return toUtf8(text);
    }
    return std::monostate{};
}

} // namespace

PolicyStore::PolicyStore(const RegistryPlace& place, const Settings& machineSettings)
    : m_hive(place.hive), m_path(place.root + "\\Quelvo"),
      m_name((place.hive == RegistryHive::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + m_path),
      m_machineSettings(machineSettings)
{}

PolicyReading PolicyStore::read() const
{
    PolicyReading reading;
    HKEY key = nullptr;
    LSTATUS status = ::RegOpenKeyExW(hiveKey(m_hive), toWide(m_path).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        applyMachineSettings(reading, m_machineSettings);
        return reading;
    }
    std::vector<PolicyRegistryValue> values;
    if (status == ERROR_SUCCESS) {
        DWORD longestName = 0;
        DWORD longestData = 0;
        status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                                    &longestData, nullptr, nullptr);
        std::wstring name(longestName + 1, L'\0');
        std::vector<BYTE> data(longestData + sizeof(wchar_t));
        for (DWORD index = 0; status == ERROR_SUCCESS; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = REG_NONE;
            status = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
            if (status == ERROR_SUCCESS)
                values.push_back({toUtf8(std::wstring_view(name.data(), nameLength)), valueData(type, data, size)});
        }
        ::RegCloseKey(key);
        if (status == ERROR_NO_MORE_ITEMS)
            status = ERROR_SUCCESS;
    }
    if (status == ERROR_SUCCESS)
        reading = readPolicyRegistry(values);
    else
        reading.problems.push_back(
            {0, {}, "cannot read " + m_name + " (error " + std::to_string(status) + "); none of its values apply"});
    applyMachineSettings(reading, m_machineSettings);
    return reading;
}

} // namespace quelvo
