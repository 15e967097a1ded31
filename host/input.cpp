// input.cpp: the mouse rule.
#include "host/input.h"

int CountMouseMove(int32_t* mouseMoves) {
  if (*mouseMoves > 10) return 1;
  ++*mouseMoves;
  return 0;
}
