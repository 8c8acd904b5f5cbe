#include "platform/windows/machine_message.h"

#include <charconv>
#include <chrono>
#include <vector>

namespace quelvo {

namespace {

constexpr std::string_view kCancel = "Cancel";
constexpr std::string_view kPostpone = "Postpone";
constexpr std::string_view kSkip = "Skip";
constexpr std::string_view kDone = "Done";
constexpr std::string_view kRefused = "Refused";
constexpr std::string_view kWarning = "Warning";
constexpr std::string_view kCountdownStarted = "CountdownStarted";
constexpr std::string_view kCountdownEnded = "CountdownEnded";

void put(std::string& line, std::string_view field)
{
    line += '\t';
    for (const char c : field) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\n':
            line += "\\n";
            break;
        default:
            line += c;
        }
    }
}

// True when the bytes are UTF-8 as the standard allows it: no overlong forms, surrogates or values
// past U+10FFFF.
bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, code = lead & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// The fields after the name, unescaped; nullopt for a stray backslash or a control character.
std::optional<std::vector<std::string>> fieldsOf(std::string_view line)
{
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c == '\\') {
            if (++i == line.size())
                return std::nullopt;
            switch (line[i]) {
            case '\\':
                fields.back() += '\\';
                break;
            case 't':
                fields.back() += '\t';
                break;
            case 'r':
                fields.back() += '\r';
                break;
            case 'n':
                fields.back() += '\n';
                break;
            default:
                return std::nullopt;
            }
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

template <typename Number> std::optional<Number> numberOf(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<bool> flagOf(const std::string& text)
{
    if (text == "0" || text == "1")
        return text == "1";
    return std::nullopt;
}

} // namespace

std::string encodeMessage(const MachineMessage& message)
{
    std::string line;
    if (const auto* request = std::get_if<MachineRequest>(&message)) {
        line = *request == MachineRequest::Cancel ? kCancel : *request == MachineRequest::Postpone ? kPostpone : kSkip;
    } else if (const auto* reply = std::get_if<MachineReply>(&message)) {
        line = reply->ok ? kDone : kRefused;
        if (!reply->ok)
            put(line, reply->error);
    } else if (const auto* warning = std::get_if<MachineWarning>(&message)) {
        line = kWarning;
        put(line, warning->line);
        put(line, warning->reboot ? "1" : "0");
        put(line,
            std::to_string(std::chrono::duration_cast<std::chrono::seconds>(warning->at.time_since_epoch()).count()));
        put(line, warning->title);
        put(line, warning->body);
    } else if (const auto* countdown = std::get_if<MachineCountdown>(&message)) {
        line = kCountdownStarted;
        put(line, countdown->line);
        put(line, countdown->reboot ? "1" : "0");
        put(line, std::to_string(countdown->seconds));
    } else if (const auto* ended = std::get_if<MachineEnded>(&message)) {
        line = kCountdownEnded;
        put(line, ended->outcome);
        put(line, ended->who);
    }
    line += '\n';
    return line;
}

std::optional<MachineMessage> decodeMessage(std::string_view line)
{
    if (!isUtf8(line))
        return std::nullopt;
    const auto fields = fieldsOf(line);
    if (!fields)
        return std::nullopt;
    const std::string& name = fields->front();
    const std::size_t count = fields->size() - 1;
    const auto field = [&fields](std::size_t i) -> const std::string& { return (*fields)[i + 1]; };
    if (count == 0 && name == kCancel)
        return MachineRequest::Cancel;
    if (count == 0 && name == kPostpone)
        return MachineRequest::Postpone;
    if (count == 0 && name == kSkip)
        return MachineRequest::Skip;
    if (count == 0 && name == kDone)
        return MachineReply{};
    if (count == 1 && name == kRefused)
        return MachineReply{.ok = false, .error = field(0)};
    if (count == 5 && name == kWarning) {
        const auto reboot = flagOf(field(1));
        const auto at = numberOf<long long>(field(2));
        if (!reboot || !at)
            return std::nullopt;
        return MachineWarning{.line = field(0),
                              .reboot = *reboot,
                              .at = WallTime{} + std::chrono::seconds(*at),
                              .title = field(3),
                              .body = field(4)};
    }
    if (count == 3 && name == kCountdownStarted) {
        const auto reboot = flagOf(field(1));
        const auto seconds = numberOf<int>(field(2));
        if (!reboot || !seconds || *seconds < 0)
            return std::nullopt;
        return MachineCountdown{.line = field(0), .reboot = *reboot, .seconds = *seconds};
    }
    if (count == 2 && name == kCountdownEnded)
        return MachineEnded{.outcome = field(0), .who = field(1)};
    return std::nullopt;
}

bool MessageLines::feed(std::string_view bytes)
{
    m_pending.append(bytes);
    // What is pending stays short (one read beyond a line's bound), so it is looked at whole.
    std::size_t begin = 0;
    for (std::size_t end = m_pending.find('\n', begin); end != std::string::npos; end = m_pending.find('\n', begin)) {
        if (end - begin + 1 > kMaxMessageBytes)
            return false;
        begin = end + 1;
    }
    return m_pending.size() - begin < kMaxMessageBytes;
}

std::optional<std::string> MessageLines::next()
{
    const std::size_t end = m_pending.find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    std::string line = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return line;
}

} // namespace quelvo
