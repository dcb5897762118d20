#include "PSDMergedImage.h"

#include "PSDBytes.h"
#include "PSDFileBuffer.h"
#include "PSDInflate.h"
#include "PSDInterleave.h"
#include "PSDPixel.h"
#include "PSDPlaneSet.h"
#include "PSDSamples.h"
#include "PSDZeroedBuffer.h"

#include <algorithm>
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

// The first `planes` planes as the plane set reads them: a bitmap is one
// plane whose samples are its packed bytes.
PSDPlaneSetLayout planeLayout(const PSDDocument& document, int planes, bool bitmap,
                              int floatAlphaPlane, bool wide)
{
	PSDPlaneSetLayout layout;
	layout.packed = document.compression == PSD_COMPRESSION_PACKBITS;
	layout.sampleBytes = bitmap || document.depth < 8 ? 1 : document.depth / 8;
	const uint32 bitmapRowBytes = (uint32)(((uint64)document.width + 7) / 8);
	layout.planes = planes;
	layout.width = bitmap ? bitmapRowBytes : document.width;
	layout.height = document.height;
	// A bitmap's row byte counts are one plane's worth, whatever the header
	// says of its channels.
	layout.channels = bitmap ? 1 : document.channels;
	layout.rowCountSize = document.RowCountSize();
	layout.planesOffset =
	    layout.packed ? psdAddOffsets(document.imageData,
	                                  (uint64)layout.channels * layout.height * layout.rowCountSize)
	                  : document.imageData;
	layout.floatAlphaPlane = floatAlphaPlane;
	layout.wide = wide;
	return layout;
}

// Rows of one plane inflated at a time: enough that zlib's copy of each
// call's output into its window (up to 32 KiB) stays small beside it.
const size_t kZipChunkBytes = 512 * 1024;

// Hands the samples [first, first + count) of the stored planes and of the
// last plane (whose samples start at `last`) to the sink, a span at a time.
void zipSpans(const uint8* stored, uint64 planeSamples, const PSDPlaneSetLayout& layout,
              const uint8* last, uint64 first, uint64 count, PSDPlaneSpanSink& sink)
{
	const uint32 bytes = layout.SpanSampleBytes();
	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	for (uint64 done = 0; done < count; done += PSD_PLANE_SET_SPAN) {
		const uint64 left = count - done;
		const uint32 span = left < PSD_PLANE_SET_SPAN ? (uint32)left : (uint32)PSD_PLANE_SET_SPAN;
		for (int plane = 0; plane + 1 < layout.planes; plane++)
			spans[plane] = stored + (plane * planeSamples + first + done) * bytes;
		spans[layout.planes - 1] = last + done * bytes;
		sink.Span(spans, first + done, span);
	}
}

// ZIP data is one stream over the planes one after another. For a sink that
// holds the whole image anyway, every plane but the last is inflated, a
// chunk of rows at a time, and kept as the spans hand its samples over; the
// last plane is handed over with them chunk by chunk, so it is never stored
// whole.
status_t decodeZipStored(BPositionIO* in, const PSDDocument& document,
                         const PSDPlaneSetLayout& layout, PSDPlaneSpanSink& sink)
{
	const uint32 width = layout.width;
	const uint64 planeSamples = (uint64)width * layout.height;
	const size_t rowBytes = (size_t)width * layout.sampleBytes;
	const size_t keptRowBytes = (size_t)width * layout.SpanSampleBytes();
	const uint32 chunkRows = rowBytes >= kZipChunkBytes ? 1 : (uint32)(kZipChunkBytes / rowBytes);
	// Large, and written once: huge pages spare a page fault each 4 KiB.
	PSDZeroedBuffer stored(planeSamples * (layout.planes - 1) * layout.SpanSampleBytes());
	// A chunk of rows, then room for one more row: the scratch of 4-byte
	// prediction.
	std::unique_ptr<uint8[]> chunk(new (std::nothrow) uint8[rowBytes * ((size_t)chunkRows + 1)]);
	PSDInflater inflater(in, document.imageData, UINT64_MAX);
	if ((layout.planes > 1 && stored.Data() == nullptr) || !chunk || inflater.InitCheck() != B_OK)
		return B_NO_MEMORY;

	const bool predicted = document.compression == PSD_COMPRESSION_ZIP_PREDICTION;
	uint8* scratch = chunk.get() + rowBytes * chunkRows;
	for (int plane = 0; plane < layout.planes; plane++) {
		const bool last = plane + 1 == layout.planes;
		uint8* storedPlane = stored.Data() + plane * planeSamples * layout.SpanSampleBytes();
		for (uint32 y = 0; y < layout.height; y += chunkRows) {
			const uint32 rows = layout.height - y < chunkRows ? layout.height - y : chunkRows;
			// Bytes that need no narrowing go straight where they are kept.
			uint8* target =
			    layout.sampleBytes == 1 && !last ? storedPlane + (uint64)y * width : chunk.get();
			inflater.Read(target, rowBytes * rows);
			for (uint32 r = 0; r < rows; r++) {
				uint8* row = target + rowBytes * r;
				if (predicted)
					psdCoreUnpredictRow(row, width, layout.sampleBytes, scratch);
				psdCoreFitSamples(row, width, layout, plane);
				if (target != chunk.get() || layout.sampleBytes == 1)
					continue;
				// The last plane's fitted rows close up at the front of the
				// chunk: each ends before the next row's samples start.
				if (last)
					memmove(chunk.get() + keptRowBytes * r, row, keptRowBytes);
				else
					memcpy(storedPlane + (uint64)(y + r) * keptRowBytes, row, keptRowBytes);
			}
			if (last) {
				zipSpans(stored.Data(), planeSamples, layout, chunk.get(), (uint64)y * width,
				         (uint64)rows * width, sink);
			}
		}
	}
	return B_OK;
}

