#pragma once

#include "platform/notify_icon.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quelvo::test {

/// Records every request made to the notification area.
class FakeNotifyIcon final : public NotifyIcon
{
public:
    enum class Op { Add, Modify, Remove };
    struct Request
    {
        Op op;
        std::uint32_t flags;
        std::uint32_t icon;
        std::string tip;
    };

    void add(const NotifyIconData& data) override
    {
        requests.push_back({Op::Add, data.flags, data.icon, data.tipText()});
    }
    void modify(const NotifyIconData& data, std::uint32_t flags) override
    {
        requests.push_back({Op::Modify, flags, data.icon, data.tipText()});
    }
    void remove(const NotifyIconData& data) override
    {
        requests.push_back({Op::Remove, data.flags, data.icon, data.tipText()});
    }

    std::vector<Request> requests;
};

} // namespace quelvo::test
