// Beijing time (UTC+8) and seconds since 1970-01-01 00:00:00 UTC.
#pragma once
#include "runtime/variables.h"

// The date-time text (as ToDateTime reads it) as Unix seconds in decimal; a text that is not
// a date-time counts as 100-01-01 00:00:00.
TextVar BeijingTimeToUnixSeconds(const char* text);
// Whether the text is a date-time at all (the routine above cannot tell that from its result).
bool IsDateTimeText(const char* text);

// Unix seconds (a 13-digit count of milliseconds is cut to its first 10 digits) as the
// Beijing date-time in the runtime's default date-time text.
TextVar UnixSecondsToBeijingTime(const char* text);
