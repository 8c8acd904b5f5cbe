#include "platform/linux/settings_store.h"

#include "fakes/fake_file_system.h"
#include "fakes/temp_home.h"
#include "platform/linux/locations.h"
#include "platform/linux/posix_file_system.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

const std::string kPath = "/home/u/.config/quelvo/settings.ini";

TEST(SettingsStore, MatchesNamesWithoutCaseAndKeepsValuesExact)
{
    test::FakeFileSystem fs;
    SettingsStore store(fs, kPath);
    ASSERT_TRUE(store.SaveSetting("Quelvo", "data", "runs1", "3").ok());
    EXPECT_EQ(store.GetSetting("quelvo", "DATA", "RUNS1", "0"), "3");
    ASSERT_TRUE(store.SaveSetting("quelvo", "Data", "Pause", "true").ok());
    EXPECT_EQ(store.GetSetting("QUELVO", "data", "pause", "False"), "true"); // not "True"
    // A different application or section is a different address.
    EXPECT_EQ(store.GetSetting("other", "data", "pause", "none"), "none");
    EXPECT_EQ(store.GetSetting("quelvo", "data2", "pause", "none"), "none");
    // A file that holds the hint count under the capitalised application name still reads.
    fs.put(kPath, "[Quelvo/data]\nruns1=4\n");
    EXPECT_EQ(SettingsStore(fs, kPath).get("runs1", "0"), "4");
}

TEST(SettingsStore, NewUserGetsTheReadersDefaults)
{
    test::FakeFileSystem fs;
    SettingsStore store(fs, kPath);
    EXPECT_EQ(store.get("forced", "True"), "True");
    EXPECT_EQ(store.get("24hr", ""), ""); // how start-up recognises a first run
    ASSERT_TRUE(store.save("24hr", "False").ok());
    EXPECT_EQ(store.get("24hr", ""), "False");
    EXPECT_FALSE(fs.exists(kPath + ".tmp"));
}

TEST(SettingsStore, EveryValueAndNameReadsBackFromTheFile)
{
    const std::string values[] = {
        "",
        " leading blank",
        "trailing blank ",
        "back\\slash",
        "two\nlines",
        "\r\n",
        "\\n is not a line end",
        "k=v=w",
        "[quelvo/data]",
        "# not a comment",
        "tab\there",
        "\x01\x7f",
        std::string("nul\0byte", 8),
        "\xff\xfe",
        "caf\xc3\xa9",
        "\\x41",
    };
    const std::string names[] = {"plain",       "with=equals", "a/b",   "[x]",  " spaced ",
                                 "back\\slash", "\n",          "#hash", ";semi"};
    test::FakeFileSystem fs;
    {
        SettingsStore writer(fs, kPath);
        for (std::size_t i = 0; i < std::size(values); ++i)
            ASSERT_TRUE(writer.save("v" + std::to_string(i), values[i]).ok());
        for (const auto& name : names)
            ASSERT_TRUE(writer.SaveSetting(name, name, name, name).ok());
    }
    SettingsStore reader(fs, kPath); // a fresh cache: everything comes from the file's text
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reader.get("v" + std::to_string(i), "<missing>"), values[i]) << i;
    for (const auto& name : names)
        EXPECT_EQ(reader.GetSetting(name, name, name, "<missing>"), name) << name;
}

TEST(SettingsStore, ReadsWhatItCanOfAGarbledFile)
{
    const struct
    {
        const char* what;
        std::string text;
        std::string x; // expected value of quelvo/data/x
    } cases[] = {
        {"binary junk", std::string("\x00\xff[[[==\n\x80", 8), "50"},
        {"key before any section", "x=1\n[quelvo/data]\ny=2\n", "50"},
        {"good section after junk", "garbage\n[quelvo/data]\nx=1500\n", "1500"},
        {"header without slash", "[quelvodata]\nx=1\n", "50"},
        {"unclosed header", "[quelvo/data\nx=1\n", "50"},
        {"line without =", "[quelvo/data]\nx\n", "50"},
        {"bad escapes kept as they stand", "[quelvo/data]\nx=\\q\\x4\\\n", "\\q\\x4\\"},
        {"hand-edited layout", "  [ Quelvo / Data ]  \r\n  X  =1500\r\n", "1500"},
        {"last of two wins", "[quelvo/data]\nx=1\nx=2", "2"},
        {"empty file", "", "50"},
    };
    for (const auto& c : cases) {
        test::FakeFileSystem fs;
        fs.put(kPath, c.text);
        SettingsStore store(fs, kPath);
        EXPECT_EQ(store.get("x", "50"), c.x) << c.what;
    }
}

