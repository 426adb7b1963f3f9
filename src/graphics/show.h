// Show effects: the ways the back frame is brought onto the screen frame, by number
// through ScreenShow or directly as whole-frame and strip operations.
#pragma once

#include <cstdint>

// Brings the back frame on screen with display mode `mode`.
void ScreenShow(uint16_t mode);
// Copies the back frame onto the screen at once.
void ShowBackFrame();
// The same for one 320-pixel strip.
void ShowBackStrip(uint16_t strip);
// Interlaced reveal of the whole frame.
void ShowInterlace();
// Interlaced reveal of one strip.
void ShowInterlaceStrip(uint16_t strip);
// Dither dissolve blending the character colours; `wait` x 10 ms a pass.
void ShowDitherChars(uint16_t wait);
// The same within one strip.
void ShowDitherStripChars(uint16_t strip, uint16_t wait);
// Ordered-dither dissolve of the whole frame.
void ShowDither();
// Comb reveal of the whole frame.
void ShowComb();
// Comb reveal of one strip.
void ShowCombStrip(uint16_t strip);
// Pushes the new picture in, the old one out, over `speed` seconds.
void ShowPush(uint16_t direction, uint16_t speed);

// sin(a) for a in degrees (any value), scaled by 32767.
int16_t SinDeg(uint16_t a);
// cos(a) for a in degrees, scaled by 32767.
int16_t CosDeg(uint16_t a);
// sin(a / 2) for a in half degrees (any value), scaled by 32767.
int16_t SinHalfDeg(uint16_t a);
// cos(a / 2) for a in half degrees, scaled by 32767.
int16_t CosHalfDeg(uint16_t a);