// One plane of ZIP data: an inflater of its own over the one stream, which
// inflates the planes before it to get there, so the planes are read side
// by side a row at a time.
class ZipPlane {
public:
	ZipPlane(BPositionIO* in, const PSDDocument& document, const PSDPlaneSetLayout& layout,
	         int plane)
	    : fInflater(in, document.imageData, UINT64_MAX), fLayout(layout), fPlane(plane),
	      fPredicted(document.compression == PSD_COMPRESSION_ZIP_PREDICTION),
	      fRowBytes((size_t)layout.width * layout.sampleBytes),
	      fRow(new (std::nothrow) uint8[fRowBytes * 2])
	{
	}

	status_t InitCheck() const { return fRow ? fInflater.InitCheck() : B_NO_MEMORY; }

	void SkipToPlane()
	{
		for (uint64 row = 0; row < (uint64)fPlane * fLayout.height; row++)
			fInflater.Read(fRow.get(), fRowBytes);
	}

	// The next row, its samples the size the spans hand over.
	const uint8* NextRow()
	{
		uint8* row = fRow.get();
		fInflater.Read(row, fRowBytes);
		if (fPredicted)
			psdCoreUnpredictRow(row, fLayout.width, fLayout.sampleBytes, row + fRowBytes);
		psdCoreFitSamples(row, fLayout.width, fLayout, fPlane);
		return row;
	}

private:
	PSDInflater fInflater;
	const PSDPlaneSetLayout& fLayout;
	int fPlane;
	bool fPredicted;
	size_t fRowBytes;
	std::unique_ptr<uint8[]> fRow;
};

// For a sink that keeps less than the image (a reduced reading), each plane
// is inflated by its own inflater, which inflates the planes before it on
// the way: more inflating, memory that does not grow with the image.
status_t decodeZipStreamed(BPositionIO* in, const PSDDocument& document,
                           const PSDPlaneSetLayout& layout, PSDPlaneSpanSink& sink)
{
	std::unique_ptr<ZipPlane> planes[PSD_PLANE_SET_MAX_PLANES];
	for (int plane = 0; plane < layout.planes; plane++) {
		planes[plane].reset(new (std::nothrow) ZipPlane(in, document, layout, plane));
		if (!planes[plane] || planes[plane]->InitCheck() != B_OK)
			return B_NO_MEMORY;
	}
	for (int plane = 1; plane < layout.planes; plane++)
		planes[plane]->SkipToPlane();

	const uint8* rows[PSD_PLANE_SET_MAX_PLANES] = {};
	const uint8* spans[PSD_PLANE_SET_MAX_PLANES] = {};
	for (uint32 y = 0; y < layout.height; y++) {
		for (int plane = 0; plane < layout.planes; plane++)
			rows[plane] = planes[plane]->NextRow();
		for (uint32 x = 0; x < layout.width; x += PSD_PLANE_SET_SPAN) {
			const uint32 count = std::min<uint32>(layout.width - x, PSD_PLANE_SET_SPAN);
			for (int plane = 0; plane < layout.planes; plane++)
				spans[plane] = rows[plane] + (size_t)x * layout.SpanSampleBytes();
			sink.Span(spans, (uint64)y * layout.width + x, count);
		}
	}
	return B_OK;
}

status_t decodePlanes(BPositionIO* in, const PSDDocument& document, const PSDPlaneSetLayout& layout,
                      bool holdsImage, PSDPlaneSpanSink& spans)
{
	if (document.compression >= PSD_COMPRESSION_ZIP && holdsImage)
		return decodeZipStored(in, document, layout, spans);
	if (document.compression >= PSD_COMPRESSION_ZIP)
		return decodeZipStreamed(in, document, layout, spans);
	return psdCoreReadPlaneSet(in, layout, spans);
}

} // namespace

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
	const bool bitmap = kind == PSD_MERGED_BITMAP;
	PSDPlaneSpanSink& spans =
	    bitmap ? (PSDPlaneSpanSink&)bitmapSpans : (PSDPlaneSpanSink&)mergedSpans;
	const PSDPlaneSetLayout layout = planeLayout(document, psdCoreMergedPlanes(kind), bitmap,
	                                             kind == PSD_MERGED_RGBA ? 3 : -1, false);
	return decodePlanes(in, document, layout, sink.HoldsImage(), spans);
}

status_t psdCoreDecodeMergedSamples(BPositionIO* in, const PSDDocument& document, int planes,
                                    int alphaPlane, bool holdsImage, PSDPlaneSpanSink& sink)
{
	if (document.compression > PSD_COMPRESSION_ZIP_PREDICTION)
		return B_ERROR;
	if (document.width == 0 || document.height == 0)
		return B_OK;
	const PSDPlaneSetLayout layout = planeLayout(document, planes, false, alphaPlane, true);
	return decodePlanes(in, document, layout, holdsImage, sink);
}
