#pragma once
// When the catalogue is fetched again: the stored time of the last update is written and read
// with United States rules (month/day/year), and only its day of month and month are
// compared with today's, never the year or the time of day. So a radio last updated on
// 7 March 2006 does not update on 7 March 2007, and the default text, 25 January, makes the
// very first start skip the update on every 25 January.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace catalogue {

struct CalendarDate {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
};

// "3/7/2007", "03/07/2007 14:05:09", "1/25/1996 8:30:00", "1/25/96 8:30 PM"; surrounding
// blanks are allowed, anything else makes the text invalid, as does a day the month lacks.
std::optional<CalendarDate> ParseUsDateTime(std::string_view text);

// True when today (now, local time) has another day of month or another month than the
// stored date; a stored text that is no date counts as day -1 of month -1, so it is due.
bool IsUpdateDueOn(const std::string& lastUpdate, const std::tm& now);

// now as "%m/%d/%Y %H:%M:%S", for example "03/07/2007 14:05:09".
std::string FormatUpdateStamp(const std::tm& now);

// The current local time.
std::tm LocalNow();

}  // namespace catalogue
