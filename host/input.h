// input.h: what ends a full-screen run.
#pragma once
#include <cstdint>

// The mouse rule: the first eleven mouse-move messages of a run are absorbed, the twelfth
// ends it. The count is never reset. Returns 1 when the run should end.
int CountMouseMove(int32_t* mouseMoves);

// The pointer rule of the saver on Wayland, in the same spirit: it ends once the pointer is
// more than kPointerSlack logical pixels from where it was first seen on a surface, so that
// a nudge of the desk does not end it. Returns 1 when the run should end.
constexpr double kPointerSlack = 16;
struct PointerTravel {
  bool anchored;
  double x, y;
};
int PointerMovedFar(PointerTravel* travel, double x, double y);
