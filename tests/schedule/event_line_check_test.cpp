#include "schedule/event_line_check.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

TEST(EventLineCheck, AcceptsWhatTheEditorWritesAndNamesWhatIsWrong)
{
    const struct
    {
        std::string line;
        std::string result; // "day time action repeat" or the error
    } cases[] = {
        {"On Mon at 07:30 AM, Shut Down, Repeat daily", "mon 07:30 AM shutdown repeat"},
        {"On Sun at 00:00   , Reboot,    Don't repeat", "sun 00:00 reboot once"},
        {"on sat at 12:05 pm, reboot,    repeat daily", "sat 12:05 PM reboot repeat"}, // left by a fired event
        {"On Mon at 13:30 PM, Shut Down, Repeat daily",
         "Sorry, the hour you have selected is invalid. Please try again using numbers between 1 and 12 only"},
        {"On Mon at 24:00   , Shut Down, Repeat daily",
         "Sorry, the hour you have selected is invalid. Please try again using numbers between 00 and 23 only"},
        {"On Mon at 07:60 AM, Shut Down, Repeat daily",
         "Sorry, the minute you have selected is invalid. Please try again using numbers between 0 and 59 only"},
        {"On Mon at 07:30 XM, Shut Down, Repeat daily",
         "Sorry, the AM/PM part you have selected is invalid. Please choose AM or PM"},
        {"On Xyz at 07:30 AM, Shut Down, Repeat daily", "Sorry, you didn`t select a day. Please try again!"},
        {"On Mon at 07:30 AM, Power Off, Repeat daily",
         "Sorry, you didn`t select shut down OR re boot. Please try again!"},
        // Values the editor would read but never writes that way.
        {"On Mon at  7:30 AM, Shut Down, Repeat daily", "layout"},
        {"On Mon at 07:30 AM, Shut Down, Repeat often", "layout"},
        {"On Mon at 07:30 AM; Shut Down, Repeat daily", "layout"},
        {"On Mon at 07:30 AM, Shut Down, Repeat daily ", "layout"},
        {"", "layout"},
    };
    for (const auto& c : cases) {
        const EventLineCheck check = checkEventLine(c.line);
        std::string result = check.error;
        if (check.event) {
            result = check.event->day + " " + check.event->time() + " " +
                     (check.event->reboot ? "reboot" : "shutdown") + " " + (check.event->repeat ? "repeat" : "once");
        } else if (result.starts_with("not an event line")) {
            result = "layout";
        }
        EXPECT_EQ(result, c.result) << c.line;
    }
}

} // namespace
} // namespace quelvo
