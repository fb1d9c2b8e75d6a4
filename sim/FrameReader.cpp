#include "sim/FrameReader.h"

namespace sim {

void FrameReader::Append(const std::uint8_t* data, std::size_t count) {
    buffer_.insert(buffer_.end(), data, data + count);
}

bool FrameReader::Next(ReceivedFrame& frame) {
    if (buffer_.size() < 6) {
        return false;
    }
    std::size_t length = buffer_[4] | static_cast<std::size_t>(buffer_[5]) << 8;
    if (buffer_.size() < 6 + length) {
        return false;
    }
    frame.unitType = static_cast<std::uint16_t>(buffer_[0] | buffer_[1] << 8);
    frame.command = static_cast<std::uint16_t>(buffer_[2] | buffer_[3] << 8);
    frame.bytes.assign(buffer_.begin(), buffer_.begin() + static_cast<long>(6 + length));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(6 + length));
    return true;
}

} // namespace sim
