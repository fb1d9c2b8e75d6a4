#include "device/TSocket.h"

#include <algorithm>
#include <cstring>

void TSocket::SetField(std::array<char, kTextField>& field, std::string_view text) {
    std::size_t n = std::min(text.size(), kTextField - 1);
    std::memcpy(field.data(), text.data(), n);
    field[n] = '\0';
}
