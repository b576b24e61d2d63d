#pragma once
// Runs one order through the download helper (tunelink-fetch) and waits for its answer. The
// wait ends within a fiftieth of a second of `cancel` being set: the helper is then killed,
// whatever its transfer was doing. An answer longer than its order allows, or one that is not
// an answer, ends the helper too.

#include "platform/fetch/FetchWire.h"
#include "util/Result.h"

#include <atomic>
#include <string>

namespace platform::fetch {

// The helper beside the program, in ../libexec/tunelink/ from it (installed), or where the
// build put it.
const std::string& FetchHelperPath();

util::Result<FetchAnswer> RunFetchHelper(const FetchOrder& order, const std::atomic<bool>& cancel);
// The same with a helper of the caller's choosing.
util::Result<FetchAnswer> RunFetchHelper(const std::string& helper, const FetchOrder& order,
                                         const std::atomic<bool>& cancel);

// The text of a result that was cancelled.
inline constexpr const char* kCancelledText = "The transfer was cancelled";

}  // namespace platform::fetch
