#pragma once

#include "platform/settings.h"

#include <string_view>

namespace quelvo {

/// The machine service's settings: what root configures (`24hr`, `warn`, ...) read from `config`,
/// and the service's own records (`lastfired`, `warned`, `skips`, `postponed`) read from and kept in `records`, so that
/// the service never writes the system's configuration.
class MachineSettings final : public Settings
{
public:
    MachineSettings(const Settings& config, Settings& records);

    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override;
    /// Stores a record; any other key is refused, as it is root's to set.
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override;
    /// The configuration's state, then the records'.
    [[nodiscard]] IoResult readState() const override;

private:
    [[nodiscard]] static bool isRecord(std::string_view app, std::string_view section, std::string_view key);

    const Settings& m_config;
    Settings& m_records;
};

} // namespace quelvo
