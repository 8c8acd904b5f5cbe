#include "platform/windows/locations.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <vector>

namespace quelvo {

std::string executablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return toUtf8(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string fullPath(const std::string& path)
{
    const std::wstring wide = toWide(path);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0)
            return path;
        if (n < buffer.size())
            return toUtf8(std::wstring_view(buffer.data(), n));
        buffer.resize(n);
    }
}

std::string executableFolder()
{
    const std::string path = executablePath();
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

namespace {

bool canCreateFileIn(const std::string& folder)
{
    const std::wstring probe = toWide(folder) + L"\\quelvo-write-test.tmp";
    const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(h);
    return true;
}

// The root folder without trailing separators, so that "DIR" and "DIR\" name the same place.
std::string trimmedRoot(std::string root)
{
    while (!root.empty() && (root.back() == '\\' || root.back() == '/'))
        root.pop_back();
    return root;
}

std::string programDataFolder()
{
    PWSTR path = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) {
        std::string folder = toUtf8(path);
        ::CoTaskMemFree(path);
        return folder;
    }
    ::CoTaskMemFree(path);
    wchar_t value[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"ProgramData", value, MAX_PATH * 2);
    return n == 0 || n >= MAX_PATH * 2 ? std::string("C:\\ProgramData") : toUtf8(std::wstring_view(value, n));
}

// A key name of a root folder's own: its last part for a reader, and a hash of its whole path for
// two roots of the same last part; letter case aside, as Windows compares paths.
std::string rootKeyName(const std::string& root)
{
    std::wstring path = toWide(root);
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (wchar_t& c : path) {
        c = static_cast<wchar_t>(std::towlower(c));
        hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    }
    const auto slash = path.find_last_of(L"\\/:");
    char digits[9] = {};
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
    return toUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1)) + "-" + digits;
}

} // namespace

std::string programFolder()
{
    const std::string folder = executableFolder();
    if (canCreateFileIn(folder))
        return folder;
    wchar_t local[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return folder;
    const std::wstring own = std::wstring(local, n) + L"\\Quelvo";
    ::CreateDirectoryW(own.c_str(), nullptr);
    return toUtf8(own);
}

std::string historyFolder()
{
    wchar_t local[MAX_PATH * 2] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return executableFolder();
    return toUtf8(std::wstring(local, n) + L"\\Quelvo");
}

std::string userName()
{
    wchar_t name[257] = {}; // UNLEN + 1
    DWORD n = 257;
    if (!::GetUserNameW(name, &n) || n == 0)
        return {};
    return toUtf8(std::wstring(name, n - 1)); // n counts the terminating null
}

std::string machineConfigFolder(const std::string& root)
{
    const std::string under = trimmedRoot(root);
    return (under.empty() ? programDataFolder() : under + "\\ProgramData") + "\\Quelvo";
}

std::string machineStateFolder(const std::string& root)
{
    return machineConfigFolder(root);
}

std::string machineRecordsPath(const std::string& root)
{
    return machineStateFolder(root) + "\\records.ini";
}

RegistryPlace machineSettingsPlace(const std::string& root)
{
    const std::string under = trimmedRoot(root);
    if (under.empty())
        return {RegistryHive::LocalMachine, "Software"};
    return {RegistryHive::CurrentUser, "Software\\QuelvoTest\\" + rootKeyName(under)};
}

RegistryPlace machinePolicyPlace(const std::string& root)
{
    const std::string under = trimmedRoot(root);
    if (under.empty())
        return {RegistryHive::LocalMachine, "Software\\Policies"};
    return {RegistryHive::CurrentUser, "Software\\QuelvoTest\\" + rootKeyName(under) + "\\Policies"};
}

} // namespace quelvo
