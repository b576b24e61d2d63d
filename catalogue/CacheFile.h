#pragma once
// Writing the catalogue cache so that a crash or a full disk never leaves half a document:
// the text goes to a temporary file beside the target, reaches the disk, and then replaces
// the target in one rename. Readers see either the old file or the new one.

#include <string>
#include <string_view>

// False (and the old file untouched, no temporary file left) when anything fails.
bool WriteFileReplacing(const std::string& path, std::string_view text);
