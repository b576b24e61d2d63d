#pragma once
// What the program writes to its standard error, which a desktop session keeps in its
// journal: warnings and errors only. Status texts, commands and stream titles (the
// listening history) appear only when asked for, e.g. QT_LOGGING_RULES="tunelink.*=true".

namespace app {

// Call once, after the Qt application object exists. QT_LOGGING_RULES (and
// QT_LOGGING_CONF) still decide over these defaults.
void QuietLoggingByDefault();

}  // namespace app
