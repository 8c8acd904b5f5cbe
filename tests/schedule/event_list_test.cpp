#include "schedule/event_list.h"

#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

const std::string kFolder = "/opt/quelvo";
const std::string kEvents = "/opt/quelvo/events.ini";

std::string fileOf(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

std::vector<std::string> firstColumns(const EventList& list)
{
    std::vector<std::string> out;
    for (const auto& row : list.rows())
        out.push_back(row.columns.timeAndDate);
    return out;
}

struct EventListTest : ::testing::Test
{
    void load(const std::vector<std::string>& lines)
    {
        fs.put(kEvents, fileOf(lines));
        list.loadlist();
    }

    test::FakeFileSystem fs;
    ScheduleFile file{fs, kFolder};
    EventList list{file};
};

TEST_F(EventListTest, SortsRowsDescendingAndKeepsRawLinesInFileOrder)
{
    const std::vector<std::string> lines = {
        "On Mon at 07:30 AM, Shut Down, Repeat daily", "On Fri at 11:45 PM, Reboot,    Don't repeat",
        "On Wed at 10:00 PM, Shut Down, Repeat daily", "no comma here",
        "On Sun at 23:05   , Shut Down, Don't repeat", "On Tue at 11:45 AM, Shut Down, Repeat daily",
        "On Thu at 11:45 AM, Shut Down, Repeat daily", "On Sat at 11:45 AM, Shut Down, Repeat daily",
        "On Tue at 11:45 PM, Shut Down, Repeat daily", "On Tue at 10:00 PM, Shut Down, Repeat daily",
    };
    load(lines);
    EXPECT_EQ(list.lst_events(), lines);
    const std::vector<std::string> expected = {
        " Wed at 10:00 PM", " Tue at 11:45 PM", " Tue at 11:45 AM", " Tue at 10:00 PM", " Thu at 11:45 AM",
        " Sun at 23:05   ", " Sat at 11:45 AM", " Mon at 07:30 AM", " Fri at 11:45 PM",
    };
    EXPECT_EQ(firstColumns(list), expected);
    EXPECT_EQ(list.rows().back().sourceLine, lines[1]);

    load({});
    EXPECT_TRUE(list.lst_events().empty());
    EXPECT_TRUE(list.rows().empty());
}

TEST_F(EventListTest, NothingSelectedShowsTheMessageAndChangesNothing)
{
    load({"On Mon at 07:30 AM, Shut Down, Repeat daily"});
    const std::string before = *fs.content(kEvents);
    for (const std::optional<std::size_t> selection : {std::optional<std::size_t>{}, std::optional<std::size_t>{1}}) {
        const ListOutcome outcome = list.deleteevent(selection);
        ASSERT_TRUE(outcome.message.has_value());
        EXPECT_EQ(outcome.message->text,
                  "Sorry, you have to select an entry from the above list before I can delete anything.");
        EXPECT_EQ(outcome.message->title, "Error!");
        EXPECT_EQ(outcome.message->icon, MessageIcon::Information);
        EXPECT_EQ(fs.content(kEvents), before);
    }
}

TEST_F(EventListTest, DeletingARowRemovesEveryCopyOfItsLine)
{
    const std::string a = "On Mon at 07:30 AM, Shut Down, Repeat daily";
    const std::string b = "on fri at 11:45 pm, reboot,    don't repeat"; // lower case after the checker's rewrite
    load({a, b, a, "ON MON AT 07:30 AM, SHUT DOWN, REPEAT DAILY"});
    ASSERT_EQ(list.rows().size(), 4u);
    // Byte order puts the lower-case row first: " fri" > " Mon" > " MON".
    ASSERT_EQ(list.rows()[0].sourceLine, b);
    ListOutcome outcome = list.deleteevent(1);
    EXPECT_FALSE(outcome.message.has_value());
    EXPECT_TRUE(outcome.io.ok() && !outcome.removedNothing);
    EXPECT_EQ(fs.content(kEvents), b + "\r\n");
    EXPECT_EQ(list.lst_events(), std::vector<std::string>{b}); // the lists were reloaded

    // The row the user saw, gone already (another program deleted it): nothing else goes, and that is said.
    fs.put(kEvents, "");
    outcome = list.deleteevent(0);
    EXPECT_TRUE(outcome.io.ok() && outcome.removedNothing);
    fs.put(kEvents, b + "\r\n");
    (void)list.loadlist();

    outcome = list.deleteevent(0);
    EXPECT_TRUE(outcome.io.ok());
    EXPECT_EQ(fs.content(kEvents), "");
    EXPECT_TRUE(list.rows().empty());
}

TEST_F(EventListTest, AFiredEventLeavesTheRestInLowerCase)
{
    const std::string fired = "On Tue at 01:00 AM, Reboot,    Don't repeat";
    load({"On Mon at 07:30 AM, Shut Down, Repeat daily", fired, fired});
    ASSERT_TRUE(list.dropevent(toLowerAscii(fired)).ok());
    const std::vector<std::string> rest = {"on mon at 07:30 am, shut down, repeat daily"};
    EXPECT_EQ(list.lst_events(), rest);
    // The lower-case row still shows and can still be deleted.
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].columns.timeAndDate, " mon at 07:30 am");
    EXPECT_TRUE(list.deleteevent(0).io.ok());
    EXPECT_TRUE(list.lst_events().empty());
}

