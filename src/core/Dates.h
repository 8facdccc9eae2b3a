#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skyloom::core {

using Days = std::chrono::sys_days;
// Sounding time stamps: whole hours since 1 January 1930 00:00.
using HoursSince1930 = std::int32_t;

Days makeDate(int year, int month, int day);
int yearOf(Days d);
int monthOf(Days d);
int dayOf(Days d);

HoursSince1930 hoursSince1930(Days date, int hour);
Days dateOfHours(HoursSince1930 h);
int hourOfHours(HoursSince1930 h);
// Whole days from a to b (negative when b is before a).
int daysBetween(Days a, Days b);

// Stored form in the database files: "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS".
std::string isoDate(Days d);
std::string isoDateTime(Days d, int hour, int minute = 0, int second = 0);
// Reads "YYYY-MM-DD" (a trailing time part is ignored).
std::optional<Days> parseIsoDate(std::string_view s);
// Reads a date as a user types it: ISO "2019-03-01", "01-Mar-2019", "Mar-01-2019",
// "Mar 1, 2019", "3/1/2019" (month first).
std::optional<Days> parseUserDate(std::string_view s);
// 1..12 for a three-letter (or longer) English month name, case ignored; 0 when unknown.
int monthFromName(std::string_view name);

// Current local date and time, as the program records "dodate".
std::string nowIsoDateTime();

}  // namespace skyloom::core
