#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvasta {

// What a number format shows of a serial day number.
enum class DateKind : std::uint8_t { None, Date, DateTime, Time };

// The kind of a number format code: date codes (y, m, d), time codes (h, s,
// m next to h or s, elapsed [h] [m] [s]) outside quoted text, brackets,
// escaped characters and the AM/PM markers. Only the first section (before
// ';') counts. "General", "0.00", "@" and the like are None.
DateKind DateKindOfFormatCode(std::string_view code);

// The kind of a built-in format id: 14-17 and 22 (dates), 18-21 and 45-47
// (times), and the East Asian date and time formats 27-36 and 50-58.
DateKind DateKindOfBuiltInFormat(int id);

// The text of a serial day number in the 1900 date system (where 60 is the
// 29 February 1900 Excel counts) or the 1904 one: "2024/1/1",
// "2024/1/1 8:30" (":ss" added when the seconds are not 0) or "8:30:00",
// rounded to the second. nullopt for a serial Excel cannot show as a date
// (negative, after 9999-12-31, or not finite).
std::optional<std::string> SerialDateText(double serial, DateKind kind, bool date1904);

// The text of an ISO 8601 date or date-time ("2024-01-01",
// "2024-01-01T08:30:00"): a date, or a date and time when the time is not
// midnight. nullopt for any other text.
std::optional<std::string> IsoDateText(std::string_view iso);

// The text of an ISO 8601 duration of a time of day ("PT08H30M00S",
// "PT8H30M", "-PT1H" is refused) as "8:30:00"; nullopt for anything else.
std::optional<std::string> IsoDurationText(std::string_view duration);

}  // namespace kelvasta
