#pragma once

#include "platform/autostart.h"
#include "platform/instance_messenger.h"
#include "platform/single_instance.h"

#include <functional>
#include <optional>
#include <string>

namespace quelvo::test {

/// The start-up entry in memory; counts writes and can be made to fail.
struct FakeAutostart final : Autostart
{
    std::string GetRegString(std::string_view def) const override { return stored ? *stored : std::string(def); }
    IoResult SetRegString(std::string_view command) override
    {
        ++writes;
        if (!failWith.empty())
            return IoResult::failure(failWith);
        stored = std::string(command);
        return IoResult::success();
    }
    std::optional<std::string> stored;
    std::string failWith;
    int writes = 0;
};

/// The single-instance lock and the messenger between copies; keeps the listener, so a test
/// can play a later copy's knock.
struct FakeInstance final : SingleInstance, InstanceMessenger
{
    State acquire() override { return state; }
    [[nodiscard]] std::string lockError() const override
    {
        return state == State::NoLock ? "cannot create /run/user/1000/quelvo.lock: Read-only file system" : "";
    }
    bool listen(std::function<void(bool)> onKnock) override
    {
        listener = std::move(onKnock);
        return true;
    }
    bool knock() override { return ++knocks > 0; }

    State state = State::Only;
    std::function<void(bool)> listener;
    int knocks = 0;
};

} // namespace quelvo::test
