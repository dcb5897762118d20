#include "ScreenReference.h"

#include <Screen.h>

#include <cstring>
#include <map>

namespace {

struct Rgb {
	int r, g, b;
};

typedef Rgb (*PixelOf)(const uint8_t* file, int x, int y);

Rgb spectrumRgb(int n)
{
	const int on = (n & 8) ? 0xFF : 0xAA;
	return {(n & 2) ? on : 0, (n & 4) ? on : 0, (n & 1) ? on : 0};
}

// The display file byte holding pixel (x, y).
int byteOf(int x, int y)
{
	return 2048 * (y / 64) + 256 * (y % 8) + 32 * ((y / 8) % 8) + x / 8;
}

bool inkAt(const uint8_t* bitmap, int x, int y)
{
	return (bitmap[byteOf(x, y)] >> (7 - x % 8)) & 1;
}

// The colour number an attribute gives a pixel; flash shows nothing.
int attributeColour(uint8_t attribute, bool ink)
{
	return (ink ? attribute % 8 : (attribute / 8) % 8) + ((attribute & 0x40) ? 8 : 0);
}

Rgb classicPixel(const uint8_t* screen, int x, int y)
{
	return spectrumRgb(attributeColour(screen[6144 + 32 * (y / 8) + x / 8], inkAt(screen, x, y)));
}

Rgb bareBitmapPixel(const uint8_t* file, int x, int y)
{
	return spectrumRgb(inkAt(file, x, y) ? 0 : 7);
}

int ulaplusLevel(int v)
{
	return (v << 5) | (v << 2) | (v >> 1);
}

Rgb ulaplusPixel(const uint8_t* file, int x, int y)
{
	const uint8_t attribute = file[6144 + 32 * (y / 8) + x / 8];
	const int clut = 2 * (attribute >> 7) + ((attribute >> 6) & 1);
	const int entry = 16 * clut + (inkAt(file, x, y) ? attribute % 8 : 8 + (attribute / 8) % 8);
	const uint8_t p = file[6912 + entry];
	const int b1 = (p >> 1) & 1, b0 = p & 1;
	return {ulaplusLevel((p >> 2) & 7), ulaplusLevel(p >> 5),
	        ulaplusLevel(b1 * 4 + b0 * 2 + (b1 | b0))};
}

Rgb hiColourPixel(const uint8_t* file, int x, int y)
{
	return spectrumRgb(attributeColour(file[6144 + byteOf(x, y)], inkAt(file, x, y)));
}

Rgb hiResPixel(const uint8_t* file, int x, int y)
{
	const uint8_t* half = file + 6144 * ((x / 8) % 2);
	const int ink = (file[12288] >> 3) & 7;
	return spectrumRgb(inkAt(half, 8 * (x / 16) + x % 8, y) ? ink : 7 - ink);
}

Rgb gigascreenPixel(const uint8_t* file, int x, int y)
{
	const Rgb a = classicPixel(file, x, y), b = classicPixel(file + 6912, x, y);
	return {(a.r + b.r + 1) >> 1, (a.g + b.g + 1) >> 1, (a.b + b.b + 1) >> 1};
}

bool plus3dosHeaderGood(const uint8_t* file)
{
	unsigned sum = 0;
	for (int i = 0; i < 127; i++)
		sum += file[i];
	return memcmp(file, "PLUS3DOS", 8) == 0 && file[8] == 0x1A && sum % 256 == file[127];
}

void putBig32(std::vector<uint8_t>& out, uint32_t value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out.push_back((uint8_t)(value >> shift));
}

std::vector<uint8_t> bitmap(int width, bool rgba, const uint8_t* file, PixelOf pixel)
{
	std::vector<uint8_t> out;
	const uint32_t rowBytes = rgba ? 4 * width : width;
	// 'bits'; bounds 0, 0, width - 1, 191 as floats; row bytes, colour space, data size.
	const float right = (float)(width - 1), bottom = 191.0f;
	uint32_t rightBits, bottomBits;
	memcpy(&rightBits, &right, 4);
	memcpy(&bottomBits, &bottom, 4);
	for (uint32_t field : {0x62697473u, 0u, 0u, rightBits, bottomBits, rowBytes,
	                       rgba ? 0x2008u : 0x0004u, rowBytes * 192})
		putBig32(out, field);

	BScreen screen;
	std::map<int, uint8_t> indexes;
	out.reserve(out.size() + rowBytes * 192);
	for (int y = 0; y < 192; y++) {
		for (int x = 0; x < width; x++) {
			const Rgb c = pixel(file, x, y);
			if (rgba) {
				out.insert(out.end(), {(uint8_t)c.b, (uint8_t)c.g, (uint8_t)c.r, 255});
				continue;
			}
			auto known = indexes.emplace(c.r << 16 | c.g << 8 | c.b, 0);
			if (known.second)
				known.first->second = screen.IndexForColor(c.r, c.g, c.b, 255);
			out.push_back(known.first->second);
		}
	}
	return out;
}

} // namespace

std::vector<uint8_t> screenReferenceBitmap(const uint8_t* data, size_t size, bool hinted)
{
	switch (size) {
	case 6912:
		return bitmap(256, false, data, classicPixel);
	case 6921:
		return bitmap(256, false, data + 9, classicPixel);
	case 6924:
		return bitmap(256, false, data + 12, classicPixel);
	case 7396:
		return bitmap(256, false, data + 265, classicPixel);
	case 6976:
		return bitmap(256, true, data, ulaplusPixel);
	case 12289:
		return bitmap(512, false, data, hiResPixel);
	case 13824:
		return bitmap(256, true, data, gigascreenPixel);
	case 7040:
		return plus3dosHeaderGood(data) ? bitmap(256, false, data + 128, classicPixel)
		                                : std::vector<uint8_t>();
	case 6144:
		return hinted ? bitmap(256, false, data, bareBitmapPixel) : std::vector<uint8_t>();
	case 12288:
		return hinted ? bitmap(256, false, data, hiColourPixel) : std::vector<uint8_t>();
	}
	return {};
}
