#pragma once

#include <functional>
#include <string_view>

#include "lumeno/export.hpp"

namespace lumeno {

/// Receives the network log when API logging is on ("api_logs_enabled"): one entry per request
/// and one per outcome, secrets masked. Called one entry at a time, never on the I/O thread: a
/// request's entry on the thread that sends it, an outcome's on the main queue just before the
/// completion. An exception it throws is reported once on stderr and goes no further.
using NetworkLogSink = std::function<void(std::string_view entry)>;

/// Sends the network log to `sink`; nullptr restores the default, stderr.
LUMENO_EXPORT void setNetworkLogSink(NetworkLogSink sink);

}  // namespace lumeno
