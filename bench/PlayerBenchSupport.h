#pragma once
// What the player benchmarks share: the paced stream server and the sink that renders at
// clock time like a sound card.

#include "tests/support/StreamServer.h"

#include <chrono>

namespace playerbench {

using Clock = std::chrono::steady_clock;

inline constexpr const char* kSink = "fakesink sync=true";
inline const char* const kPaths[] = {"/live.mp3", "/live.ogg"};

inline testsupport::StreamServer& Server() {
    static testsupport::StreamServer server;
    return server;
}

inline double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace playerbench
