#include "platform/windows/event_log.h"
#include "platform/windows/locations.h"
#include "platform/windows/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// What the service would report, read back as the Event Viewer reads it: the text of the reported
// id from the message table in quelvosvc.exe (built beside this test), with the reported inserts.
namespace quelvo {
namespace {

struct Reported
{
    std::uint16_t type = 0;
    std::uint32_t id = 0;
    std::vector<std::wstring> inserts;
};

EventLog capturing(Reported& into)
{
    return EventLog([&into](std::uint16_t type, std::uint32_t id, const std::vector<std::wstring>& inserts) {
        into = {type, id, inserts};
        return true;
    });
}

// The event's text as FormatMessageW makes it from the service's table; empty when it has no such id.
std::string viewerText(HMODULE table, const Reported& event)
{
    std::vector<DWORD_PTR> args;
    for (const std::wstring& insert : event.inserts)
        args.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                              FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                          table, event.id, 0, reinterpret_cast<LPWSTR>(&text), 0,
                                          reinterpret_cast<va_list*>(args.data()));
    const std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(text, &::LocalFree);
    std::string result = length == 0 ? std::string() : toUtf8(std::wstring_view(text, length));
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    return result;
}

TEST(EventLog, EachOutcomeHasItsTypeIdAndTextInTheServicesTable)
{
    const std::wstring exe = toWide(executableFolder() + "\\quelvosvc.exe");
    const std::unique_ptr<HINSTANCE__, decltype(&::FreeLibrary)> table(
        ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
        &::FreeLibrary);
    ASSERT_NE(table, nullptr) << "no quelvosvc.exe beside the test";

    const std::string line = "On Fri at 06:00 PM, Shut Down, Repeat daily";
    struct Case
    {
        HistoryOutcome outcome;
        bool reboot;
        const char* who;
        const char* detail;
        std::uint16_t type;
        std::uint16_t eventId; // as the Event Viewer shows it: the id's low 16 bits
        const char* text;
    };
    const Case cases[] = {
        {HistoryOutcome::Fired, false, "", "", EVENTLOG_INFORMATION_TYPE, 1,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" was requested."},
        {HistoryOutcome::DryRun, true, "", "", EVENTLOG_INFORMATION_TYPE, 2,
         "The machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" came due; as a dry run, its "
         "reboot was only printed."},
        {HistoryOutcome::Cancelled, false, "ana", "", EVENTLOG_INFORMATION_TYPE, 3,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" was cancelled "
         "by ana."},
        // Nobody named: the text still reads as a sentence.
        {HistoryOutcome::Postponed, false, "", "", EVENTLOG_INFORMATION_TYPE, 4,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" was postponed "
         "by an unknown user."},
        {HistoryOutcome::Skipped, true, "ana", "", EVENTLOG_INFORMATION_TYPE, 5,
         "The reboot of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" was skipped this "
         "once by ana."},
        {HistoryOutcome::Missed, false, "", "", EVENTLOG_WARNING_TYPE, 6,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" was missed: its "
         "time passed while the service could not fire it."},
        {HistoryOutcome::Holiday, false, "", "", EVENTLOG_INFORMATION_TYPE, 8,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" did not fire: "
         "the day is a holiday in the administrator's policy."},
        {HistoryOutcome::Failed, false, "", "Access is denied.", EVENTLOG_ERROR_TYPE, 7,
         "The shutdown of the machine schedule's line \"On Fri at 06:00 PM, Shut Down, Repeat daily\" failed: Access "
         "is denied."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.eventId);
        Reported event;
        ASSERT_TRUE(capturing(event).history(
            {.time = {}, .reboot = c.reboot, .line = line, .outcome = c.outcome, .detail = c.detail, .who = c.who}));
        EXPECT_EQ(event.type, c.type);
        EXPECT_EQ(event.id & 0xFFFF, c.eventId);
        EXPECT_EQ(viewerText(table.get(), event), c.text);
    }

    // The service's own errors, in full; an insert's "%" stays text.
    Reported event;
    ASSERT_TRUE(capturing(event).error("C:\\ProgramData\\Quelvo: 100% full"));
    EXPECT_EQ(event.type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(event.id & 0xFFFF, 100U);
    EXPECT_EQ(viewerText(table.get(), event), "C:\\ProgramData\\Quelvo: 100% full");
}

} // namespace
} // namespace quelvo
