#include "device/ProcessValues.h"

std::array<unsigned char, 4>& ConnectionLostFlag() {
    static std::array<unsigned char, 4> flags{};
    return flags;
}

int& AlarmBlinkCounter() {
    static int counter = 0;
    return counter;
}

std::string& CurrentSetupFile() {
    static std::string path;
    return path;
}

void ResetDeviceProcessValues() {
    ConnectionLostFlag().fill(0);
    AlarmBlinkCounter() = 0;
    CurrentSetupFile().clear();
}
