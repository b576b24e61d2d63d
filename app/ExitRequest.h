#pragma once
// Ending the radio from outside (a logout, Ctrl+C in a terminal) the way its own Exit
// does: the last station, the window's place and the hint counter are saved, the player
// stops and the download worker is joined.

class QDialog;

namespace app {

// Closes every dialog and message open over `radio` (their answers count as "Cancel"),
// then ends `radio` itself once their loops have returned.
void CloseLikeExit(QDialog& radio);

}  // namespace app
