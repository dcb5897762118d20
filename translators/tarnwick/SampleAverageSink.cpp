#include "SampleAverageSink.h"

#include "AreaAverage.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Colours on a 16-bit scale times alpha as a byte, times the area's units:
// below 65535 x 255 x 2^37 for the largest image, well inside 64 bits.
template <int Colours>
class SampleAverager : public SampleAverageSink, private AreaAverage<Colours, uint64> {
	typedef AreaAverage<Colours, uint64> Average;

public:
	SampleAverager(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight, int alphaPlane,
	               uint32 sampleBytes)
	    : Average(width, height, outWidth, outHeight), fWidth(width), fAlphaPlane(alphaPlane),
	      fSampleBytes(sampleBytes)
	{
	}

	// The buffers of the small image; false when they cannot be had.
	bool Ready(size_t pixels)
	{
		try {
			for (int c = 0; c < Colours; c++)
				fColours[c].resize(pixels);
			fAlpha.resize(pixels);
			fPixels.resize(pixels);
		} catch (const std::bad_alloc&) {
			return false;
		}
		return Average::Ready();
	}

	void Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
	          uint32 count) override
	{
		const uint8* alpha = fAlphaPlane >= 0 ? planes[fAlphaPlane] : nullptr;
		if (fSampleBytes == 1 && alpha == nullptr)
			_Add<uint8, false>(planes, nullptr, first, count);
		else if (fSampleBytes == 1)
			_Add<uint8, true>(planes, alpha, first, count);
		else if (alpha == nullptr)
			_Add<uint16, false>(planes, nullptr, first, count);
		else
			_Add<uint16, true>(planes, alpha, first, count);
	}

	void Row(int32 y, const float* const planes[]) override
	{
		Average::Add((uint64)y * fWidth, fWidth, [planes](uint32 i, uint64* colour, uint64& alpha) {
			for (int c = 0; c < Colours; c++)
				colour[c] = (uint64)(clamp01(planes[c][i]) * 65535 + 0.5f);
			alpha = (uint64)(clamp01(planes[Colours][i]) * 255 + 0.5f);
		});
	}

	void Finish(const PSDColourTransform& transform) override
	{
		Average::Finish();
		PSDSamples samples = {};
		for (int c = 0; c < Colours; c++)
			samples.colours[c] = fColours[c].data();
		samples.sampleBytes = 2;
		samples.alpha = fAlpha.data();
		samples.count = (uint32)fPixels.size();
		transform.Pixels(samples, fPixels.data());
		for (size_t i = 0; i < fPixels.size(); i++) {
			if (fAlpha[i] == 0)
				fPixels[i] = 0;
		}
	}

	const uint32* Pixels() const override { return fPixels.data(); }

private:
	static float clamp01(float value) { return value < 0 ? 0.0f : value > 1 ? 1.0f : value; }

	// Samples of either size as 16-bit ones; alpha as its byte (the high
	// byte of a 16-bit one).
	template <typename Sample, bool HasAlpha>
	void _Add(const uint8* const planes[], const uint8* alpha, uint64 first, uint32 count)
	{
		const Sample* colours[Colours];
		for (int c = 0; c < Colours; c++)
			colours[c] = (const Sample*)planes[c];
		const Sample* alphas = (const Sample*)alpha;
		const uint64 widen = sizeof(Sample) == 1 ? 257 : 1;
		Average::Add(first, count, [&](uint32 i, uint64* colour, uint64& a) {
			for (int c = 0; c < Colours; c++)
				colour[c] = colours[c][i] * widen;
			a = HasAlpha ? (sizeof(Sample) == 1 ? alphas[i] : alphas[i] >> 8) : 255;
		});
	}

	void EmitRow(uint32 row, const typename Average::Sums* sums) override
	{
		const uint64 area = Average::Area();
		const size_t at = (size_t)row * Average::OutWidth();
		for (uint32 x = 0; x < Average::OutWidth(); x++) {
			const uint64 alpha = sums[x].alpha;
			for (int c = 0; c < Colours; c++) {
				fColours[c][at + x] =
				    alpha == 0 ? 0 : (uint16)((sums[x].colour[c] + alpha / 2) / alpha);
			}
			fAlpha[at + x] = (uint8)((alpha + area / 2) / area);
		}
	}

	uint32 fWidth;
	int fAlphaPlane;
	uint32 fSampleBytes;
	// The small image's samples: 16-bit colour planes, alpha bytes.
	std::vector<uint16> fColours[Colours];
	std::vector<uint8> fAlpha;
	std::vector<uint32> fPixels;
};

template <int Colours>
std::unique_ptr<SampleAverageSink> make(uint32 width, uint32 height, uint32 outWidth,
                                        uint32 outHeight, int alphaPlane, uint32 sampleBytes)
{
	std::unique_ptr<SampleAverager<Colours>> sink(new (std::nothrow) SampleAverager<Colours>(
	    width, height, outWidth, outHeight, alphaPlane, sampleBytes));
	if (!sink || !sink->Ready((size_t)outWidth * outHeight))
		return nullptr;
	return sink;
}

} // namespace

std::unique_ptr<SampleAverageSink> SampleAverageSink::Make(uint32 width, uint32 height,
                                                           uint32 outWidth, uint32 outHeight,
                                                           int colours, int alphaPlane,
                                                           uint32 sampleBytes)
{
	switch (colours) {
	case 1:
		return make<1>(width, height, outWidth, outHeight, alphaPlane, sampleBytes);
	case 3:
		return make<3>(width, height, outWidth, outHeight, alphaPlane, sampleBytes);
	default:
		return make<4>(width, height, outWidth, outHeight, alphaPlane, sampleBytes);
	}
}
