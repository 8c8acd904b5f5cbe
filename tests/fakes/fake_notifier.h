#pragma once

#include "platform/notifier.h"

#include <string>
#include <utility>
#include <vector>

namespace quelvo::test {

/// The desktop's notifications: each one shown is kept as its body with its choices after it.
struct FakeNotifier final : Notifier
{
    bool available() const override { return there; }
    bool show(const Notification& n, NotificationHandler onAction) override
    {
        shown.push_back(n.body);
        for (const auto& a : n.actions)
            shown.back() += " [" + a.key + ": " + a.caption + "]";
        answer = std::move(onAction);
        return true;
    }
    void close() override
    {
        ++closed;
        answer = nullptr;
    }

    bool there = true;
    std::vector<std::string> shown; // each body, its actions after it
    NotificationHandler answer;
    int closed = 0;
};

} // namespace quelvo::test
