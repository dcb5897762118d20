#include "TestImages.h"

#include "TestStreams.h"

#include <cstring>

namespace {

// Plane k of pixel x holds kSamples[x][k].
const uint8_t kSamples[2][5] = {{200, 100, 50, 128, 77}, {10, 220, 130, 255, 33}};
const uint8_t kLowByte = 0x5A;

Bytes palette()
{
	Bytes colours(768);
	for (int i = 0; i < 256; i++) {
		colours[i] = (uint8_t)i;
		colours[256 + i] = (uint8_t)(255 - i);
		colours[512 + i] = (uint8_t)(i / 2);
	}
	const uint8_t first = kSamples[0][0], second = kSamples[1][0];
	colours[first] = 1, colours[256 + first] = 2, colours[512 + first] = 3;
	colours[second] = 4, colours[256 + second] = 5, colours[512 + second] = 6;
	return colours;
}

void append_pixel(Bytes* out, int blue, int green, int red, int alpha)
{
	out->insert(out->end(), {(uint8_t)blue, (uint8_t)green, (uint8_t)red, (uint8_t)alpha});
}

void append_big32(Bytes* out, uint32_t value)
{
	psdtest::appendBig32(*out, value);
}

} // namespace

Bytes two_pixel_psd(uint16_t mode, uint16_t channels, uint16_t depth, bool packed)
{
	psdtest::PsdLayout layout = psdtest::psdLayout(mode, depth, channels, 2, 1);
	if (mode == 2)
		layout.colorModeData = palette();

	std::vector<Bytes> planes;
	if (depth == 1) {
		planes.push_back({0x80}); // black, then white; the low bits are no pixels
	} else {
		for (uint16_t k = 0; k < channels; k++) {
			Bytes plane;
			for (int x = 0; x < 2; x++) {
				plane.push_back(kSamples[x][k % 5]);
				if (depth == 16)
					plane.push_back(kLowByte);
			}
			planes.push_back(plane);
		}
	}
	return packed ? psdtest::psdPackBits(layout, planes) : psdtest::psdRaw(layout, planes);
}

Bytes two_pixel_result(decoded kind)
{
	Bytes pixels;
	for (int x = 0; x < 2; x++) {
		const uint8_t* s = kSamples[x];
		switch (kind) {
		case decoded::bitmap:
			x == 0 ? append_pixel(&pixels, 0, 0, 0, 255)
			       : append_pixel(&pixels, 255, 255, 255, 255);
			break;
		case decoded::gray:
			append_pixel(&pixels, s[0], s[0], s[0], 255);
			break;
		case decoded::indexed:
			x == 0 ? append_pixel(&pixels, 3, 2, 1, 255) : append_pixel(&pixels, 6, 5, 4, 255);
			break;
		case decoded::rgb:
			append_pixel(&pixels, s[2], s[1], s[0], 255);
			break;
		case decoded::rgba:
			append_pixel(&pixels, s[2], s[1], s[0], s[3]);
			break;
		case decoded::cmyk:
			append_pixel(&pixels, (s[2] * s[3]) >> 8, (s[1] * s[3]) >> 8, (s[0] * s[3]) >> 8, 255);
			break;
		}
	}
	return pixels;
}

Bytes bitmap_header(uint32_t width, uint32_t height)
{
	Bytes header;
	append_big32(&header, 0x62697473);
	const float bounds[4] = {0.0f, 0.0f, (float)(width - 1), (float)(height - 1)};
	for (float value : bounds) {
		uint32_t bits;
		memcpy(&bits, &value, sizeof(bits));
		append_big32(&header, bits);
	}
	append_big32(&header, width * 4);
	append_big32(&header, 0x2008);
	append_big32(&header, width * height * 4);
	return header;
}

translation translate_with(decltype(&::Translate) translate, const Bytes& psd, uint32 outType,
                           size_t limit)
{
	CountingInput input(psd);
	LimitedOutput output(limit);
	translation result;
	result.status = translate(&input, nullptr, nullptr, outType, &output);
	result.output = output.Bytes();
	result.writes = output.Writes();
	return result;
}
