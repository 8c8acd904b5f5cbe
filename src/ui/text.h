#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quelvo {

/// The logic's texts (UTF-8) as the windows show them.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// A window's text for the logic.
inline std::string ss(const QString& text)
{
    return text.toStdString();
}

} // namespace quelvo
