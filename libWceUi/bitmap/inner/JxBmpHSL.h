// Gray and hue rotation for both bitmap kinds, in the HSL model: the largest and smallest
// channel of a pixel (its lightness and saturation) stay, its hue turns. 565 pixels are
// handled as three 6-bit channels (red and blue doubled), 32-bit pixels as three bytes with
// the alpha byte kept. Integer arithmetic with two tables, no division per pixel.
#pragma once

#include "JXCommon.h"

// Every pixel of the array becomes the gray of lightness (max + min) / 2.
void JxBmp565SetGray(const JxPixelArray& dst);
void JxBmp32SetGray(const JxPixelArray& dst);
// nOffsetHue in -180..180 degrees; gray pixels stay as they are.
void JxBmp565OffsetHue(const JxPixelArray& dst, int nOffsetHue);
void JxBmp32OffsetHue(const JxPixelArray& dst, int nOffsetHue);

// The tables: K[d] = floor(60 * 65536 / d) for d = 1..255, F[t] = floor(t * 65536 / 60)
// for t = 0..59.
int JxHueReciprocal(int nDelta);
int JxHueFraction(int t);
