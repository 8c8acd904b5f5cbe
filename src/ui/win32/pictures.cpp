#include "ui/win32/pictures.h"

#include <map>
#include <mutex>
#include <tuple>

namespace quelvo::win32 {

HICON loadPicture(Picture picture, int width, int height)
{
    // LR_SHARED would hand out whichever size was asked for first; each size is loaded once
    // here instead and kept for the life of the program.
    static std::mutex guard;
    static std::map<std::tuple<int, int, int>, HICON> loaded;
    const std::lock_guard lock(guard);
    const auto key = std::make_tuple(static_cast<int>(picture), width, height);
    if (const auto found = loaded.find(key); found != loaded.end())
        return found->second;
    auto* icon =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(static_cast<int>(picture)),
                                        IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
    if (icon)
        loaded.emplace(key, icon);
    return icon;
}

} // namespace quelvo::win32
