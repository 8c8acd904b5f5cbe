#include "schedule/schedule_file.h"

#include "schedule/event_line.h"

#include "fakes/fake_file_system.h"
#include "fakes/temp_home.h"
#include "platform/linux/posix_file_system.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using Lines = std::vector<std::string>;
using Variant = ScheduleFile::RewriteVariant;

const std::string kFolder = "/opt/quelvo";
const std::string kEvents = "/opt/quelvo/events.ini";
const std::string kTemp = "/opt/quelvo/temp.ini";

const std::string kLineA = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kLineB = "On Fri at 11:45 PM, Reboot,    Don't repeat";
const std::string kLineC = "On Sun at 23:05   , Shut Down, Don't repeat";

TEST(ScheduleFile, ReadsEveryKindOfFileToItsEnd)
{
    const struct
    {
        const char* what;
        std::optional<std::string> bytes; // nullopt: no file
        Lines lines;
    } cases[] = {
        {"missing file", std::nullopt, {}},
        {"empty file", "", {}},
        {"CR LF", kLineA + "\r\n" + kLineB + "\r\n", {kLineA, kLineB}},
        {"LF", kLineA + "\n" + kLineB + "\n", {kLineA, kLineB}},
        {"lone CR", kLineA + "\r" + kLineB + "\r", {kLineA, kLineB}},
        {"no final line end", kLineA + "\r\n" + kLineB, {kLineA, kLineB}},
        {"mixed ends and blank lines", "a\r\n\nb\r\rc", {"a", "", "b", "", "c"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"NUL bytes kept", std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string("\0", 1)}},
        {"bytes that are not UTF-8", "\xff\xfe\x80,\xc3(\r\n", {"\xff\xfe\x80,\xc3("}},
        {"only line ends", "\r\n\r\n", {"", ""}},
    };
    for (const auto& c : cases) {
        test::FakeFileSystem fs;
        if (c.bytes)
            fs.put(kEvents, *c.bytes);
        EXPECT_EQ(ScheduleFile(fs, kFolder).read().lines, c.lines) << c.what;
    }
}

TEST(ScheduleFile, ReadsATenMegabyteLine)
{
    test::FakeFileSystem fs;
    const std::string huge(10 * 1024 * 1024, 'x');
    fs.put(kEvents, huge + "\r\n" + kLineA);
    const Lines lines = ScheduleFile(fs, kFolder).read().lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), huge.size());
    EXPECT_EQ(lines[1], kLineA);
}

TEST(ScheduleFile, AppendsLinesWithCrLfInOrder)
{
    test::FakeFileSystem fs;
    ScheduleFile file(fs, kFolder);
    ASSERT_TRUE(file.append(kLineA).ok());
    ASSERT_TRUE(file.append(kLineA).ok()); // duplicates are not checked for
    ASSERT_TRUE(file.append(kLineC).ok());
    EXPECT_EQ(fs.content(kEvents), kLineA + "\r\n" + kLineA + "\r\n" + kLineC + "\r\n");
}

TEST(ScheduleFile, CreatesOnlyWhenMissingAndEmptiesToAnExistingFile)
{
    test::FakeFileSystem fs;
    ScheduleFile file(fs, kFolder);
    ASSERT_TRUE(file.createIfMissing().ok());
    EXPECT_EQ(fs.content(kEvents), "");
    EXPECT_EQ(fs.folders.count(kFolder), 1u);
    fs.put(kEvents, kLineA + "\r\n");
    ASSERT_TRUE(file.createIfMissing().ok());
    EXPECT_EQ(fs.content(kEvents), kLineA + "\r\n");

    ASSERT_TRUE(file.empty().ok());
    EXPECT_EQ(fs.content(kEvents), "");
    ASSERT_TRUE(file.empty().ok()); // "Delete All" on an empty file
    EXPECT_EQ(fs.content(kEvents), "");
    EXPECT_FALSE(fs.exists(kTemp));

    // A failed empty keeps the schedule.
    fs.put(kEvents, kLineA + "\r\n");
    fs.failReplace = true;
    EXPECT_FALSE(file.empty().ok());
    EXPECT_EQ(fs.content(kEvents), kLineA + "\r\n");
    EXPECT_FALSE(fs.exists(kTemp));
}

