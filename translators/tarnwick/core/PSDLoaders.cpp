#include "PSDCore.h"

#include "PSDChannels.h"
#include "PSDFileBuffer.h"
#include "PSDImageData.h"
#include "PSDInterleave.h"
#include "PSDPlaneDecoding.h"
#include "PSDPlaneSet.h"

#include <cstdio>

enum { PSD_PALETTE_SIZE = 768 };

// From the header to the first plane, binding the thread's read buffer to it
// unless the loader reads its planes side by side. *decode is false for a
// compression the core cannot read; the loader then writes no colour byte.
static status_t openPlanes(BPositionIO* in, uint64 rowCounts, bool* packed, bool* decode,
	bool bindBuffer = true)
{
	uint16 compression;
	status_t status = psdCoreImageCompression(in, &compression);
	if (status != B_OK)
		return status;
	*packed = compression == PSD_COMPRESSION_PACKBITS;
	*decode = bindBuffer ? psdCoreStartPlanes(in, compression, rowCounts)
						 : psdCoreSkipToPlanes(in, compression, rowCounts);
	return B_OK;
}

static void readMappedPlane(uint32 width, uint32 height, uint32* pixels, const uint32* table,
	bool packed, bool is16Bits)
{
	if (packed)
		psdCoreReadChannelMappedCompressed(width, height, pixels, table, is16Bits);
	else
		psdCoreReadChannelMapped(width, height, pixels, table, is16Bits);
}

namespace {

// Gray, duotone and the lightness of Lab: each sample v of plane 0 becomes
// the opaque gray pixel (v, v, v).
class GraySpans : public PSDPlaneSpanSink {
public:
	explicit GraySpans(uint32* pixels) : fPixels(pixels) {}
	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) override
	{
		psdCoreInterleaveGray(planes[0], count, fPixels + first);
	}

private:
	uint32* fPixels;
};

// Writes each pixel word once, from the first three or four planes.
class RGBSpans : public PSDPlaneSpanSink {
public:
	RGBSpans(uint32* pixels, bool alpha) : fPixels(pixels), fAlpha(alpha) {}
	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) override
	{
		if (fAlpha)
			psdCoreInterleaveRGBA(planes, count, fPixels + first);
		else
			psdCoreInterleaveRGB(planes, count, fPixels + first);
	}

private:
	uint32* fPixels;
	bool fAlpha;
};

class CMYKSpans : public PSDPlaneSpanSink {
public:
	explicit CMYKSpans(uint32* pixels) : fPixels(pixels) {}
	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) override
	{
		psdCoreInterleaveCMYK(planes, count, fPixels + first);
	}

private:
	uint32* fPixels;
};

}  // namespace

static status_t loadGrayPlane(BPositionIO* in, uint32 width, uint32 height, uint32 channels,
	uint32* pixels, bool is16Bits)
{
	bool packed, decode;
	status_t status = openPlanes(in, (uint64)channels * height, &packed, &decode, false);
	if (status == B_OK && decode) {
		GraySpans spans(pixels);
		psdCoreReadPlaneSet(in, {packed, is16Bits, 1, width, height, channels}, spans);
	}
	return status;
}

status_t psdCoreLoadImageRGBA(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
	uint32* pixels, bool alpha, bool is16Bits)
{
	bool packed, decode;
	status_t status = openPlanes(in, (uint64)channels * height, &packed, &decode, false);
	if (status != B_OK)
		return status;
	if (!decode) {
		if (!alpha)
			psdCoreFillAlpha(width, height, pixels);
		return B_OK;
	}
	RGBSpans spans(pixels, alpha);
	psdCoreReadPlaneSet(in, {packed, is16Bits, alpha ? 4 : 3, width, height, channels}, spans);
	return B_OK;
}

status_t psdCoreLoadImageGrayscale(BPositionIO* in, uint32 width, uint32 height,
	uint16 channels, uint32* pixels, bool is16Bits)
{
	return loadGrayPlane(in, width, height, channels, pixels, is16Bits);
}

// The colour mode data of an indexed image: 256 reds, 256 greens, 256 blues.
// Bytes the stream cannot deliver count as 0 (the sections behind them
// cannot be read either, so the loader then fails).
static status_t readPalette(BPositionIO* in, uint32* palette)
{
	uint32 size;
	if (!psdCoreReadBig32(in, &size) || size != PSD_PALETTE_SIZE)
		return B_ERROR;

	uint8 bytes[PSD_PALETTE_SIZE] = {};
	psdCoreReadFully(in, bytes, sizeof(bytes));
	for (int i = 0; i < 256; i++)
		palette[i] = psdCorePixel(bytes[512 + i], bytes[256 + i], bytes[i], 255);
	return B_OK;
}

