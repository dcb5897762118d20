#include "PSDColourSinks.h"

#include "PSDColourFormulas.h"

#include <core/PSDCore.h>
#include <core/PSDPixel.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// A rendered value as the byte the merged image of the same depth would
// give: 16-bit samples keep their high byte, floats are linear light.
inline uint8 colourByte(float value, uint16 depth, const PSDLinearByteTable& linear)
{
	if (depth == 32)
		return linear.Byte(value);
	value = std::min(1.0f, std::max(0.0f, value));
	if (depth == 16)
		return (uint8)((uint32)(value * 65535 + 0.5f) >> 8);
	return (uint8)(value * 255 + 0.5f);
}

// Through int, which the vectoriser converts to from float; never NaN here.
inline uint8 alphaByte(float value)
{
	value = value < 0 ? 0.0f : value > 1 ? 1.0f : value;
	return (uint8)(int)(value * 255 + 0.5f);
}

inline uint16 sample16(float value)
{
	value = value < 0 ? 0.0f : value > 1 ? 1.0f : value;
	return (uint16)(int)(value * 65535 + 0.5f);
}

} // namespace

PSDFormulaRows::PSDFormulaRows(PSDPixelSink& sink, uint16 mode, uint16 depth, int32 width)
    : fSink(sink), fMode(mode), fDepth(depth), fWidth(width),
      fBytes(new (std::nothrow) uint8[(size_t)width * 5])
{
}

// Bytes of a plane's row, then pixel words from them: loops the compiler
// vectorises.
void PSDFormulaRows::Row(int32 y, const float* const planes[])
{
	const int32 width = fWidth;
	const int rendered = psdCoreColourChannels(fMode);
	const int colours = fMode == PSD_MODE_RGB ? 3 : fMode == PSD_MODE_CMYK ? 4 : 1;
	const PSDLinearByteTable& linear = psdColourLinearByteTable();
	uint8* plane[5];
	for (int c = 0; c <= colours; c++) {
		plane[c] = fBytes.get() + (size_t)c * width;
		const float* row = planes[c == colours ? rendered : c];
		if (c == colours || fDepth == 8) {
			for (int32 x = 0; x < width; x++)
				plane[c][x] = alphaByte(row[x]);
		} else {
			for (int32 x = 0; x < width; x++)
				plane[c][x] = colourByte(row[x], fDepth, linear);
		}
	}
	uint32* pixels = fSink.Span((uint64)y * width, (uint32)width);
	const uint8* alpha = plane[colours];
	if (fMode == PSD_MODE_RGB) {
		for (int32 x = 0; x < width; x++)
			pixels[x] = psdCorePixel(plane[2][x], plane[1][x], plane[0][x], alpha[x]);
	} else if (fMode == PSD_MODE_CMYK) {
		for (int32 x = 0; x < width; x++) {
			const uint32 black = plane[3][x];
			pixels[x] = psdCorePixel(psdColourInkByte(plane[2][x], black),
			                         psdColourInkByte(plane[1][x], black),
			                         psdColourInkByte(plane[0][x], black), alpha[x]);
		}
	} else {
		for (int32 x = 0; x < width; x++)
			pixels[x] = psdCorePixel(plane[0][x], plane[0][x], plane[0][x], alpha[x]);
	}
}

// Samples gathered for one conversion, and where their pixel words go.
struct PSDManagedPixels::Chunk {
	enum { kPixels = 64 * 1024 };

	struct Target {
		uint32* pixels;
		uint32 from; // in the chunk
		uint32 count;
	};

	uint8 colours[4][kPixels * 2];
	uint8 alpha[kPixels];
	uint32 count = 0;
	std::vector<Target> targets;
};

PSDManagedPixels::PSDManagedPixels(PSDColourPending& transform, int colours, int alphaPlane,
                                   uint32 sampleBytes, PSDPixelSink& sink, uint32 width,
                                   uint32 height)
    : fTransform(transform), fColours(colours), fAlphaPlane(alphaPlane), fSampleBytes(sampleBytes),
      fSink(sink), fWidth(width), fWork(sink.HoldsImage() ? (uint64)width * height : 0)
{
}

PSDManagedPixels::~PSDManagedPixels()
{
	fWork.Finish();
}

