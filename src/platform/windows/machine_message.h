#pragma once

#include "platform/machine_link.h"
#include "schedule/machine_scheduler.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quelvo {

/// The machine service's pipe on Windows, which every user's tray program connects to.
inline constexpr std::wstring_view kMachinePipeName = L"\\\\.\\pipe\\Quelvo";

/// The longest message either side sends, its newline included; a longer one ends the connection.
inline constexpr std::size_t kMaxMessageBytes = 4096;

/// What a user's program asks the service.
enum class MachineRequest { Cancel, Postpone, Skip };

/// A countdown of the machine's schedule ended; `outcome` is its history name.
struct MachineEnded
{
    std::string outcome;
    std::string who;
};

/// One message on the pipe: a request, the service's reply to it (MachineReply), or one of the events
/// it tells every connected program of.
using MachineMessage = std::variant<MachineRequest, MachineReply, MachineWarning, MachineCountdown, MachineEnded>;

/// The message as one line of UTF-8 text with its newline: the message's name, then its fields,
/// separated by tabs, a backslash, tab, carriage return or newline inside a field escaped.
std::string encodeMessage(const MachineMessage& message);

/// The message of a line without its newline; nullopt when it is not one (unknown name, missing or
/// extra fields, a number that is none, a control character, text that is not UTF-8).
std::optional<MachineMessage> decodeMessage(std::string_view line);

/// Cuts what a connection reads into lines, none longer than kMaxMessageBytes.
class MessageLines final
{
public:
    /// Takes bytes as they were read; false when a line grew too long, and the connection is to go.
    [[nodiscard]] bool feed(std::string_view bytes);
    /// The next whole line, without its newline.
    std::optional<std::string> next();

private:
    std::string m_pending;
};

} // namespace quelvo
