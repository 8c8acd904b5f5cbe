#include "platform/windows/mutex_instance.h"

#include "platform/windows/wide_text.h"

#include <windows.h>

namespace quelvo {

MutexInstance::MutexInstance(std::string name)
    : m_name(name.empty() ? std::string("Local\\Quelvo.SingleInstance") : std::move(name))
{}

MutexInstance::~MutexInstance()
{
    if (m_handle != nullptr)
        ::CloseHandle(m_handle);
}

SingleInstance::State MutexInstance::acquire()
{
    m_error.clear();
    if (m_handle != nullptr)
        return State::Only;
    const HANDLE h = ::CreateMutexW(nullptr, FALSE, toWide(m_name).c_str());
    const DWORD error = ::GetLastError();
    if (h == nullptr) {
        // Another user's object of that name, or no rights to it: no lock to be had.
        m_error = "cannot create the mutex " + m_name + " (error " + std::to_string(error) + ")";
        return error == ERROR_ACCESS_DENIED ? State::AnotherCopyRuns : State::NoLock;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(h);
        return State::AnotherCopyRuns;
    }
    m_handle = h;
    return State::Only;
}

} // namespace quelvo
