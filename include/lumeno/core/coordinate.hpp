#pragma once

namespace lumeno {

/// A point on the earth in degrees, as the location-based calls send it.
struct Coordinate {
    double latitude = 0;   ///< sent as "latitude"
    double longitude = 0;  ///< sent as "longitude"
};

}  // namespace lumeno
