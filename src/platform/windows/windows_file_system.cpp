#include "platform/windows/windows_file_system.h"

#include "platform/windows/locations.h"
#include "platform/windows/windows_power.h"

#include <windows.h>
#include <winternl.h>

namespace quelvo {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

IoResult failure(const char* what, const std::string& path, DWORD error)
{
    const std::string text = WindowsSystemMessages().messageText(error);
    return IoResult::failure(std::string(what) + " " + path + ": " +
                             (text.empty() ? "error " + std::to_string(error) : text));
}

// Closes a handle on every path out of a function.
class Handle final
{
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    [[nodiscard]] HANDLE get() const { return m_h; }
    [[nodiscard]] bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    bool close()
    {
        const bool ok = !valid() || ::CloseHandle(m_h) != FALSE;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

HANDLE openFile(const std::string& path, DWORD access, DWORD disposition)
{
    return ::CreateFileW(widePath(path).c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// Only ordinary files on disk: no folder, device or pipe in a file's place.
bool isRegularFile(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) != FALSE &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool writeAll(HANDLE h, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30));
        DWORD written = 0;
        if (::WriteFile(h, bytes.data(), chunk, &written, nullptr) == FALSE || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

class WindowsFileLock final : public FileLock
{
public:
    explicit WindowsFileLock(HANDLE h) : m_h(h) {}
    ~WindowsFileLock() override
    {
        OVERLAPPED whole{};
        ::UnlockFileEx(m_h, 0, MAXDWORD, MAXDWORD, &whole);
        ::CloseHandle(m_h);
    }
    WindowsFileLock(const WindowsFileLock&) = delete;
    WindowsFileLock& operator=(const WindowsFileLock&) = delete;

private:
    HANDLE m_h;
};

} // namespace

bool WindowsFileSystem::exists(const std::string& path) const
{
    return ::GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

ReadResult WindowsFileSystem::read(const std::string& path, std::int64_t maxBytes) const
{
    Handle h(openFile(path, GENERIC_READ, OPEN_EXISTING));
    if (!h.valid()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        return {std::nullopt, failure("cannot read", path, error)};
    }
    if (!isRegularFile(h.get()))
        return {std::nullopt, IoResult::failure(path + " is not a regular file")};
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h.get(), &size) == FALSE)
        return {std::nullopt, failure("cannot read", path, ::GetLastError())};
    if (size.QuadPart > maxBytes)
        return {std::nullopt, IoResult::failure(path + " is larger than " + std::to_string(maxBytes) + " bytes")};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1U << 30));
        if (::ReadFile(h.get(), bytes.data() + done, chunk, &got, nullptr) == FALSE)
            return {std::nullopt, failure("cannot read", path, ::GetLastError())};
        if (got == 0)
            break; // shorter than it was a moment ago
        done += got;
    }
    bytes.resize(done);
    return {std::move(bytes), {}};
}

std::optional<FileStamp> WindowsFileSystem::stamp(const std::string& path) const
{
    Handle h(::CreateFileW(widePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr));
    if (!h.valid())
        return std::nullopt;
    // Asked for one by one: the whole record (and the file id record) also want the volume's serial
    // number, which under Wine is a round trip to another process.
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    FILE_INTERNAL_INFORMATION index{};
    IO_STATUS_BLOCK io{};
    if (::GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) == FALSE ||
        ::GetFileInformationByHandleEx(h.get(), FileStandardInfo, &standard, sizeof standard) == FALSE ||
        ::NtQueryInformationFile(h.get(), &io, &index, sizeof index, FileInternalInformation) < 0)
        return std::nullopt;
    return FileStamp{basic.LastWriteTime.QuadPart * 100, standard.EndOfFile.QuadPart,
                     static_cast<std::uint64_t>(index.IndexNumber.QuadPart)};
}

