#pragma once
// What the user is told when the cached station catalogue could not be used at start-up.

#include "util/Result.h"

#include <string>

namespace radio {

// A cache that could not be read is shown in a warning box captioned "Exception"; one that
// was not a catalogue and could not be deleted names the file and the system's reason. A
// malformed cache that is gone now is not worth a message.
void ShowCacheFailure(const util::Error& failure, const std::string& cachePath);

}  // namespace radio
