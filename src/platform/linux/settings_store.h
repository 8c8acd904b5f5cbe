#pragma once

#include "platform/settings.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace quelvo {

/// The largest settings file that is read.
inline constexpr std::int64_t kMaxSettingsBytes = std::int64_t{16} * 1024 * 1024;

/// The per-user settings file: one human-readable INI-like file, rewritten
/// whole and durably on every change.
///
/// Layout: a "[app/section]" line opens a section, "key=value" lines follow.
/// Names are stored lower-cased; in names and values a backslash, a line end
/// or another control byte is written as an escape ("\\", "\n", "\r",
/// "\xHH"), so every value reads back exactly. A save holds the lock beside the file
/// (settings.ini.lock) from its read to its write; a new file is readable by its owner only.
class SettingsStore final : public Settings
{
public:
    SettingsStore(FileSystem& fs, std::string filePath);

    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override;
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override;
    IoResult SaveSettings(std::string_view app, std::string_view section,
                          std::initializer_list<SettingValue> values) override;

    [[nodiscard]] IoResult readState() const override { return current().read; }

    /// Path of the settings file.
    [[nodiscard]] const std::string& filePath() const { return m_path; }

    /// The settings a file's text holds; lines that can't be read are skipped.
    struct Address
    {
        std::string app; // all three names lower-cased
        std::string section;
        std::string key;

        auto operator<=>(const Address&) const = default; // NOLINT(modernize-use-nullptr): a clang-tidy 14 misreading
    };
    using Values = std::map<Address, std::string>;
    static Values parse(std::string_view text);
    /// The file text for a set of values, the inverse of parse().
    static std::string serialize(const Values& values);

private:
    // The parsed file as of one version of it on disk, so that reads notice
    // writes by other processes while repeated reads cost one stat.
    struct Snapshot
    {
        std::optional<FileStamp> stamp; // nullopt: the file was missing
        bool readable = true;
        IoResult read; // why the file could not be read
        Values values;
    };

    const Snapshot& current() const;
    // Whether every one of the wanted values is stored as it is.
    static bool holds(const Values& values, std::string_view app, std::string_view section,
                      std::initializer_list<SettingValue> wanted);

    FileSystem& m_fs;
    std::string m_path;
    mutable std::optional<Snapshot> m_cache;
};

} // namespace quelvo
