#include "devicewindow/UnitCondition.h"

#include "devicewindow/SystemDlg.h"

std::string UnitConditionText(UnitCondition condition) {
    switch (condition) {
    case UnitCondition::OverTemperature:
        // The degree sign is the code page's byte 0xB0 (octal 260).
        return "Too hot: above " + std::to_string(SystemDlg::kMostTemperature) + " \260C";
    case UnitCondition::Quiet:
        return "Not answering: its reads time out";
    case UnitCondition::Lost:
        return "Connection lost: remove the unit and add it again";
    case UnitCondition::Answering:
        break;
    }
    return "Answering";
}
