#include "PSDMergedImage.h"

#include "PSDBytes.h"
#include "PSDChannels.h"
#include "PSDFileBuffer.h"
#include "PSDFloatSamples.h"
#include "PSDInflate.h"
#include "PSDInterleave.h"
#include "PSDPlaneSet.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

enum { kPaletteSize = 768 };

// Turns spans of plane samples into pixel words in the sink.
class MergedSpans : public PSDPlaneSpanSink {
public:
	MergedSpans(PSDMergedKind kind, PSDPixelSink& sink, const uint32* palette)
		: fKind(kind), fSink(sink), fPalette(palette)
	{
	}

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) override
	{
		uint32* pixels = fSink.Span(first, count);
		switch (fKind) {
			case PSD_MERGED_GRAY:
				psdCoreInterleaveGray(planes[0], count, pixels);
				break;
			case PSD_MERGED_RGB:
				psdCoreInterleaveRGB(planes, count, pixels);
				break;
			case PSD_MERGED_RGBA:
				psdCoreInterleaveRGBA(planes, count, pixels);
				break;
			case PSD_MERGED_CMYK:
				psdCoreInterleaveCMYK(planes, count, pixels);
				break;
			case PSD_MERGED_INDEXED:
				for (uint32 i = 0; i < count; i++)
					pixels[i] = fPalette[planes[0][i]];
				break;
			case PSD_MERGED_BITMAP:
				break;
		}
	}

private:
	PSDMergedKind fKind;
	PSDPixelSink& fSink;
	const uint32* fPalette;
};

// Expands bitmap bytes, most significant bit first, into black (1) and white
// (0) pixels. Rows start on a byte; the bits past the width are dropped, so
// a span of bytes is a span of whole pixels.
class BitmapSpans : public PSDPlaneSpanSink {
public:
	BitmapSpans(uint32 width, PSDPixelSink& sink)
		: fWidth(width), fRowBytes((width + 7) / 8), fSink(sink)
	{
	}

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
		uint32 count) override
	{
		const uint64 start = PixelAt(first);
		uint32* pixels = fSink.Span(start, (uint32)(PixelAt(first + count) - start));
		static const uint32 kWhite = psdCorePixel(255, 255, 255, 255);
		static const uint32 kBlack = psdCorePixel(0, 0, 0, 255);
		uint32 column = (uint32)(first % fRowBytes);
		for (uint32 i = 0; i < count; i++) {
			const uint32 bits = column + 1 == fRowBytes ? fWidth - 8 * column : 8;
			const uint8 byte = planes[0][i];
			for (uint32 bit = 0; bit < bits; bit++)
				*pixels++ = (byte & (0x80 >> bit)) ? kBlack : kWhite;
			if (++column == fRowBytes)
				column = 0;
		}
	}

private:
	// The first pixel of the byte at this index of the bitmap data.
	uint64 PixelAt(uint64 byte) const
	{
		const uint64 column = (byte % fRowBytes) * 8;
		return byte / fRowBytes * fWidth + (column < fWidth ? column : fWidth);
	}

	uint32 fWidth;
	uint32 fRowBytes;
	PSDPixelSink& fSink;
};

// The colour mode data of an indexed image: 256 reds, 256 greens, 256
// blues. Bytes the file cannot deliver count as 0.
bool readPalette(BPositionIO* in, const PSDDocument& document, uint32* palette)
{
	if (document.colorModeData.length != kPaletteSize)
		return false;
	uint8 bytes[kPaletteSize] = {};
	if (document.colorModeData.offset <= (uint64)INT64_MAX)
		psdCoreReadFullyAt(in, (off_t)document.colorModeData.offset, bytes, sizeof(bytes));
	for (int i = 0; i < 256; i++)
		palette[i] = psdCorePixel(bytes[512 + i], bytes[256 + i], bytes[i], 255);
	return true;
}

