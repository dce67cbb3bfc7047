#pragma once

#include <functional>
#include <string_view>

namespace lumeno {

/// Receives the network log when API logging is on ("api_logs_enabled"): one entry per request
/// and one per outcome, secrets masked. May be called from any thread, one call at a time.
using NetworkLogSink = std::function<void(std::string_view entry)>;

/// Sends the network log to `sink`; nullptr restores the default, stderr.
void setNetworkLogSink(NetworkLogSink sink);

}  // namespace lumeno
