#pragma once

#include <string>

namespace quelvo {

/// The Group Policy template (quelvo.admx) for every key of the policy table: category "Quelvo",
/// machine policies under Software\Policies\Quelvo, booleans as 1 and 0, numbers with their range,
/// the holidays as text.
std::string policyAdmx();

/// The template's English texts (en-US\quelvo.adml): each policy's caption, meaning and default.
std::string policyAdml();

} // namespace quelvo