TEST_F(EventListTest, OddLinesCanStillBeDeleted)
{
    // None of these survives the row-to-line rule; each is deleted by its own text.
    const std::vector<std::string> odd = {"x,y", "Hello, world", "one comma only at the end,", ",,"};
    for (const auto& line : odd) {
        load({line, "kept line, a, b"});
        std::optional<std::size_t> index;
        for (std::size_t i = 0; i < list.rows().size(); ++i) {
            if (list.rows()[i].sourceLine == line)
                index = i;
        }
        ASSERT_TRUE(index.has_value()) << line;
        const ListOutcome outcome = list.deleteevent(index);
        EXPECT_FALSE(outcome.message.has_value()) << line;
        EXPECT_EQ(fs.content(kEvents), "kept line, a, b\r\n") << line;
    }
}

TEST_F(EventListTest, DeleteAllAsksAndActsOnlyOnYes)
{
    const UserQuestion question = EventList::deleteall();
    EXPECT_EQ(question.text, "Are you sure you want to delete all of the events from the list?");
    EXPECT_EQ(question.title, "Warning!");

    load({"On Mon at 07:30 AM, Shut Down, Repeat daily", "junk"});
    const std::string before = *fs.content(kEvents);
    ASSERT_TRUE(list.answerDeleteAll(false).ok());
    EXPECT_EQ(fs.content(kEvents), before);
    EXPECT_EQ(list.lst_events().size(), 2u);

    ASSERT_TRUE(list.answerDeleteAll(true).ok());
    EXPECT_EQ(fs.content(kEvents), ""); // an existing, empty file
    EXPECT_TRUE(list.lst_events().empty());
    EXPECT_TRUE(list.rows().empty());
}

TEST_F(EventListTest, NoticesChangesByOthersButNotItsOwn)
{
    const std::string a = "On Mon at 07:30 AM, Shut Down, Repeat daily";
    const std::string b = "On Fri at 11:45 PM, Reboot,    Don't repeat";
    struct Case
    {
        const char* what;
        bool startMissing;
        void (*change)(EventListTest&);
        bool noticed;
    };
    const Case cases[] = {
        {"nothing happens", false, [](EventListTest&) {}, false},
        {"quelvoctl adds a line", false,
         [](EventListTest& t) {
             t.fs.put(kEvents, *t.fs.content(kEvents) + "On Sat at 09:00 AM, Reboot,    Repeat daily\r\n");
         },
         true},
        {"quelvoctl deletes a line", false,
         [](EventListTest& t) { t.fs.put(kEvents, "On Mon at 07:30 AM, Shut Down, Repeat daily\r\n"); }, true},
        {"someone removes the file", false, [](EventListTest& t) { (void)t.fs.remove(kEvents); }, true},
        {"a deployment creates it", true, [](EventListTest& t) { t.fs.put(kEvents, "x\r\n"); }, true},
        {"still missing", true, [](EventListTest&) {}, false},
        {"the user deletes a row", false, [](EventListTest& t) { (void)t.list.deleteevent(0); }, false},
        {"an event fires", false,
         [](EventListTest& t) { (void)t.list.dropevent("on fri at 11:45 pm, reboot,    don't repeat"); }, false},
        {"Delete All", false, [](EventListTest& t) { (void)t.list.answerDeleteAll(true); }, false},
        {"the editor saves", false,
         [](EventListTest& t) {
             (void)t.file.append("On Sun at 23:05   , Shut Down, Don't repeat");
             t.list.loadlist();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        (void)fs.remove(kEvents);
        if (!c.startMissing)
            fs.put(kEvents, fileOf({a, b}));
        list.loadlist();
        ASSERT_FALSE(list.changedOnDisk());
        c.change(*this);
        EXPECT_EQ(list.changedOnDisk(), c.noticed);
        list.loadlist();
        EXPECT_FALSE(list.changedOnDisk());
    }
}

TEST_F(EventListTest, AnUnreadableScheduleIsReportedOnceAndTheListKept)
{
    load({"On Mon at 07:30 AM, Shut Down, Repeat daily"});
    fs.failRead.insert(kEvents);
    const UserMessage expected{
        "Error!", "Sorry, the list of events could not be read: injected: cannot read " + kEvents, MessageIcon::Stop};
    EXPECT_EQ(list.loadlist(), expected);
    EXPECT_TRUE(list.changedOnDisk());        // what failed is read again at the next look
    EXPECT_EQ(list.loadlist(), std::nullopt); // the checker's next tick says nothing new
    EXPECT_EQ(list.lst_events(), std::vector<std::string>{"On Mon at 07:30 AM, Shut Down, Repeat daily"});
    EXPECT_EQ(firstColumns(list), std::vector<std::string>{" Mon at 07:30 AM"});
    // Another reason is said; readable again, then the same reason again: said again.
    fs.failRead.clear();
    fs.special.insert(kEvents);
    const std::optional<UserMessage> fifo = list.loadlist();
    ASSERT_TRUE(fifo.has_value());
    fs.special.clear();
    EXPECT_EQ(list.loadlist(), std::nullopt);
    EXPECT_FALSE(list.changedOnDisk());
    fs.special.insert(kEvents);
    EXPECT_EQ(list.loadlist(), fifo);
    EXPECT_EQ(list.lst_events().size(), 1u);
}

} // namespace
} // namespace quelvo
