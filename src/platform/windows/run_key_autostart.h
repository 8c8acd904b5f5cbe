#pragma once

#include "platform/autostart.h"

#include <string>

namespace quelvo {

/// Start with Windows: the value "Quelvo" under the per-user Run key
/// (HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run), which a standard user
/// and an administrator under UAC can both write. Windows also starts the machine-wide key's
/// entries, which no per-user value can hold back: reading shows such an entry as on, and
/// switching off removes it where the account may.
class RunKeyAutostart final : public Autostart
{
public:
    /// `valueName` empty: "Quelvo".
    explicit RunKeyAutostart(std::string valueName = {});

    [[nodiscard]] std::string GetRegString(std::string_view def) const override;
    /// Writes the value and flushes the key; an empty command stores an empty value and removes a
    /// machine-wide entry, failing when the account may not.
    IoResult SetRegString(std::string_view command) override;

private:
    std::string m_valueName;
};

} // namespace quelvo
