// tm80ctl's printouts of a unit: aligned text for people, one JSON object
// for scripts.
#pragma once

#include "device/UnitSlot.h"
#include "device/UnitStatus.h"

#include <string>

namespace ctlreport {

// "1:8" or "2:4".
const char* SplitText(int split);

// The unit as `info` shows it; `slot` has been read and its unit's identity too.
std::string InfoText(const UnitSlot& slot);
std::string InfoJson(const UnitSlot& slot);

std::string StatusText(const UnitStatus& status);
std::string StatusJson(const UnitStatus& status);

} // namespace ctlreport
