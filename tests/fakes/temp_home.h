#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quelvo::test {

/// A fresh folder for one test, with HOME and the XDG folders pointing inside
/// it; removed again, and the variables restored, when the test ends.
class TempHome final
{
public:
    TempHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelvo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        m_root = pattern;
        for (const char* name : kVariables) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        ::setenv("HOME", m_root.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_root / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_root / ".local/share").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (m_root / ".local/state").c_str(), 1);
    }
    ~TempHome()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    [[nodiscard]] const std::filesystem::path& root() const { return m_root; }
    [[nodiscard]] std::string path(const std::string& relative) const { return (m_root / relative).string(); }

private:
    static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"};
    std::filesystem::path m_root;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace quelvo::test