// The planes as the plane set reads them: a bitmap is one plane whose
// samples are its packed bytes.
PSDPlaneSetLayout planeLayout(const PSDDocument& document, PSDMergedKind kind)
{
	PSDPlaneSetLayout layout;
	const bool bitmap = kind == PSD_MERGED_BITMAP;
	layout.packed = document.compression == PSD_COMPRESSION_PACKBITS;
	layout.sampleBytes = bitmap || document.depth < 8 ? 1 : document.depth / 8;
	const uint32 bitmapRowBytes = (uint32)(((uint64)document.width + 7) / 8);
	layout.planes = psdCoreMergedPlanes(kind);
	layout.width = bitmap ? bitmapRowBytes : document.width;
	layout.height = document.height;
	// A bitmap's row byte counts are one plane's worth, whatever the header
	// says of its channels.
	layout.channels = bitmap ? 1 : document.channels;
	layout.rowCountSize = document.RowCountSize();
	layout.planesOffset = layout.packed
		? psdAddOffsets(document.imageData, (uint64)layout.channels * layout.height
				* layout.rowCountSize)
		: document.imageData;
	layout.floatAlphaPlane = kind == PSD_MERGED_RGBA ? 3 : -1;
	return layout;
}

// ZIP data is one stream over the planes one after another: the planes read
// are inflated row by row, narrowed to a byte a sample, and handed over from
// memory.
status_t decodeZip(BPositionIO* in, const PSDDocument& document, const PSDPlaneSetLayout& layout,
	PSDPlaneSpanSink& sink)
{
	const uint64 planeSamples = (uint64)layout.width * layout.height;
	const size_t rowBytes = (size_t)layout.width * layout.sampleBytes;
	std::unique_ptr<uint8[]> planes(new (std::nothrow) uint8[planeSamples * layout.planes]);
	std::unique_ptr<uint8[]> row(new (std::nothrow) uint8[rowBytes * 2]);
	PSDInflater inflater(in, document.imageData, UINT64_MAX);
	if (!planes || !row || inflater.InitCheck() != B_OK)
		return B_NO_MEMORY;

	const bool predicted = document.compression == PSD_COMPRESSION_ZIP_PREDICTION;
	for (int plane = 0; plane < layout.planes; plane++) {
		uint8* out = planes.get() + plane * planeSamples;
		for (uint32 y = 0; y < layout.height; y++, out += layout.width) {
			inflater.Read(row.get(), rowBytes);
			if (predicted)
				psdCoreUnpredictRow(row.get(), layout.width, layout.sampleBytes,
					row.get() + rowBytes);
			if (layout.sampleBytes == 2)
				psdCoreNarrowSamples(row.get(), layout.width);
			else if (layout.sampleBytes == 4)
				psdCoreNarrowFloatSamples(row.get(), layout.width,
					plane == layout.floatAlphaPlane);
			memcpy(out, row.get(), layout.width);
		}
	}

	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	for (uint64 first = 0; first < planeSamples; first += PSD_PLANE_SET_SPAN) {
		const uint64 left = planeSamples - first;
		const uint32 count = left < PSD_PLANE_SET_SPAN ? (uint32)left : (uint32)PSD_PLANE_SET_SPAN;
		for (int plane = 0; plane < layout.planes; plane++)
			spans[plane] = planes.get() + plane * planeSamples + first;
		sink.Span(spans, first, count);
	}
	return B_OK;
}

}  // namespace

int psdCoreMergedPlanes(PSDMergedKind kind)
{
	switch (kind) {
		case PSD_MERGED_RGB:
			return 3;
		case PSD_MERGED_RGBA:
		case PSD_MERGED_CMYK:
			return 4;
		default:
			return 1;
	}
}

status_t psdCoreDecodeMerged(BPositionIO* in, const PSDDocument& document, PSDMergedKind kind,
	PSDPixelSink& sink)
{
	if (document.compression > PSD_COMPRESSION_ZIP_PREDICTION)
		return B_ERROR;
	uint32 palette[256];
	if (kind == PSD_MERGED_INDEXED && !readPalette(in, document, palette))
		return B_ERROR;
	if (document.width == 0 || document.height == 0)
		return B_OK;

	MergedSpans mergedSpans(kind, sink, palette);
	BitmapSpans bitmapSpans(document.width, sink);
	PSDPlaneSpanSink& spans = kind == PSD_MERGED_BITMAP ? (PSDPlaneSpanSink&)bitmapSpans
														: (PSDPlaneSpanSink&)mergedSpans;
	const PSDPlaneSetLayout layout = planeLayout(document, kind);
	if (document.compression >= PSD_COMPRESSION_ZIP)
		return decodeZip(in, document, layout, spans);
	return psdCoreReadPlaneSet(in, layout, spans);
}