void PSDManagedPixels::Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
                            uint32 count)
{
	const int64 at = _Room(first, count);
	if (at < 0)
		return;
	for (int c = 0; c < fColours; c++)
		memcpy(fChunk->colours[c] + at * fSampleBytes, planes[c], (size_t)count * fSampleBytes);
	uint8* alpha = fChunk->alpha + at;
	if (fAlphaPlane < 0) {
		memset(alpha, 255, count);
	} else if (fSampleBytes == 1) {
		memcpy(alpha, planes[fAlphaPlane], count);
	} else {
		const uint8* wide = planes[fAlphaPlane];
		for (uint32 i = 0; i < count; i++) {
			uint16 value;
			memcpy(&value, wide + 2 * i, sizeof(value));
			alpha[i] = (uint8)(value >> 8);
		}
	}
	_Filled();
}

void PSDManagedPixels::Row(int32 y, const float* const planes[])
{
	for (uint32 x = 0; x < fWidth; x += Chunk::kPixels) {
		const uint32 count = std::min<uint32>(fWidth - x, Chunk::kPixels);
		const int64 at = _Room((uint64)y * fWidth + x, count);
		if (at < 0)
			return;
		for (int c = 0; c < fColours; c++) {
			uint16* samples = (uint16*)fChunk->colours[c] + at;
			for (uint32 i = 0; i < count; i++)
				samples[i] = sample16(planes[c][x + i]);
		}
		uint8* alpha = fChunk->alpha + at;
		for (uint32 i = 0; i < count; i++)
			alpha[i] = alphaByte(planes[fColours][x + i]);
		_Filled();
	}
}

int64 PSDManagedPixels::_Room(uint64 first, uint32 count)
{
	if (fChunk && fChunk->count + count > Chunk::kPixels)
		_Flush();
	if (!fChunk) {
		fChunk = _FreeChunk();
		if (!fChunk) {
			fFailed = true;
			return -1;
		}
	}
	Chunk& chunk = *fChunk;
	try {
		chunk.targets.push_back({fSink.Span(first, count), chunk.count, count});
	} catch (const std::bad_alloc&) {
		fFailed = true;
		return -1;
	}
	chunk.count += count;
	return chunk.count - count;
}

// A sink that keeps only the span it hands out has its words at once.
void PSDManagedPixels::_Filled()
{
	if (!fSink.HoldsImage())
		_Flush();
}

// One that keeps the image has them by the end, from whichever thread.
void PSDManagedPixels::_Flush()
{
	if (!fChunk || fChunk->count == 0)
		return;
	if (!fSink.HoldsImage()) {
		_Convert(*fChunk);
		_Recycle(std::move(fChunk));
		return;
	}
	Chunk* chunk = fChunk.release();
	fWork.Add([this, chunk] {
		_Convert(*chunk);
		_Recycle(std::unique_ptr<Chunk>(chunk));
	});
}

std::unique_ptr<PSDManagedPixels::Chunk> PSDManagedPixels::_FreeChunk()
{
	{
		std::lock_guard<std::mutex> lock(fFreeLock);
		if (!fFree.empty()) {
			std::unique_ptr<Chunk> chunk = std::move(fFree.back());
			fFree.pop_back();
			return chunk;
		}
	}
	return std::unique_ptr<Chunk>(new (std::nothrow) Chunk);
}

void PSDManagedPixels::_Recycle(std::unique_ptr<Chunk> chunk)
{
	chunk->count = 0;
	chunk->targets.clear();
	std::lock_guard<std::mutex> lock(fFreeLock);
	try {
		fFree.push_back(std::move(chunk));
	} catch (const std::bad_alloc&) {
		// Freed instead.
	}
}

void PSDManagedPixels::_Convert(const Chunk& chunk)
{
	const PSDColourTransform* transform = fTransform.Get();
	if (transform == nullptr) {
		fFailed = true;
		return;
	}
	for (const Chunk::Target& target : chunk.targets) {
		PSDSamples samples = {};
		for (int c = 0; c < fColours; c++)
			samples.colours[c] = chunk.colours[c] + (size_t)target.from * fSampleBytes;
		samples.sampleBytes = (int)fSampleBytes;
		samples.alpha = chunk.alpha + target.from;
		samples.count = target.count;
		transform->Pixels(samples, target.pixels);
	}
}

status_t PSDManagedPixels::Finish()
{
	_Flush();
	fWork.Finish();
	return fFailed ? B_NO_MEMORY : B_OK;
}
