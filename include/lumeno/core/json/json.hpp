#pragma once

#include <boost/json.hpp>

namespace lumeno {

using JsonValue = boost::json::value;
using JsonObject = boost::json::object;
using JsonArray = boost::json::array;

}  // namespace lumeno
