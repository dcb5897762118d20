#ifndef WENDRAL_RENDER_SCREEN_H
#define WENDRAL_RENDER_SCREEN_H

#include "ScreenForms.h"

// Draws a screen of the given form, starting at `screen`, into the
// bitmap_shape(form).DataSize() bytes at `pixels`. Colour-mapped forms take
// their colours from colorIndex (fill_color_index); the others ignore it.
// False only when scratch memory cannot be had.
bool render_screen(ScreenForm form, const uint8* screen, const uint8 colorIndex[16], uint8* pixels);

// The renderers of the forms that need more than the attribute renderers.
void render_timex_hi_res(const uint8* screen, const uint8 colorIndex[16], uint8* pixels);
bool render_ulaplus(const uint8* screen, uint8* pixels);
bool render_gigascreen(const uint8* screens, uint8* pixels);

#endif
