#pragma once

#include <optional>
#include <string>

namespace lumeno::detail {

/// A name as the search fields keep it: every U+0020 space removed, then lower-cased by the
/// Unicode rules (ICU, root locale, so the result does not depend on the host's locale):
/// "Grand Hotel" gives "grandhotel", "ÉCOLE Ça" gives "écoleça". Absent stays absent.
std::optional<std::string> searchName(const std::optional<std::string>& name);

}  // namespace lumeno::detail
