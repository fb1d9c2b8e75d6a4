// What a unit's device window last saw of the unit, as the main window's row
// shows it (its state marker and that marker's tool tip): answering, too hot,
// not answering (its reads time out), or its connection lost.
#pragma once

#include <string>

enum class UnitCondition { Answering, OverTemperature, Quiet, Lost };

// The words of the marker's tool tip.
std::string UnitConditionText(UnitCondition condition);
