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
class SampleAverager : public SampleAverageSink, private AreaAverage<Colours> {
	typedef AreaAverage<Colours> Average;

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
		Average::Add((uint64)y * fWidth, fWidth, RowPixels{planes});
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

	// Pixels [from, to) of a source that gives them one by one, summed in
	// locals: sums in memory might alias byte samples.
	template <class Pixels>
	static void addPixels(const Pixels& pixels, uint32 from, uint32 to,
	                      typename Average::Sums& sums)
	{
		typename Average::Sums local = {};
		uint32 colour[Colours], alpha;
		for (uint32 i = from; i < to; i++) {
			pixels.Get(i, colour, alpha);
			for (int c = 0; c < Colours; c++)
				local.colour[c] += colour[c] * alpha;
			local.alpha += alpha;
		}
		for (int c = 0; c < Colours; c++)
			sums.colour[c] += local.colour[c];
		sums.alpha += local.alpha;
	}

	// Samples of either size as 16-bit ones; alpha as its byte (the high
	// byte of a 16-bit one).
	template <typename Sample, bool HasAlpha> struct SpanPixels {
		const Sample* colours[Colours];
		const Sample* alpha;

		void Get(uint32 i, uint32* colour, uint32& a) const
		{
			for (int c = 0; c < Colours; c++)
				colour[c] = sizeof(Sample) == 1 ? colours[c][i] * 257u : colours[c][i];
			a = !HasAlpha ? 255 : sizeof(Sample) == 1 ? alpha[i] : alpha[i] >> 8;
		}

		void Add(uint32 from, uint32 to, typename Average::Sums& sums) const
		{
			addPixels(*this, from, to, sums);
		}
	};

	template <typename Sample, bool HasAlpha>
	void _Add(const uint8* const planes[], const uint8* alpha, uint64 first, uint32 count)
	{
		SpanPixels<Sample, HasAlpha> pixels;
		for (int c = 0; c < Colours; c++)
			pixels.colours[c] = (const Sample*)planes[c];
		pixels.alpha = (const Sample*)alpha;
		Average::Add(first, count, pixels);
	}

	// Rendered rows: floats in [0, 1].
	struct RowPixels {
		const float* const* planes;

		void Get(uint32 i, uint32* colour, uint32& alpha) const
		{
			for (int c = 0; c < Colours; c++)
				colour[c] = (uint32)(clamp01(planes[c][i]) * 65535 + 0.5f);
			alpha = (uint32)(clamp01(planes[Colours][i]) * 255 + 0.5f);
		}

		void Add(uint32 from, uint32 to, typename Average::Sums& sums) const
		{
			addPixels(*this, from, to, sums);
		}
	};

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