TEST(SettingsStore, AFailedWriteKeepsTheOldFile)
{
    const std::string old = "[quelvo/data]\nx=1500\nforced=False\n";
    const struct
    {
        const char* what;
        void (*inject)(test::FakeFileSystem&);
        std::string says; // part of the error
    } faults[] = {
        {"temporary file can't be created", [](test::FakeFileSystem& fs) { fs.failCreate.insert(kPath + ".tmp"); },
         "cannot create"},
        {"rename fails", [](test::FakeFileSystem& fs) { fs.failReplace = true; }, "cannot rename"},
        {"folder can't be made", [](test::FakeFileSystem& fs) { fs.failMakeFolders = true; }, "cannot create folder"},
        // Writing after a failed read would throw away every other setting.
        {"file can't be read", [](test::FakeFileSystem& fs) { fs.failRead.insert(kPath); }, "not overwriting it"},
        {"another program holds the lock", [](test::FakeFileSystem& fs) { fs.heldByOther.insert(kPath + ".lock"); },
         "another program holds the settings (" + kPath + ".lock)"},
    };
    for (const auto& f : faults) {
        test::FakeFileSystem fs;
        fs.put(kPath, old);
        f.inject(fs);
        SettingsStore store(fs, kPath);
        const IoResult r = store.save("x", "3000");
        EXPECT_NE(r.error.find(f.says), std::string::npos) << f.what << ": " << r.error;
        EXPECT_EQ(fs.content(kPath), old) << f.what;
        EXPECT_FALSE(fs.exists(kPath + ".tmp")) << f.what;
    }
}

TEST(SettingsStore, SavingTheStoredValueTouchesNoFile)
{
    test::FakeFileSystem fs;
    SettingsStore store(fs, kPath);
    ASSERT_TRUE(store.save("x", "1500").ok());
    const int writes = fs.writes;
    const int reads = fs.reads;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(store.save("X", "1500").ok());
        ASSERT_EQ(store.get("x", "50"), "1500");
    }
    EXPECT_EQ(fs.writes, writes);
    EXPECT_EQ(fs.reads, reads); // the unchanged file is not even read again
    ASSERT_TRUE(store.save("x", "1515").ok());
    EXPECT_GT(fs.writes, writes);
}

TEST(SettingsStore, SeveralValuesAreOneWrite)
{
    test::FakeFileSystem fs;
    fs.put(kPath, "[quelvo/data]\nx=1500\nforced=False\n");
    SettingsStore store(fs, kPath);
    const int writes = fs.writes;
    ASSERT_TRUE(store.save({{"x", "1800"}, {"Y", "3150"}}).ok());
    EXPECT_EQ(fs.writes, writes + 1);
    EXPECT_EQ(fs.content(kPath), "# Quelvo settings. Names ignore letter case; values are exact.\n\n"
                                 "[quelvo/data]\nforced=False\nx=1800\ny=3150\n");
    ASSERT_TRUE(store.save({{"x", "1800"}, {"y", "3150"}}).ok()); // stored already: no write
    EXPECT_EQ(fs.writes, writes + 1);
}

TEST(SettingsStore, SeesWhatAnotherProcessWrote)
{
    test::FakeFileSystem fs;
    SettingsStore running(fs, kPath);
    SettingsStore tool(fs, kPath);
    EXPECT_EQ(running.get("24hr", "False"), "False");
    ASSERT_TRUE(tool.save("24hr", "True").ok());
    EXPECT_EQ(running.get("24hr", "False"), "True");
    // And a save by the first keeps the other's value.
    ASSERT_TRUE(running.save("x", "10").ok());
    EXPECT_EQ(tool.get("24hr", ""), "True");
}

TEST(SettingsStore, WritesARealFileUnderTheConfigFolder)
{
    test::TempHome home;
    PosixFileSystem fs;
    const std::string path = settingsFilePath();
    EXPECT_EQ(path, home.path(".config/quelvo/settings.ini"));
    {
        SettingsStore store(fs, path);
        ASSERT_TRUE(store.save("pause", "True").ok());
        ASSERT_TRUE(store.save("y", "200").ok());
    }
    SettingsStore again(fs, path);
    EXPECT_EQ(again.get("pause", "False"), "True");
    EXPECT_EQ(again.get("y", ""), "200");
    EXPECT_FALSE(fs.exists(path + ".tmp"));
    const auto text = fs.readAll(path);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("[quelvo/data]\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("pause=True\n"), std::string::npos) << *text;
}

} // namespace
} // namespace quelvo
