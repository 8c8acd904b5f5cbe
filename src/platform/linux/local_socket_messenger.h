#pragma once

#include "platform/instance_messenger.h"

#include <QString>

#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace quelvo {

/// The running copy listens on a per-user Unix socket; a later copy connects and says so.
/// Whoever holds the single-instance lock owns the socket, so a stale file is removed before
/// listening instead of being taken as a sign of life. A plain socket watched from the event
/// loop: no network library is loaded for it.
class LocalSocketMessenger final : public InstanceMessenger
{
public:
    /// `path` empty: quelvo.socket in the per-user runtimeFolder() (locations.h); with none
    /// to be had, nobody listens and a knock reaches no one.
    explicit LocalSocketMessenger(QString path = {});
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
        int fd = -1;
        std::unique_ptr<QSocketNotifier> notifier;
        std::string received;
    };

    void accept();
    void read(int fd);
    void drop(int fd);

    QString m_path;
    int m_listening = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::map<int, Client> m_clients;
    std::function<void(bool showWindow)> m_onKnock;
    bool m_askToShowWindow = false;
};

} // namespace quelvo
