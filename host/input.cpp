// input.cpp: the mouse rule.
#include "host/input.h"

int CountMouseMove(int32_t* mouseMoves) {
  if (*mouseMoves > 10) return 1;
  ++*mouseMoves;
  return 0;
}

int PointerMovedFar(PointerTravel* travel, double x, double y) {
  if (!travel->anchored) {
    *travel = PointerTravel{true, x, y};
    return 0;
  }
  const double dx = x - travel->x, dy = y - travel->y;
  return dx * dx + dy * dy > kPointerSlack * kPointerSlack ? 1 : 0;
}
