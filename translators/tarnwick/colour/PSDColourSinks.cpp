#include "PSDColourSinks.h"

#include "PSDColourFormulas.h"

#include <core/PSDCore.h>
#include <core/PSDInterleave.h>
#include <core/PSDPixel.h>
#include <core/PSDVectorCode.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#if PSD_CORE_HAS_SSE2
#include <emmintrin.h>
#endif

namespace {

// floor(scale v + 0.5) >> shift of values clamped to [0, 1] (never NaN
// here), from x on.
void clampedBytes(const float* row, int32 x, int32 width, float scale, int shift, uint8* out)
{
	for (; x < width; x++) {
		float v = row[x];
		v = v > 0.0f ? v : 0.0f;
		v = v < 1.0f ? v : 1.0f;
		out[x] = (uint8)((int32)(v * scale + 0.5f) >> shift);
	}
}

#if PSD_CORE_HAS_SSE2
// The same, sixteen at a time; where it stopped. The compiler leaves the
// clamps' comparisons alone, as they could trap.
int32 clampedBytesVector(const float* row, int32 width, float scale, int shift, uint8* out)
{
	const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
	const __m128 factor = _mm_set1_ps(scale), half = _mm_set1_ps(0.5f);
	const __m128i count = _mm_cvtsi32_si128(shift);
	auto four = [&](const float* at) {
		const __m128 v = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(at), zero), one);
		return _mm_srl_epi32(_mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, factor), half)), count);
	};
	int32 x = 0;
	for (; x + 16 <= width; x += 16) {
		const __m128i low = _mm_packs_epi32(four(row + x), four(row + x + 4));
		const __m128i high = _mm_packs_epi32(four(row + x + 8), four(row + x + 12));
		_mm_storeu_si128((__m128i*)(out + x), _mm_packus_epi16(low, high));
	}
	return x;
}
#endif

// A rendered plane's row as the bytes the merged image of the same depth
// would give: floor(255 v + 0.5), the high byte of 16-bit values, colours of
// 32-bit ones through the sRGB curve.
void planeBytes(const float* row, int32 width, uint16 depth, bool colour,
                const PSDLinearByteTable& linear, uint8* out)
{
	if (colour && depth == 32) {
		for (int32 x = 0; x < width; x++)
			out[x] = linear.Byte(row[x]);
		return;
	}
	const bool wide = colour && depth == 16;
	const float scale = wide ? 65535.0f : 255.0f;
	const int shift = wide ? 8 : 0;
	int32 done = 0;
#if PSD_CORE_HAS_SSE2
	if (psdCoreVectorCode())
		done = clampedBytesVector(row, width, scale, shift, out);
#endif
	clampedBytes(row, done, width, scale, shift, out);
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
      fBytes(new (std::nothrow) uint8[(size_t)width * 8])
{
}

// Bytes of each plane's row, then pixel words from them.
void PSDFormulaRows::Row(int32 y, const float* const planes[])
{
	const int32 width = fWidth;
	const int rendered = psdCoreColourChannels(fMode);
	const int colours = fMode == PSD_MODE_RGB ? 3 : fMode == PSD_MODE_CMYK ? 4 : 1;
	const PSDLinearByteTable& linear = psdColourLinearByteTable();
	uint8* plane[5];
	for (int c = 0; c <= colours; c++) {
		plane[c] = fBytes.get() + (size_t)c * width;
		const bool alpha = c == colours;
		planeBytes(planes[alpha ? rendered : c], width, fDepth, !alpha, linear, plane[c]);
	}
	const uint8* alpha = plane[colours];
	const uint8* words[4] = {plane[0], plane[0], plane[0], alpha};
	if (fMode == PSD_MODE_RGB) {
		words[1] = plane[1];
		words[2] = plane[2];
	} else if (fMode == PSD_MODE_CMYK) {
		uint8* ink = fBytes.get() + (size_t)5 * width;
		for (int c = 0; c < 3; c++) {
			uint8* out = ink + (size_t)c * width;
			for (int32 x = 0; x < width; x++)
				out[x] = psdColourInkByte(plane[c][x], plane[3][x]);
			words[c] = out;
		}
	}
	psdCoreInterleaveRGBA(words, (uint32)width, fSink.Span((uint64)y * width, (uint32)width));
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
