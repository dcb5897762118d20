#include "SampleAverageSink.h"

#include <cmath>
#include <cstring>

namespace {

// Samples are averaged on a 16-bit scale, alpha on a byte's.
inline double sampleAt(const uint8* plane, uint32 sampleBytes, uint32 i)
{
	if (sampleBytes == 1)
		return plane[i] * 257.0;
	uint16 value;
	memcpy(&value, plane + 2 * (size_t)i, sizeof(value));
	return value;
}

inline double clamp01(float value)
{
	return value < 0 ? 0.0 : value > 1 ? 1.0 : (double)value;
}

} // namespace

SampleAverageSink::SampleAverageSink(uint32 width, uint32 height, uint32 outWidth, uint32 outHeight,
                                     int colours, int alphaPlane, uint32 sampleBytes)
    : AreaAverage(width, height, outWidth, outHeight), fWidth(width), fColours(colours),
      fAlphaPlane(alphaPlane), fSampleBytes(sampleBytes)
{
	const size_t pixels = (size_t)outWidth * outHeight;
	try {
		for (int c = 0; c < colours; c++)
			fColourPlanes[c].resize(pixels);
		fAlpha.resize(pixels);
		fPixels.resize(pixels);
		fReady = Ready();
	} catch (const std::bad_alloc&) {
		fReady = false;
	}
}

status_t SampleAverageSink::InitCheck() const
{
	return fReady ? B_OK : B_NO_MEMORY;
}

void SampleAverageSink::Span(const uint8* const planes[PSD_PLANE_SET_MAX_PLANES], uint64 first,
                             uint32 count)
{
	Add(first, count, [&](uint32 i, double* colour, double& alpha) {
		for (int c = 0; c < fColours; c++)
			colour[c] = sampleAt(planes[c], fSampleBytes, i);
		alpha = fAlphaPlane < 0 ? 255.0 : sampleAt(planes[fAlphaPlane], fSampleBytes, i) / 257;
	});
}

void SampleAverageSink::Row(int32 y, const float* const planes[])
{
	Add((uint64)y * fWidth, fWidth, [&](uint32 i, double* colour, double& alpha) {
		for (int c = 0; c < fColours; c++)
			colour[c] = clamp01(planes[c][i]) * 65535;
		alpha = clamp01(planes[fColours][i]) * 255;
	});
}

void SampleAverageSink::EmitRow(uint32 row, const Sums* sums)
{
	const double area = (double)Area();
	const size_t at = (size_t)row * OutWidth();
	for (uint32 x = 0; x < OutWidth(); x++) {
		const double alpha = sums[x].alpha;
		for (int c = 0; c < fColours; c++) {
			fColourPlanes[c][at + x] =
			    alpha > 0 ? (uint16)std::min(65535.0, std::floor(sums[x].colour[c] / alpha + 0.5))
			              : 0;
		}
		fAlpha[at + x] = (uint8)std::min(255.0, std::floor(alpha / area + 0.5));
	}
}

void SampleAverageSink::Finish(const PSDColourTransform& transform)
{
	AreaAverage::Finish();
	PSDSamples samples = {};
	for (int c = 0; c < fColours; c++)
		samples.colours[c] = fColourPlanes[c].data();
	samples.sampleBytes = 2;
	samples.alpha = fAlpha.data();
	samples.count = (uint32)fPixels.size();
	transform.Pixels(samples, fPixels.data());
	for (size_t i = 0; i < fPixels.size(); i++) {
		if (fAlpha[i] == 0)
			fPixels[i] = 0;
	}
}
