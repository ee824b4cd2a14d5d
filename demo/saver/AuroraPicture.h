// One frame of the screensaver's picture: a night sky with twinkling stars, three curtains of
// light that fold and ripple as time goes on, and dark hills along the bottom.
#pragma once
#include <cstdint>

// Pixels are 0x00RRGGBB, top row first, `width` to a row (a 32-bit DIB section's layout);
// `seconds` is the time since the animation started.
void DrawAurora(uint32_t* pixels, int width, int height, float seconds);
