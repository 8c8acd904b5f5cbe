// The settings file reader: whatever the file holds, writing it back keeps every value it
// gave, and a value saved into it reads back exactly.
#include "fakes/fake_file_system.h"
#include "fuzz_input.h"
#include "platform/linux/settings_store.h"
#include "schedule/event_line.h"

using namespace quelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::string app = in.text(12);
    const std::string section = in.text(12);
    const std::string key = in.text(12);
    const std::string value = in.text(48);
    const std::string fileText = in.rest();

    const SettingsStore::Values read = SettingsStore::parse(fileText);
    fuzz::require(SettingsStore::parse(SettingsStore::serialize(read)) == read,
                  "the written form of a file's values reads back as the same values");

    test::FakeFileSystem fs;
    const std::string path = "/config/quelvo/settings.ini";
    fs.put(path, fileText);
    SettingsStore store(fs, path);
    fuzz::require(store.SaveSetting(app, section, key, value).ok(), "saving into a readable file works");

    // A fresh store reads the file from disk, not from the cache of the one that wrote it.
    const SettingsStore reader(fs, path);
    fuzz::require(reader.GetSetting(app, section, key, "\x01missing") == value, "a saved value reads back exactly");
    const SettingsStore::Address saved{toLowerAscii(app), toLowerAscii(section), toLowerAscii(key)};
    for (const auto& [addr, old] : read) {
        if (addr != saved) {
            fuzz::require(reader.GetSetting(addr.app, addr.section, addr.key, "\x01missing") == old,
                          "saving one value keeps every other one");
        }
    }
    return 0;
}
