#include "shell/settings_store.h"

namespace quelvo {

SettingsStore::SettingsStore(FileSystem& fs, std::string filePath) : m_fs(fs), m_path(std::move(filePath))
{}

std::string SettingsStore::GetSetting(std::string_view, std::string_view, std::string_view, std::string_view def) const
{
    return std::string(def);
}

IoResult SettingsStore::SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view)
{
    return IoResult::failure("not implemented yet");
}

} // namespace quelvo
