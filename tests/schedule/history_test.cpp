#include "schedule/history.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using test::FakeClock;
using test::FakeFileSystem;

HistoryEntry entryFor(std::string line, HistoryOutcome outcome = HistoryOutcome::Fired)
{
    return {.time = test::FakeZone::utc(2026, 12, 8, 21, 0, 3),
            .origin = HistoryOrigin::User,
            .reboot = false,
            .line = std::move(line),
            .outcome = outcome,
            .detail = {},
            .who = {}};
}

TEST(History, EntryIsOneJsonLineInLocalTime)
{
    const FakeClock clock({2026, 12, 7, 9, 30, 0, 1}, test::FakeZone{60, {}});
    HistoryEntry failed = entryFor("On Tue at 10:00 PM, Shut Down, Repeat daily", HistoryOutcome::Failed);
    failed.detail = "refused";
    failed.who = "alice";
    EXPECT_EQ(historyJson(failed, clock),
              R"({"time":"2026-12-08T22:00:03+01:00","origin":"user","action":"shutdown",)"
              R"("line":"On Tue at 10:00 PM, Shut Down, Repeat daily","outcome":"failed","detail":"refused",)"
              R"("who":"alice"})");
    HistoryEntry missed = entryFor("x", HistoryOutcome::Missed);
    missed.origin = HistoryOrigin::Machine;
    missed.reboot = true;
    EXPECT_EQ(historyJson(missed, clock), R"({"time":"2026-12-08T22:00:03+01:00","origin":"machine",)"
                                          R"("action":"reboot","line":"x","outcome":"missed","who":null})");
}

// Every text is escaped so that the line stays one JSON line that reads back as written.
TEST(History, LineIsEscapedAndReadsBack)
{
    const struct
    {
        std::string line;
        const char* json;
        bool readsBack = true; // a stray byte reads back as the character it stood for
    } cases[] = {
        {"a\x1f"
         "b",
         R"("a\u001fb")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\x", R"("C:\\x")"},
        {"tab\tend\r\n", R"("tab\u0009end\u000d\u000a")"},
        {"caf\xc3\xa9 \xe2\x80\x94 \xf0\x9f\x98\x80", "\"caf\xc3\xa9 \xe2\x80\x94 \xf0\x9f\x98\x80\""}, // kept
        {"stray \xff\xc3", R"("stray \u00ff\u00c3")", false}, // no UTF-8: its Latin-1 reading
        {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")", false},   // a surrogate is no character
        {"\xc0\xaf", R"("\u00c0\u00af")", false},             // nor an overlong form
    };
    FakeClock clock;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        const std::string json = historyJson(entryFor(c.line), clock);
        EXPECT_NE(json.find(std::string(R"("line":)") + c.json + ","), std::string::npos) << json;
        const std::optional<HistoryRecord> back = parseHistoryLine(json);
        ASSERT_TRUE(back);
        if (c.readsBack) {
            EXPECT_EQ(back->line, c.line);
        }
    }
    // Escapes another writer may use, and what is no entry.
    EXPECT_EQ(parseHistoryLine(R"({"time":"t","line":"\u00e9\ud83d\ude00\/","who":null,"new":"x"})")->line,
              "\xc3\xa9\xf0\x9f\x98\x80/");
    for (const char* broken : {R"({"time":"t")", R"({"time":"t"} x)", R"({"time":1})", R"({"line":"x"})",
                               R"({"time":"\ud800"})", "{\"time\":\"a\x01\"}"})
        EXPECT_FALSE(parseHistoryLine(broken)) << broken;
}

// The file grows up to the limit exactly; the entry that would pass it starts a new file, and the
// full one replaces the older file.
TEST(History, RotatesAtTheLimitKeepingOneOlderFile)
{
    FakeFileSystem fs;
    HistoryFile history(fs, "/state");
    const std::string entry(99, 'e'); // 100 bytes with its line end
    const std::string filler = std::string(kHistoryLimitBytes - 105, 'a') + "\n";
    fs.put("/state/history.jsonl.1", "oldest\n");
    fs.put("/state/history.jsonl", filler);
    EXPECT_TRUE(history.append("new").ok());
    EXPECT_TRUE(history.append(entry).ok()); // exactly the limit: the file keeps it
    EXPECT_EQ(fs.content("/state/history.jsonl")->size(), static_cast<std::size_t>(kHistoryLimitBytes));
    EXPECT_EQ(fs.content("/state/history.jsonl.1"), "oldest\n");
    EXPECT_TRUE(history.append("next").ok()); // one past it: a new file
    EXPECT_EQ(fs.content("/state/history.jsonl"), "next\n");
    EXPECT_TRUE(fs.content("/state/history.jsonl.1") == filler + "new\n" + entry + "\n"); // "oldest" is gone
    const std::vector<std::string> lines = history.read().lines;
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[1], "new");
    EXPECT_EQ(lines[3], "next");
}

TEST(History, ReadingCreatesNothingAndAFailedWriteIsSaid)
{
    FakeFileSystem fs;
    HistoryFile history(fs, "/state");
    const HistoryRead none = history.read();
    EXPECT_TRUE(none.io.ok());
    EXPECT_TRUE(none.lines.empty());
    EXPECT_EQ(fs.writes, 0);
    fs.failWrite.insert("/state/history.jsonl");
    EXPECT_EQ(history.append("x").error, "injected: cannot append to /state/history.jsonl");
}

} // namespace
} // namespace quelvo
