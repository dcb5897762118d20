#include "PsdReference.h"

#include <cstring>

namespace {

typedef std::vector<uint8_t> Bytes;

uint32_t big(const uint8_t* p, int size)
{
	uint32_t value = 0;
	for (int i = 0; i < size; i++)
		value = value << 8 | p[i];
	return value;
}

// The file's bytes from a position on, 0 beyond its end.
class Source {
public:
	Source(const uint8_t* file, size_t size, uint64_t at) : fFile(file), fSize(size), fAt(at) {}
	uint8_t Next()
	{
		uint8_t byte = fAt < fSize ? fFile[fAt] : 0;
		fAt++;
		return byte;
	}

private:
	const uint8_t* fFile;
	size_t fSize;
	uint64_t fAt;
};

// The next `count` bytes of a plane, raw or unpacked.
Bytes planeBytes(Source& source, uint64_t count, bool packed)
{
	Bytes out;
	out.reserve(count);
	while (out.size() < count) {
		if (!packed) {
			out.push_back(source.Next());
			continue;
		}
		const uint8_t header = source.Next();
		if (header < 128) {
			for (int i = 0; i <= header; i++) {
				const uint8_t byte = source.Next();
				if (out.size() < count)
					out.push_back(byte);
			}
		} else if (header > 128) {
			const uint8_t value = source.Next();
			for (int i = 0; i < 257 - header && out.size() < count; i++)
				out.push_back(value);
		}
	}
	return out;
}

// One sample per pixel: the byte, or the first byte of a 16-bit sample.
Bytes planeSamples(Source& source, uint64_t pixels, bool is16Bits, bool packed)
{
	Bytes bytes = planeBytes(source, pixels * (is16Bits ? 2 : 1), packed);
	if (!is16Bits)
		return bytes;
	Bytes high(pixels);
	for (uint64_t i = 0; i < pixels; i++)
		high[i] = bytes[2 * i];
	return high;
}

uint32_t pixel(uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha)
{
	const uint8_t bytes[4] = {blue, green, red, alpha};
	uint32_t word;
	memcpy(&word, bytes, 4);
	return word;
}

enum class Loader { kBitmap, kGray, kIndexed, kRGB, kRGBA, kCMYK };

Loader chooseLoader(uint32_t mode, uint32_t channels, const PsdReferenceSettings& settings)
{
	switch (mode) {
		case 0: return Loader::kBitmap;
		case 2: return Loader::kIndexed;
		case 3: return channels >= 4 && settings.alpha4 ? Loader::kRGBA : Loader::kRGB;
		case 4: return Loader::kCMYK;
		case 7:
			if (settings.multichannelRead == 2)
				return channels >= 4 ? Loader::kCMYK : Loader::kGray;
			if (settings.multichannelRead == 3)
				return Loader::kGray;
			return channels >= 3 ? Loader::kRGB : Loader::kGray;
		default: return Loader::kGray;  // grayscale, duotone, Lab
	}
}

}  // namespace

std::vector<uint32_t> psdReferencePixels(const uint8_t* file, size_t size,
	const PsdReferenceSettings& settings)
{
	const uint32_t channels = big(file + 12, 2), height = big(file + 14, 4);
	const uint32_t width = big(file + 18, 4), depth = big(file + 22, 2), mode = big(file + 24, 2);
	const uint64_t pixels = (uint64_t)width * height;
	const bool is16Bits = depth == 16;

	uint64_t at = 26;
	const uint8_t* palette = file + at + 4;  // indexed: the colour mode data
	for (int section = 0; section < 3; section++)
		at += 4 + (uint64_t)big(file + at, 4);
	const bool packed = big(file + at, 2) == 1;
	at += 2;
	const Loader loader = chooseLoader(mode, channels, settings);
	if (packed)
		at += 2 * (uint64_t)height * (loader == Loader::kBitmap ? 1 : channels);
	Source source(file, size, at);

	std::vector<uint32_t> out(pixels);
	switch (loader) {
		case Loader::kBitmap: {
			const uint64_t rowBytes = (width + 7) / 8;
			const Bytes bits = planeBytes(source, rowBytes * height, packed);
			for (uint64_t y = 0; y < height; y++) {
				for (uint64_t x = 0; x < width; x++) {
					const bool black = bits[y * rowBytes + x / 8] & (0x80 >> (x % 8));
					out[y * width + x] = black ? pixel(0, 0, 0, 255) : pixel(255, 255, 255, 255);
				}
			}
			break;
		}
		case Loader::kGray: {
			const Bytes gray = planeSamples(source, pixels, is16Bits, packed);
			for (uint64_t i = 0; i < pixels; i++)
				out[i] = pixel(gray[i], gray[i], gray[i], 255);
			break;
		}
		case Loader::kIndexed: {
			const Bytes index = planeSamples(source, pixels, false, packed);
			for (uint64_t i = 0; i < pixels; i++) {
				const uint8_t v = index[i];
				out[i] = pixel(palette[512 + v], palette[256 + v], palette[v], 255);
			}
			break;
		}
		case Loader::kRGB:
		case Loader::kRGBA:
		case Loader::kCMYK: {
			const int planeCount = loader == Loader::kRGB ? 3 : 4;
			Bytes planes[4];
			for (int p = 0; p < planeCount; p++)
				planes[p] = planeSamples(source, pixels, is16Bits, packed);
			for (uint64_t i = 0; i < pixels; i++) {
				const uint8_t r = planes[0][i], g = planes[1][i], b = planes[2][i];
				if (loader == Loader::kRGB) {
					out[i] = pixel(b, g, r, 255);
				} else if (loader == Loader::kRGBA) {
					out[i] = pixel(b, g, r, planes[3][i]);
				} else {
					const uint32_t k = planes[3][i];
					out[i] = pixel((uint8_t)(b * k >> 8), (uint8_t)(g * k >> 8),
						(uint8_t)(r * k >> 8), 255);
				}
			}
			break;
		}
	}
	return out;
}