status_t psdCoreLoadImageIndexed(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
	uint32* pixels)
{
	in->Seek(PSD_HEADER_SIZE, SEEK_SET);
	uint32 palette[256];
	uint16 compression;
	if (readPalette(in, palette) != B_OK || psdCoreSkipSections(in, 2) != B_OK
		|| psdCoreReadCompression(in, &compression) != B_OK)
		return B_ERROR;
	// Every palette entry is opaque, so only pixels left undecoded need alpha.
	if (psdCoreStartPlanes(in, compression, (uint64)channels * height)) {
		readMappedPlane(width, height, pixels, palette,
			compression == PSD_COMPRESSION_PACKBITS, false);
	} else {
		psdCoreFillAlpha(width, height, pixels);
	}
	return B_OK;
}

// Red = cyan x black >> 8 and so on, in place; the samples are used as stored.
static void convertCMYK(uint32 width, uint32 height, uint32* pixels)
{
	uint8* bytes = (uint8*)pixels;
	uint64 total = (uint64)width * height;
	for (uint64 i = 0; i < total; i++, bytes += 4) {
		uint32 black = bytes[3];
		bytes[0] = (uint8)((bytes[0] * black) >> 8);
		bytes[1] = (uint8)((bytes[1] * black) >> 8);
		bytes[2] = (uint8)((bytes[2] * black) >> 8);
		bytes[3] = 255;
	}
}

status_t psdCoreLoadImageCMYK(BPositionIO* in, uint32 width, uint32 height, uint16 channels,
	uint32* pixels, bool is16Bits)
{
	bool packed, decode;
	status_t status = openPlanes(in, (uint64)channels * height, &packed, &decode, false);
	if (status != B_OK)
		return status;
	if (!decode) {
		convertCMYK(width, height, pixels);
		return B_OK;
	}
	CMYKSpans spans(pixels);
	psdCoreReadPlaneSet(in, {packed, is16Bits, 4, width, height, channels}, spans);
	return B_OK;
}

status_t pscCoreLoadImageLab(BPositionIO* in, uint32 width, uint32 height, uint32 channels,
	uint32* pixels, bool is16Bits)
{
	return loadGrayPlane(in, width, height, channels, pixels, is16Bits);
}

namespace {

// Expands bitmap bytes, most significant bit first, into black (1) and white
// (0) pixels. Rows start on a byte boundary; bits past the width are dropped.
struct BitmapSink {
	uint32* next;
	uint32 rowBytes;
	uint32 lastBits;  // pixels in a row's last byte
	uint32 column;  // byte index within the row

	void PutByte(uint8 byte)
	{
		static const uint32 kWhite = psdCorePixel(255, 255, 255, 255);
		static const uint32 kBlack = psdCorePixel(0, 0, 0, 255);
		uint32 bits = ++column == rowBytes ? lastBits : 8;
		if (column == rowBytes)
			column = 0;
		for (uint32 bit = 0; bit < bits; bit++)
			*next++ = (byte & (0x80 >> bit)) ? kBlack : kWhite;
	}

	void Put(const uint8* bytes, uint32 count)
	{
		for (uint32 i = 0; i < count; i++)
			PutByte(bytes[i]);
	}

	void Fill(uint8 value, uint64 count)
	{
		for (uint64 i = 0; i < count; i++)
			PutByte(value);
	}
};

}  // namespace

status_t psdCoreLoadImageBitmap(BPositionIO* in, uint32 width, uint32 height, uint32* pixels)
{
	bool packed, decode;
	status_t status = openPlanes(in, height, &packed, &decode);
	if (status != B_OK || !decode || width == 0)
		return status;

	uint32 rowBytes = (uint32)(((uint64)width + 7) / 8);
	BitmapSink sink = {pixels, rowBytes, width - 8 * (rowBytes - 1), 0};
	PSDFileBuffer& buffer = psdCoreFileBufferState();
	uint64 count = (uint64)rowBytes * height;
	if (packed)
		psdCoreDecodePackBits(buffer, count, sink);
	else
		psdCoreDecodeRaw(buffer, count, sink);
	return B_OK;
}