IoResult WindowsFileSystem::append(const std::string& path, std::string_view bytes, std::string_view lineBreak)
{
    Handle h(openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
    if (!h.valid())
        return failure("cannot open", path, ::GetLastError());
    if (!isRegularFile(h.get()))
        return IoResult::failure(path + " is not a regular file");
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h.get(), &size) == FALSE)
        return failure("cannot open", path, ::GetLastError());
    std::string data;
    if (size.QuadPart > 0 && !lineBreak.empty()) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char byte = 0;
        DWORD got = 0;
        if (::SetFilePointerEx(h.get(), last, nullptr, FILE_BEGIN) == FALSE ||
            ::ReadFile(h.get(), &byte, 1, &got, nullptr) == FALSE || got != 1)
            return failure("cannot read", path, ::GetLastError());
        if (byte != '\n' && byte != '\r')
            data = lineBreak;
    }
    data += bytes;
    if (::SetFilePointerEx(h.get(), size, nullptr, FILE_BEGIN) == FALSE)
        return failure("cannot write", path, ::GetLastError());
    if (!writeAll(h.get(), data) || ::FlushFileBuffers(h.get()) == FALSE) {
        const DWORD error = ::GetLastError();
        // Cut back to where it was, so a short write leaves no half line.
        ::SetFilePointerEx(h.get(), size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(h.get());
        return failure("cannot write", path, error);
    }
    if (!h.close())
        return failure("cannot close", path, ::GetLastError());
    return IoResult::success();
}

IoResult WindowsFileSystem::replaceContents(const std::string& path, std::string_view scratchName,
                                            std::string_view bytes, NewFileAccess /*access*/)
{
    const std::string scratch = folderOf(path) + "\\" + std::string(scratchName);
    const std::wstring wideScratch = widePath(scratch);
    if (::DeleteFileW(wideScratch.c_str()) == FALSE && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return failure("cannot remove the old scratch file", scratch, ::GetLastError());
    Handle h(::CreateFileW(wideScratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid())
        return failure("cannot create", scratch, ::GetLastError());
    const auto discard = [&](IoResult result) {
        h.close();
        ::DeleteFileW(wideScratch.c_str());
        return result;
    };
    if (!writeAll(h.get(), bytes))
        return discard(failure("cannot write", scratch, ::GetLastError()));
    if (::FlushFileBuffers(h.get()) == FALSE)
        return discard(failure("cannot flush", scratch, ::GetLastError()));
    if (!h.close())
        return discard(failure("cannot close", scratch, ::GetLastError()));
    if (::MoveFileExW(wideScratch.c_str(), widePath(path).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE)
        return discard(failure("cannot replace", path, ::GetLastError()));
    return IoResult::success();
}

LockResult WindowsFileSystem::lock(const std::string& path, LockMode mode)
{
    const HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE)
        return {nullptr, failure("cannot open the lock file", path, ::GetLastError())};
    OVERLAPPED whole{};
    const DWORD flags = mode == LockMode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if (::LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &whole) == FALSE) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(h);
        return {nullptr, failure("cannot lock", path, error)};
    }
    return {std::make_unique<WindowsFileLock>(h), {}};
}

IoResult WindowsFileSystem::remove(const std::string& path)
{
    if (::DeleteFileW(widePath(path).c_str()) == FALSE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return failure("cannot remove", path, error);
    }
    return IoResult::success();
}

IoResult WindowsFileSystem::makeFolders(const std::string& path)
{
    // Each folder on the way down, by hand: std::filesystem would bring the streams and locales of
    // the standard library into every program. The drive or share at the top exists or fails alike.
    const std::wstring wide = widePath(path);
    DWORD error = ERROR_SUCCESS;
    for (std::size_t at = wide.find_first_of(L"\\/", 1);; at = wide.find_first_of(L"\\/", at + 1)) {
        const std::wstring folder = wide.substr(0, at);
        if (!folder.empty() && folder.back() != L':' && folder.back() != L'\\' && folder.back() != L'/')
            error = ::CreateDirectoryW(folder.c_str(), nullptr) ? ERROR_SUCCESS : ::GetLastError();
        if (at == std::wstring::npos)
            break;
    }
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return failure("cannot create", path,
                       error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error);
    return IoResult::success();
}

} // namespace quelvo
