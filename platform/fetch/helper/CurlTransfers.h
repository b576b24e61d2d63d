#pragma once
// The transfers the download helper runs with libcurl: only http and https, also after a
// redirect, and every one bounded in size and time by its order.

#include "platform/fetch/FetchWire.h"

#include <string>
#include <string_view>

namespace platform::fetch {

FetchAnswer PerformFetch(const FetchOrder& order);

// A readable text for a libcurl result code, with the transfer's own detail when there is
// one; control characters become spaces and the text is held to kMaxErrorText.
std::string CurlErrorText(int curlCode, std::string_view detail = {});

}  // namespace platform::fetch
