#include "Environment.h"

#include "platform/Files.h"

#include <vector>

Environment& TheEnvironment() {
    static Environment environment;
    return environment;
}

std::string UnitSetupFolder(const std::string& serial) {
    const std::string& setupFiles = TheEnvironment().SetupFilesFolder;
    return serial.empty() ? setupFiles : setupFiles + "/" + serial + "_Setup";
}

void ResetEnvironment() {
    TheEnvironment() = Environment{};
}

void CaptureSystemRoot() {
    // Linux paths may be longer than Windows' 259 characters; the whole folder
    // is kept, as a cut one would move the layout elsewhere.
    const win::DWORD needed = win::GetCurrentDirectoryA(0, nullptr);
    std::vector<char> buffer(needed + 1, '\0');
    const win::DWORD length =
        needed == 0
            ? 0
            : win::GetCurrentDirectoryA(static_cast<win::DWORD>(buffer.size()), buffer.data());
    TheEnvironment().SystemRoot =
        (length == 0 || length >= buffer.size()) ? std::string(".") : buffer.data();
}
