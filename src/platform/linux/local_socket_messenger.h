#pragma once

#include "platform/instance_messenger.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

namespace quelvo {

/// The running copy listens on a per-user Unix socket; a later copy connects and says so.
/// Whoever holds the single-instance lock owns the socket, so a stale file is removed before
/// listening instead of being taken as a sign of life. A plain socket watched from the event
/// loop: no network library is loaded for it.
///
/// Any program of the user can connect, so what it may cost is bounded: at most kMaxWaiting
/// connections wait for their line at a time, each for at most the idle limit; one more makes
/// room by closing the one that has waited longest. A descriptor is kept in reserve, so that a
/// process out of descriptors can still take a connection off the queue and close it.
class LocalSocketMessenger final : public InstanceMessenger
{
public:
    /// How many connections may wait for their line at a time.
    static constexpr std::size_t kMaxWaiting = 8;
    /// How long a connection may take to send its line.
    static constexpr std::chrono::milliseconds kIdleLimit{2000};

    /// `path` empty: quelvo.socket in the per-user runtimeFolder() (locations.h); with none
    /// to be had, nobody listens and a knock reaches no one.
    explicit LocalSocketMessenger(QString path = {}, std::chrono::milliseconds idleLimit = kIdleLimit);
    /// Makes this copy's knock ask the running copy to show its main window in any case.
    void askToShowWindow() { m_askToShowWindow = true; }
    ~LocalSocketMessenger() override;
    LocalSocketMessenger(const LocalSocketMessenger&) = delete;
    LocalSocketMessenger& operator=(const LocalSocketMessenger&) = delete;

    bool listen(std::function<void(bool showWindow)> onKnock) override;
    bool knock() override;
    [[nodiscard]] const QString& path() const { return m_path; }

    /// How long a knock waits for the running copy to take the message.
    static constexpr int kKnockTimeoutMs = 1000;

private:
    struct Client
    {
        std::unique_ptr<QSocketNotifier> notifier;
        std::unique_ptr<QTimer> deadline;
        std::uint64_t order = 0; // accepted as the order-th connection
        std::string received;
    };

    void accept();
    void take(int fd);
    bool refuseOneWithoutDescriptors();
    void pauseListening();
    void read(int fd);
    void drop(int fd);

    QString m_path;
    std::chrono::milliseconds m_idleLimit;
    int m_listening = -1;
    int m_spare = -1; // held only to be given up when accept finds no descriptor left
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_resume; // listens again after a pause
    std::map<int, Client> m_clients;
    std::uint64_t m_accepted = 0;
    std::function<void(bool showWindow)> m_onKnock;
    bool m_askToShowWindow = false;
};

} // namespace quelvo
