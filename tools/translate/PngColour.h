#ifndef TRANSLATE_PNG_COLOUR_H
#define TRANSLATE_PNG_COLOUR_H

// What a PNG says of its colours, as the add-on said it in the extension
// message: sRGB (the sRGB chunk), an ICC profile the samples are in (iCCP),
// or nothing. The chunks are made by libpng.

#include <Message.h>

#include <string>
#include <vector>

struct PngColour {
	bool srgb = false;
	std::vector<uint8> profile;
};

// The add-on's answer to the colour request, read from its extension
// message.
PngColour png_colour(const BMessage& extension);

// Whether the profile is for RGB (rather than gray) samples, so that the
// image must not be written as a grayscale PNG.
bool png_colour_needs_rgb(const PngColour& colour);

// The signature, IHDR and the colour's chunk, as libpng writes them for an
// 8-bit image of the colour type (a PNG colour type, not a palette); false
// when libpng refuses the profile, for one, with the reason in words.
bool png_colour_head(const PngColour& colour, uint32 width, uint32 height, int colorType,
                     std::vector<uint8>* head, std::string* reason);

#endif
