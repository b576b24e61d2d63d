#include "catalogue/UpdateSchedule.h"

#include <cctype>

namespace catalogue {

namespace {

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }
    bool AtEnd() const { return pos_ == text_.size(); }
    bool Take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // An unsigned number of minDigits to maxDigits digits.
    std::optional<int> Number(std::size_t minDigits, std::size_t maxDigits, std::size_t* digits) {
        const std::size_t start = pos_;
        int value = 0;
        while (pos_ < text_.size() && pos_ - start < maxDigits &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
        }
        *digits = pos_ - start;
        if (*digits < minDigits)
            return std::nullopt;
        if (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
            return std::nullopt;  // too many digits
        return value;
    }
    // "AM" or "PM" in any case: 0 for none, 1 for AM, 2 for PM.
    int Meridiem() {
        if (text_.size() - pos_ < 2)
            return 0;
        const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_])));
        const char m = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[pos_ + 1])));
        if ((a != 'A' && a != 'P') || m != 'M')
            return 0;
        pos_ += 2;
        return a == 'A' ? 1 : 2;
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "H:MM[:SS] [AM|PM]" after the date.
bool ParseTime(Scanner& scan) {
    std::size_t digits = 0;
    const auto hour = scan.Number(1, 2, &digits);
    if (!hour || !scan.Take(':'))
        return false;
    const auto minute = scan.Number(2, 2, &digits);
    if (!minute || *minute > 59)
        return false;
    if (scan.Take(':')) {
        const auto second = scan.Number(2, 2, &digits);
        if (!second || *second > 59)
            return false;
    }
    scan.SkipBlanks();
    const int meridiem = scan.Meridiem();
    if (meridiem != 0)
        return *hour >= 1 && *hour <= 12;
    return *hour <= 23;
}

}  // namespace

std::optional<CalendarDate> ParseUsDateTime(std::string_view text) {
    Scanner scan(text);
    scan.SkipBlanks();
    std::size_t digits = 0;
    const auto month = scan.Number(1, 2, &digits);
    if (!month || !scan.Take('/'))
        return std::nullopt;
    const auto day = scan.Number(1, 2, &digits);
    if (!day || !scan.Take('/'))
        return std::nullopt;
    auto year = scan.Number(2, 4, &digits);
    if (!year || digits == 3)
        return std::nullopt;
    if (digits == 2)
        *year += *year < 30 ? 2000 : 1900;
    if (*month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month))
        return std::nullopt;

    scan.SkipBlanks();
    if (!scan.AtEnd()) {
        if (!ParseTime(scan))
            return std::nullopt;
        scan.SkipBlanks();
        if (!scan.AtEnd())
            return std::nullopt;
    }
    return CalendarDate{*year, *month, *day};
}

bool IsUpdateDueOn(const std::string& lastUpdate, const std::tm& now) {
    const std::optional<CalendarDate> last = ParseUsDateTime(lastUpdate);
    const int lastDay = last ? last->day : -1;
    const int lastMonth = last ? last->month : -1;
    if (now.tm_mday != lastDay)
        return true;
    return now.tm_mon + 1 != lastMonth;
}

std::string FormatUpdateStamp(const std::tm& now) {
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &now);
    return std::string(text, length);
}

std::tm LocalNow() {
    const std::time_t seconds = std::time(nullptr);
    std::tm now{};
    localtime_r(&seconds, &now);
    return now;
}

}  // namespace catalogue
