// Dates as the user names them: a day in the local time zone.
#pragma once

#include <cstdint>
#include <ctime>

#include "catalog/Movie.h"

namespace reelkeep::test {

// Local noon of a day: what the user calls that day in any time zone.
inline dbDateTime LocalNoon(int year, int month, int day) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = 12;
    parts.tm_isdst = -1;
    return dbDateTime{static_cast<std::uint32_t>(std::mktime(&parts))};
}

}  // namespace reelkeep::test
