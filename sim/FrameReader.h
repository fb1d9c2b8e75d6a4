// Collects received bytes into whole frames: a 6-byte header (unit type,
// command, payload length, each little-endian) and the payload. Frames may
// arrive split across any number of reads.
#pragma once

#include "sim/SimUnit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class FrameReader {
public:
    void Append(const std::uint8_t* data, std::size_t count);
    // Takes the next complete frame out of the buffer; false when none is complete.
    bool Next(ReceivedFrame& frame);
    std::size_t Pending() const { return buffer_.size(); }

private:
    std::vector<std::uint8_t> buffer_;
};

} // namespace sim
