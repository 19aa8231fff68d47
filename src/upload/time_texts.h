// The texts of the elapsed upload time and of the upload time estimate.
#pragma once

#include <cstdint>
#include <string>

namespace flash410::upload {

// The time between two times of day (fractions of a day): "02:05 minutes", "42 seconds", or
// "unavailable" when the end is not after the start (an upload that passed midnight).
std::string ElapsedTimeText(double startTime, double endTime);

// " less than 1 minute", " about 1 minute" or " about 2.3 minutes" for blockCount blocks at the rate:
// the wire time of the blocks, the modem's replies and the dialogue around them, and the erase. From 100
// minutes on, the estimate is given in whole minutes (" about 123 minutes").
std::string UploadTimeEstimate(std::int32_t blockCount, std::int32_t baudrate);

}  // namespace flash410::upload