TEST(ScheduleFile, RewriteRemovesEveryCopyInBothVariants)
{
    // Identical copies in different case and with different line ends, an odd line, and no final line end.
    const std::string before =
        kLineA + "\r\n" + kLineB + "\n" + "ON MON AT 07:30 AM, SHUT DOWN, REPEAT DAILY\r\n" + "Odd Line\r" + kLineC;
    const struct
    {
        Variant variant;
        std::string after;
    } cases[] = {
        {Variant::DeleteEvent, kLineB + "\r\n" + "Odd Line\r\n" + kLineC + "\r\n"},
        {Variant::DropEvent,
         "on fri at 11:45 pm, reboot,    don't repeat\r\nodd line\r\non sun at 23:05   , shut down, "
         "don't repeat\r\n"},
    };
    for (const auto& c : cases) {
        test::FakeFileSystem fs;
        fs.put(kEvents, before);
        fs.put(kTemp, "stale scratch file");
        ScheduleFile file(fs, kFolder);
        ASSERT_TRUE(file.removeEvent(toLowerAscii(kLineA), c.variant).ok());
        EXPECT_EQ(fs.content(kEvents), c.after);
        EXPECT_FALSE(fs.exists(kTemp));
    }
    // The named operations are the two variants.
    test::FakeFileSystem fs;
    fs.put(kEvents, kLineA + "\r\n" + kLineB + "\r\n");
    ScheduleFile file(fs, kFolder);
    ASSERT_TRUE(file.dropevent(kLineA).ok());
    EXPECT_EQ(fs.content(kEvents), toLowerAscii(kLineB) + "\r\n");
    ASSERT_TRUE(file.deleteevent(kLineB).ok());
    EXPECT_EQ(fs.content(kEvents), "");
}

TEST(ScheduleFile, RewriteRemovesOnlyWholeLines)
{
    // Lines that start with the target, extend it, or are a part of it all stay.
    const std::string near =
        kLineA + " \r\n" + kLineA + "X\r\n" + " " + kLineA + "\r\n" + kLineA.substr(0, 42) + "\r\n" + kLineA + "\t\r\n";
    for (const Variant variant : {Variant::DeleteEvent, Variant::DropEvent}) {
        test::FakeFileSystem fs;
        fs.put(kEvents, near + "on mon at 07:30 am, shut down, repeat daily\r\n");
        ASSERT_TRUE(ScheduleFile(fs, kFolder).removeEvent(kLineA, variant).ok());
        EXPECT_EQ(fs.content(kEvents), variant == Variant::DeleteEvent ? near : toLowerAscii(near));
    }
}

TEST(ScheduleFile, RewriteWithoutAMatchLeavesTheFileAlone)
{
    test::FakeFileSystem fs;
    const std::string before = kLineA + "\n" + kLineB; // LF and no final line end stay as they are
    fs.put(kEvents, before);
    ScheduleFile file(fs, kFolder);
    ASSERT_TRUE(file.deleteevent(kLineC).ok());
    ASSERT_TRUE(file.dropevent(kLineC).ok());
    EXPECT_EQ(fs.content(kEvents), before);
    EXPECT_EQ(fs.writes, 0);
    // No schedule at all: nothing to remove, nothing created.
    test::FakeFileSystem none;
    EXPECT_TRUE(ScheduleFile(none, kFolder).deleteevent(kLineA).ok());
    EXPECT_FALSE(none.exists(kEvents));
}

TEST(ScheduleFile, AFailedRewriteLeavesTheScheduleByteForByte)
{
    const std::string before = kLineA + "\r\n" + kLineB + "\n" + kLineA;
    const struct
    {
        const char* what;
        void (*inject)(test::FakeFileSystem&);
    } faults[] = {
        {"temp.ini can't be created", [](test::FakeFileSystem& fs) { fs.failCreate.insert(kTemp); }},
        {"events.ini can't be read", [](test::FakeFileSystem& fs) { fs.failRead.insert(kEvents); }},
        {"the rename fails", [](test::FakeFileSystem& fs) { fs.failReplace = true; }},
    };
    for (const auto& f : faults) {
        for (const Variant variant : {Variant::DeleteEvent, Variant::DropEvent}) {
            test::FakeFileSystem fs;
            fs.put(kEvents, before);
            f.inject(fs);
            EXPECT_FALSE(ScheduleFile(fs, kFolder).removeEvent(kLineA, variant).ok()) << f.what;
            EXPECT_EQ(fs.content(kEvents), before) << f.what;
            EXPECT_FALSE(fs.exists(kTemp)) << f.what;
        }
    }
}

TEST(ScheduleFile, RewritesARealFile)
{
    test::TempHome home;
    PosixFileSystem fs;
    const std::string folder = home.path("program");
    ScheduleFile file(fs, folder);
    ASSERT_TRUE(file.createIfMissing().ok());
    for (const auto& line : {kLineA, kLineB, kLineA, kLineC})
        ASSERT_TRUE(file.append(line).ok());
    ASSERT_TRUE(file.deleteevent(kLineA).ok());
    EXPECT_EQ(fs.readAll(file.eventsPath()), kLineB + "\r\n" + kLineC + "\r\n");
    EXPECT_FALSE(fs.exists(file.tempPath()));
    ASSERT_TRUE(file.empty().ok());
    EXPECT_EQ(fs.readAll(file.eventsPath()), "");
}

} // namespace
} // namespace quelvo
