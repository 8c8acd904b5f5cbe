#pragma once

#include "platform/settings.h"
#include "schedule/event_line.h"

#include <map>
#include <string>

namespace quelvo::test {

/// Settings held in memory, names folded like the real store; counts writes.
class FakeSettings final : public Settings
{
public:
    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override
    {
        const auto it = m_values.find(address(app, section, key));
        // Like the real store, one that cannot be read answers with the defaults.
        return it == m_values.end() || !readFailure.empty() ? std::string(def) : it->second;
    }
    [[nodiscard]] IoResult readState() const override
    {
        return readFailure.empty() ? IoResult::success() : IoResult::failure(readFailure);
    }
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override
    {
        if (!failWith.empty() || !readFailure.empty())
            return IoResult::failure(failWith.empty() ? readFailure + "; not overwriting it" : failWith);
        ++writes;
        m_values[address(app, section, key)] = std::string(value);
        return IoResult::success();
    }

    // Several values at once count as one write, as the real store makes one.
    IoResult SaveSettings(std::string_view app, std::string_view section,
                          std::initializer_list<SettingValue> values) override
    {
        if (!failWith.empty() || !readFailure.empty())
            return IoResult::failure(failWith.empty() ? readFailure + "; not overwriting it" : failWith);
        ++writes;
        for (const SettingValue& v : values)
            m_values[address(app, section, v.key)] = std::string(v.value);
        return IoResult::success();
    }

    int writes = 0;
    std::string failWith;    // when set, every save fails with this reason
    std::string readFailure; // when set, the stored settings are there but can't be read, for this reason

private:
    static std::string address(std::string_view app, std::string_view section, std::string_view key)
    {
        return toLowerAscii(app) + '\n' + toLowerAscii(section) + '\n' + toLowerAscii(key);
    }
    std::map<std::string, std::string> m_values;
};

} // namespace quelvo::test
