#pragma once

#include "imaging/bitmap/Bitmap.h"

// Per-pixel colour and tone effects: each output pixel depends only on the same
// input pixel (and, for the noise, on the shared random generator). Every one
// brings the bitmaps it touches to 24 bits first. Integer arithmetic is 32-bit
// signed in the order written, wrapping on overflow; `div` truncates toward
// zero; clamp holds a channel to 0 .. 255; round goes half to even.
namespace pixmoth {

// B, G, R := round(B * 0.30 + G * 0.59 + R * 0.11) in double precision. Blue, not
// red, weighs 0.30.
void GreyScale(Bitmap& bitmap);

// c := 255 - c.
void Invert(Bitmap& bitmap);

// destination := source, with every pixel whose (B + G + R) div 3 exceeds
// `threshold` inverted. The destination takes the source's size; the source is
// not changed (the two may be the same bitmap).
void Solarize(Bitmap& source, Bitmap& destination, int threshold);

// destination channel := round(c / step) * step (division in double precision),
// held to 0 .. 255. A step of 0 copies the source; a negative step gives what
// its absolute value gives.
void Posterize(Bitmap& source, Bitmap& destination, int step);

// The kept channel := round(c * factor) held to 0 .. 255; the other two := 0.
void KeepBlue(Bitmap& bitmap, double factor);
void KeepGreen(Bitmap& bitmap, double factor);
void KeepRed(Bitmap& bitmap, double factor);

// c := clamp(c - amount * c div 255): 255 turns the picture black.
void Darken(Bitmap& bitmap, int amount);

// c := clamp(c + amount * (255 - c) div 255): 255 and more turn it white.
void Lightness(Bitmap& bitmap, int amount);

// d := amount * |127 - c| div 255; channels above 127 gain d, the others lose it.
void Contrast(Bitmap& bitmap, int amount);

// c := clamp(g + (c - g) * amount div 255), g = (B + G + R) div 3: 255 keeps the
// picture, less moves it toward grey (0 is all grey), more away from grey.
void Saturation(Bitmap& bitmap, int amount);

// c := clamp(c + random(amount) - half(amount)), three draws per pixel in the
// order blue, green, red, row by row from the shared generator's current seed.
void AddColorNoise(Bitmap& bitmap, int amount);

// As AddColorNoise with one draw per pixel, added to all three channels.
void AddMonoNoise(Bitmap& bitmap, int amount);

} // namespace pixmoth
