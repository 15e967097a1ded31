// input.h: what ends a full-screen run.
#pragma once
#include <cstdint>

// The mouse rule: the first eleven mouse-move messages of a run are absorbed, the twelfth
// ends it. The count is never reset. Returns 1 when the run should end.
int CountMouseMove(int32_t* mouseMoves);
