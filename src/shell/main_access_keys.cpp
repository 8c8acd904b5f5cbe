#include "shell/main_access_keys.h"

namespace quelvo {

std::string withAccessKey(std::string_view caption)
{
    for (std::string_view marked : kMainAccessKeys) {
        const std::size_t amp = marked.find('&');
        if (marked.size() == caption.size() + 1 && caption.substr(0, amp) == marked.substr(0, amp) &&
            caption.substr(amp) == marked.substr(amp + 1))
            return std::string(marked);
    }
    return std::string(caption);
}

} // namespace quelvo
