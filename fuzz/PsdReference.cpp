#include "PsdReference.h"

#include <zlib.h>

#include <cmath>
#include <cstring>

namespace {

typedef std::vector<uint8_t> Bytes;

uint64_t big(const uint8_t* p, int size)
{
	uint64_t value = 0;
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

// Everything the stream inflates to, up to `count` bytes; zeros after.
Bytes inflated(const uint8_t* stream, size_t size, uint64_t count)
{
	Bytes out(count);
	z_stream z;
	memset(&z, 0, sizeof(z));
	if (inflateInit(&z) != Z_OK)
		return out;
	z.next_in = const_cast<uint8_t*>(stream);
	z.avail_in = (uInt)size;
	z.next_out = out.data();
	z.avail_out = (uInt)count;
	inflate(&z, Z_FINISH);
	inflateEnd(&z);
	return out;
}

// Undoes prediction on one row of `width` samples of `sampleBytes` bytes.
void unpredict(uint8_t* row, uint64_t width, int sampleBytes)
{
	if (sampleBytes == 2) {
		for (uint64_t i = 1; i < width; i++) {
			const uint32_t sum = (uint32_t)big(row + 2 * i, 2) + (uint32_t)big(row + 2 * i - 2, 2);
			row[2 * i] = (uint8_t)(sum >> 8);
			row[2 * i + 1] = (uint8_t)sum;
		}
		return;
	}
	const uint64_t bytes = width * sampleBytes;
	for (uint64_t i = 1; i < bytes; i++)
		row[i] = (uint8_t)(row[i - 1] + row[i]);
	if (sampleBytes == 4) {
		// Byte b of sample i sits at b * width + i.
		const Bytes planes(row, row + bytes);
		for (uint64_t i = 0; i < bytes; i++)
			row[i] = planes[(i % 4) * width + i / 4];
	}
}

// One byte for the sample at `p`: itself, the high byte of 16 bits, or a
// float through the sRGB curve (alpha without it).
uint8_t sampleByte(const uint8_t* p, int sampleBytes, bool alpha)
{
	if (sampleBytes < 4)
		return p[0];
	const uint32_t bits = (uint32_t)big(p, 4);
	float x;
	memcpy(&x, &bits, 4);
	if (std::isnan(x))
		return 0;
	double v = x < 0 ? 0.0 : x > 1 ? 1.0 : (double)x;
	if (!alpha)
		v = v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
	return (uint8_t)std::floor(255 * v + 0.5);
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
	case 0:
		return Loader::kBitmap;
	case 2:
		return Loader::kIndexed;
	case 3:
		return channels >= 4 && settings.alpha4 ? Loader::kRGBA : Loader::kRGB;
	case 4:
		return Loader::kCMYK;
	case 7:
		if (settings.multichannelRead == 2)
			return channels >= 4 ? Loader::kCMYK : Loader::kGray;
		if (settings.multichannelRead == 3)
			return Loader::kGray;
		return channels >= 3 ? Loader::kRGB : Loader::kGray;
	default:
		return Loader::kGray; // grayscale, duotone, Lab
	}
}

int planesOf(Loader loader)
{
	return loader == Loader::kRGB ? 3 : loader == Loader::kRGBA || loader == Loader::kCMYK ? 4 : 1;
}

} // namespace

std::vector<uint32_t> psdReferencePixels(const uint8_t* file, size_t size,
                                         const PsdReferenceSettings& settings)
{
	const bool psb = big(file + 4, 2) == 2;
	const uint32_t channels = (uint32_t)big(file + 12, 2), height = (uint32_t)big(file + 14, 4);
	const uint32_t width = (uint32_t)big(file + 18, 4), depth = (uint32_t)big(file + 22, 2);
	const uint32_t mode = (uint32_t)big(file + 24, 2);
	const uint64_t pixels = (uint64_t)width * height;

	uint64_t at = 26;
	const uint8_t* palette = file + at + 4; // indexed: the colour mode data
	for (int section = 0; section < 3; section++) {
		const int lengthSize = section == 2 && psb ? 8 : 4;
		at += lengthSize + big(file + at, lengthSize);
	}
	const uint64_t compression = big(file + at, 2);
	at += 2;
	const Loader loader = chooseLoader(mode, channels, settings);
	const bool bitmap = loader == Loader::kBitmap;
	// A bitmap's samples are its packed bytes, rows starting on a byte.
	const int sampleBytes = bitmap ? 1 : depth / 8;
	const uint64_t rowSamples = bitmap ? (width + 7) / 8 : width;
	const uint64_t planeLength = rowSamples * height * sampleBytes;
	const int planeCount = planesOf(loader);

	Bytes planes[4];
	if (compression >= 2) {
		const Bytes all = inflated(file + at, size - at, planeLength * planeCount);
		for (int p = 0; p < planeCount; p++) {
			planes[p].assign(all.begin() + p * planeLength, all.begin() + (p + 1) * planeLength);
			for (uint64_t y = 0; compression == 3 && y < height; y++)
				unpredict(&planes[p][y * rowSamples * sampleBytes], rowSamples, sampleBytes);
		}
	} else {
		const bool packed = compression == 1;
		if (packed)
			at += (psb ? 4 : 2) * (uint64_t)height * (bitmap ? 1 : channels);
		Source source(file, size, at);
		for (int p = 0; p < planeCount; p++)
			planes[p] = planeBytes(source, planeLength, packed);
	}
	// Plane p's sample i as a byte.
	auto sample = [&](int p, uint64_t i) {
		return sampleByte(&planes[p][i * sampleBytes], sampleBytes,
		                  loader == Loader::kRGBA && p == 3);
	};

	std::vector<uint32_t> out(pixels);
	for (uint64_t i = 0; i < pixels; i++) {
		switch (loader) {
		case Loader::kBitmap: {
			const uint64_t x = i % width, y = i / width;
			const bool black = planes[0][y * rowSamples + x / 8] & (0x80 >> (x % 8));
			out[i] = black ? pixel(0, 0, 0, 255) : pixel(255, 255, 255, 255);
			break;
		}
		case Loader::kGray: {
			const uint8_t gray = sample(0, i);
			out[i] = pixel(gray, gray, gray, 255);
			break;
		}
		case Loader::kIndexed: {
			const uint8_t v = sample(0, i);
			out[i] = pixel(palette[512 + v], palette[256 + v], palette[v], 255);
			break;
		}
		case Loader::kRGB:
			out[i] = pixel(sample(2, i), sample(1, i), sample(0, i), 255);
			break;
		case Loader::kRGBA:
			out[i] = pixel(sample(2, i), sample(1, i), sample(0, i), sample(3, i));
			break;
		case Loader::kCMYK: {
			const uint32_t k = sample(3, i);
			out[i] = pixel((uint8_t)(sample(2, i) * k >> 8), (uint8_t)(sample(1, i) * k >> 8),
			               (uint8_t)(sample(0, i) * k >> 8), 255);
			break;
		}
		}
	}
	return out;
}
