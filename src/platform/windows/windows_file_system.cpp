#include "platform/windows/windows_file_system.h"

#include "platform/windows/wide_text.h"
#include "platform/windows/windows_power.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

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
    void reset(HANDLE h)
    {
        close();
        m_h = h;
    }
    HANDLE release() { return std::exchange(m_h, INVALID_HANDLE_VALUE); }
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
    return ::CreateFileW(toWide(path).c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Only ordinary files on disk: no folder, device or pipe in a file's place.
bool isRegularFile(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) != FALSE &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file's number on its volume, which no other file there bears while it exists. Asked for
// alone: the whole record also wants the volume's serial number, which under Wine is a round
// trip to another process.
std::optional<std::uint64_t> fileIndex(HANDLE h)
{
    FILE_INTERNAL_INFORMATION index{};
    IO_STATUS_BLOCK io{};
    if (::NtQueryInformationFile(h, &io, &index, sizeof index, FileInternalInformation) < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(index.IndexNumber.QuadPart);
}

// The number of the file a name stands for now, opened for nothing and never followed.
std::optional<std::uint64_t> fileIndexOf(const std::wstring& path)
{
    Handle h(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return h.valid() ? fileIndex(h.get()) : std::nullopt;
}

// Marks an open file (opened with DELETE access) to be deleted when its handle closes.
void deleteWhenClosed(HANDLE h)
{
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    ::SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
}

// The rename target as a full path, which the rename through a handle wants.
std::wstring fullPath(const std::wstring& path)
{
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

bool renameOpenFile(void* file, const std::wstring& target)
{
    // The record ends in the name, so it is allocated with room for all of it.
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::byte> record(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t));
    auto* info = new (record.data()) FILE_RENAME_INFO{};
    info->ReplaceIfExists = TRUE;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(target.begin(), target.end(), info->FileName);
    return ::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(record.size())) != FALSE;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Holds a locked lock file, or nothing (a shared lock on a lock file that does not exist).
class WindowsFileLock final : public FileLock
{
public:
    explicit WindowsFileLock(HANDLE h) : m_h(h) {}
    ~WindowsFileLock() override
    {
        if (m_h == INVALID_HANDLE_VALUE)
            return;
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

WindowsCalls WindowsCalls::system()
{
    return {
        .createFile = [](const std::wstring& path, std::uint32_t access, std::uint32_t share,
                         std::uint32_t disposition) -> void* {
            return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        },
        .write = [](void* file, const void* data, std::uint32_t size) -> std::int64_t {
            DWORD written = 0;
            return ::WriteFile(file, data, size, &written, nullptr) != FALSE ? std::int64_t{written} : -1;
        },
        .flush = [](void* file) { return ::FlushFileBuffers(file) != FALSE; },
        .rename = renameOpenFile,
        .deleteFile = [](const std::wstring& path) { return ::DeleteFileW(path.c_str()) != FALSE; },
    };
}

WindowsFileSystem::WindowsFileSystem(WindowsCalls calls, std::chrono::milliseconds lockWait)
    : m_calls(std::move(calls)), m_lockWait(lockWait)
{}

bool WindowsFileSystem::writeAll(void* file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), 1U << 30));
        const std::int64_t written = m_calls.write(file, bytes.data(), chunk);
        if (written < 0)
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL); // nothing written and no error: there is no room
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool WindowsFileSystem::exists(const std::string& path) const
{
    return ::GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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
    Handle h(
        ::CreateFileW(toWide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid())
        return std::nullopt;
    // Asked for one by one: the whole record (and the file id record) also want the volume's serial
    // number, which under Wine is a round trip to another process.
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    const std::optional<std::uint64_t> index = fileIndex(h.get());
    if (::GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) == FALSE ||
        ::GetFileInformationByHandleEx(h.get(), FileStandardInfo, &standard, sizeof standard) == FALSE || !index)
        return std::nullopt;
    return FileStamp{basic.LastWriteTime.QuadPart * 100, standard.EndOfFile.QuadPart, *index};
}

IoResult WindowsFileSystem::append(const std::string& path, std::string_view bytes, std::string_view lineBreak)
{
    const std::wstring wide = toWide(path);
    // Delete access only on a file this call creates, so that a failure takes exactly that file
    // away again; an existing file is opened for no more than reading and writing.
    Handle h(INVALID_HANDLE_VALUE);
    bool created = false;
    for (int attempt = 0; attempt < 2 && !h.valid(); ++attempt) {
        h.reset(m_calls.createFile(wide, GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_EXISTING));
        if (h.valid() || ::GetLastError() != ERROR_FILE_NOT_FOUND)
            break;
        h.reset(m_calls.createFile(wide, GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll, CREATE_NEW));
        created = h.valid();
        if (!created && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
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
    // Cuts the file back to where it was, so a failure leaves no half line to glue onto; a file
    // this call made is removed.
    const auto undo = [&](const char* what) {
        const DWORD error = ::GetLastError();
        if (::SetFilePointerEx(h.get(), size, nullptr, FILE_BEGIN) != FALSE && ::SetEndOfFile(h.get()) != FALSE)
            ::FlushFileBuffers(h.get());
        if (created)
            deleteWhenClosed(h.get());
        return failure(what, path, error);
    };
    if (!writeAll(h.get(), data))
        return undo("cannot write");
    if (!m_calls.flush(h.get()))
        return undo("cannot flush");
    if (!h.close())
        return failure("cannot close", path, ::GetLastError());
    return IoResult::success();
}

IoResult WindowsFileSystem::replaceContents(const std::string& path, std::string_view scratchName,
                                            std::string_view bytes, NewFileAccess /*access*/)
{
    const std::string scratch = folderOf(path) + "\\" + std::string(scratchName);
    const std::wstring wideScratch = toWide(scratch);
    if (!m_calls.deleteFile(wideScratch) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return failure("cannot remove the old scratch file", scratch, ::GetLastError());
    // Shared with nobody until it is renamed through this handle: no other program can move,
    // replace or delete it in between, so the file that lands is the file written.
    Handle h(m_calls.createFile(wideScratch, GENERIC_WRITE | DELETE, 0, CREATE_NEW));
    if (!h.valid())
        return failure("cannot create", scratch, ::GetLastError());
    const auto discard = [&](IoResult result) {
        deleteWhenClosed(h.get());
        h.close();
        return result;
    };
    if (!writeAll(h.get(), bytes))
        return discard(failure("cannot write", scratch, ::GetLastError()));
    // On disk before the rename makes it the file, so a crash never leaves a renamed empty file.
    if (!m_calls.flush(h.get()))
        return discard(failure("cannot flush", scratch, ::GetLastError()));
    // The rename goes through the handle, which on Windows moves this very file; Wine renames the
    // name the handle was opened with, which a program that moves the folder away can fill with
    // a file of its own. So the name must still be this file before, and the target after.
    const std::optional<std::uint64_t> written = fileIndex(h.get());
    if (!written)
        return discard(IoResult::failure("cannot identify " + scratch));
    const IoResult swapped =
        IoResult::failure("cannot replace " + path + ": " + scratch + " was replaced while it was written");
    if (fileIndexOf(wideScratch) != written)
        return swapped; // nothing is removed: that name is no longer this file
    const std::wstring target = fullPath(toWide(path));
    if (!m_calls.rename(h.get(), target))
        return discard(failure("cannot replace", path, ::GetLastError()));
    if (fileIndexOf(target) != written)
        return swapped;
    h.close();
    return IoResult::success();
}

LockResult WindowsFileSystem::lock(const std::string& path, LockMode mode)
{
    const std::wstring wide = toWide(path);
    const bool exclusive = mode == LockMode::Exclusive;
    Handle h(
        m_calls.createFile(wide, GENERIC_READ | GENERIC_WRITE, kShareAll, exclusive ? OPEN_ALWAYS : OPEN_EXISTING));
    if (!h.valid() && ::GetLastError() == ERROR_ACCESS_DENIED) // a lock needs read or write access, not both
        h.reset(m_calls.createFile(wide, GENERIC_READ, kShareAll, OPEN_EXISTING));
    if (!h.valid()) {
        const DWORD error = ::GetLastError();
        if (!exclusive && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            return {std::make_unique<WindowsFileLock>(INVALID_HANDLE_VALUE), {}};
        return {nullptr, failure("cannot open the lock file", path, error)};
    }
    if (!isRegularFile(h.get()))
        return {nullptr, IoResult::failure(path + " is not a regular file")};
    // Tried at once and again after short pauses, never waited on: a program that holds the lock
    // for ever must not hold this one with it.
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    for (;;) {
        OVERLAPPED whole{};
        if (::LockFileEx(h.get(), flags, 0, MAXDWORD, MAXDWORD, &whole) != FALSE)
            return {std::make_unique<WindowsFileLock>(h.release()), {}};
        if (const DWORD error = ::GetLastError(); error != ERROR_LOCK_VIOLATION)
            return {nullptr, failure("cannot lock", path, error)};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero())
            return {nullptr, IoResult::failure("another program holds " + path), true};
        ::Sleep(static_cast<DWORD>(std::min<std::chrono::milliseconds::rep>(left.count(), 20)));
    }
}

IoResult WindowsFileSystem::remove(const std::string& path)
{
    if (::DeleteFileW(toWide(path).c_str()) == FALSE) {
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
    const std::wstring wide = toWide(path);
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
