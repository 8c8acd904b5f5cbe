// The display split of an event line and the rule that turns a row back into its line.
#include "fuzz_input.h"
#include "schedule/event_line.h"

#include <algorithm>

using namespace quelvo;

namespace {

bool startsWithOnIgnoringCase(std::string_view line)
{
    return line.size() >= 2 && equalsIgnoringCase(line.substr(0, 2), "on");
}

// Any line: a row only where there is a comma, and the row names its line again wherever the
// list's deletion relies on that.
void checkSplit(const std::string& line)
{
    const auto row = splitForDisplay(line);
    fuzz::require(row.has_value() == (line.find(',') != std::string::npos), "a row exactly for lines with a comma");
    if (!row)
        return;
    const std::string back = rowToLine(*row);
    if (startsWithOnIgnoringCase(line) && std::count(line.begin(), line.end(), ',') >= 2) {
        fuzz::require(back.substr(2) == line.substr(2), "row to line gives the line back after \"On\"");
        fuzz::require(equalsIgnoringCase(back, line), "row to line gives the line back without regard to case");
    }
    fuzz::require(toLowerAscii(line).size() == line.size(), "lower-casing keeps the length");
}

// A line composed from the editor's pieces has the fixed length and survives the round trip
// exactly, in both clock forms.
void checkComposed(fuzz::Input& in)
{
    static const char* const kDigits[] = {"00", "01", "07", "09", "10", "11", "12", "13", "23", "30", "45", "59"};
    const std::uint8_t pick = in.byte();
    EventSpec event;
    event.day = kEditorDays[pick % 7];
    event.hour = kDigits[in.byte() % std::size(kDigits)];
    event.minute = kDigits[in.byte() % std::size(kDigits)];
    event.ampm = (pick & 0x08) ? "PM" : "AM";
    event.reboot = (pick & 0x10) != 0;
    event.repeat = (pick & 0x20) != 0;
    event.twentyFourHour = (pick & 0x40) != 0;
    const std::string line = composeEventLine(event);
    fuzz::require(line.size() == kEventLineLength, "a composed line has the fixed length");
    const auto row = splitForDisplay(line);
    fuzz::require(row.has_value() && rowToLine(*row) == line, "a composed line survives the round trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    checkComposed(in);
    checkSplit(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
