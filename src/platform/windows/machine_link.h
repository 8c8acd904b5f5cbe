#pragma once

#include "platform/machine_link.h"
#include "platform/windows/machine_message.h"

#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace quelvo {

/// The link to the machine's service over its pipe (\\.\pipe\Quelvo). A thread of its own stays
/// connected and hands what it hears to a message-only window, so the events come in the program's
/// own message loop; while no service runs it tries again every kRetryMs. Each request connects
/// anew and waits a short while for the answer; where no service runs it says so.
class SystemMachineLink final : public MachineLink
{
public:
    static constexpr unsigned long kRetryMs = 30'000;

    explicit SystemMachineLink(std::wstring pipeName = std::wstring(kMachinePipeName));
    ~SystemMachineLink() override;
    SystemMachineLink(const SystemMachineLink&) = delete;
    SystemMachineLink& operator=(const SystemMachineLink&) = delete;

    /// Starts listening on the calling thread's message loop.
    void listen(MachineEvents events) override;
    std::string cancel() override;
    std::string postpone() override;
    std::string skip() override;

private:
    friend struct MachineLinkWindow;

    std::string request(MachineRequest request);
    void readLoop();
    // Reads one connection until it ends or the link stops; false when it stops.
    bool readConnection(void* pipe, void* readEvent);
    // Hands what the reader heard to the listener, on the window's thread.
    void deliver();

    std::wstring m_name;
    MachineEvents m_events;
    void* m_window = nullptr; // HWND
    void* m_stop = nullptr;   // set when the link goes
    std::thread m_reader;
    std::mutex m_mutex;
    std::deque<MachineMessage> m_heard; // what the reader passes to the window
};

} // namespace quelvo
