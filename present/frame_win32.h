// frame_win32.h: putting the field on screen, whole or sampled into the preview.
#pragma once
#include <windows.h>

// Once at start-up in preview mode: the sample table, the preview bitmap and pixels.
void BuildPreviewSampling(HDC deviceContext);

// One frame: palette, the field (or its samples) on screen, then one step of the smoke.
void DrawFrame();
// The field as the saver window last showed it, on the other monitors' covers.
void PresentOnCovers();
void DrawPreviewFrame();
