#pragma once

#include "core/spin_condition.h"

namespace vellmor::test {

// The case the main window opens with, as the condition record ReadInputs makes of it.
inline TSpinCondition DefaultCondition() {
  TSpinCondition condition;
  condition.SaveFileName = "result.txt";
  condition.HoleDiameter = 0.025;
  condition.Output = 1.0;
  condition.TakeUpSpeed = 5000.0;
  condition.MeltTemperature = 290.0;
  condition.Zones[1] = {10.0, 16087.5, -32.5, 765.0, 0.0};
  condition.Zones[2] = {35.0, 60.0, -8.0, 20.0, 50.0};
  condition.Zones[3] = {100.0, 0.0, 0.0, 0.0, 0.0};
  condition.Increment = 1.0;
  condition.IV = 0.67;
  return condition;
}

}  // namespace vellmor::test
