#include "PSDColourKernels.h"

#include "PSDColourFormulas.h"

#include <core/PSDPixel.h>
#include <core/PSDVectorCode.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PSD_COLOUR_HAS_AVX2 1
#else
#define PSD_COLOUR_HAS_AVX2 0
#endif

namespace {

// Grid weights are whole multiples of 1/4096 that add up to 4096, and node
// values whole numbers below 2048: every sum of products stays below 2^23,
// exact in an int32 and in a float.
const int kWeightBits = 12;
const int kWeightOne = 1 << kWeightBits;
const float kRedGreenMax = 2047, kBlueMax = 1023;
const float kRange = PSDColourGrid::kHigh - PSDColourGrid::kLow;
// A node's weighted sum to the byte before it is clamped and rounded down.
const float kRedGreenScale = kRange * 255 / (kWeightOne * kRedGreenMax);
const float kBlueScale = kRange * 255 / (kWeightOne * kBlueMax);
const float kByteOffset = PSDColourGrid::kLow * 255 + 0.5f;
// Lab's curve: t^3 above 6/29, 108/841 (t - 4/29) below.
const float kLabKnee = 6 / 29.0f, kLabFoot = 108 / 841.0f, kLabFootStart = 4 / 29.0f;

// The sRGB curve without a table, so that vector loops need not gather:
// linear light x in [0, 1] as the byte floor(255 srgb(x) + 0.5), within a
// ten-thousandth of a level. Above the straight foot, x = m 2^e with m in
// [1, 2) and x^(1/2.4) = m^(5/12) 2^(5e/12): a polynomial in m (fitted to
// Chebyshev nodes, 4e-6 at worst) times one number for each octave e from
// -9 to 0.
const float kFootEnd = 0.0031308f;
const float kFootSlope = 12.92f * 255;
const float kPowerOffset = -0.055f * 255 + 0.5f;
const float kMantissaPower[6] = {0.378393829f, 0.945844471f,   -0.482459992f,
                                 0.202498436f, -0.0494598411f, 0.00518654939f};
const int kFirstOctave = -9;

struct OctaveScales {
	float scale[16] = {}; // 255 x 1.055 x 2^(5e/12) at e - kFirstOctave
	OctaveScales()
	{
		for (int e = kFirstOctave; e <= 0; e++)
			scale[e - kFirstOctave] = (float)(255 * 1.055 * std::pow(2.0, 5 * e / 12.0));
	}
};

const OctaveScales kOctaves;

inline int32 encodeByte(float x)
{
	if (x <= kFootEnd)
		return (int32)(x * kFootSlope + 0.5f);
	uint32 bits;
	memcpy(&bits, &x, sizeof(bits));
	const uint32 mantissaBits = (bits & 0x7FFFFF) | 0x3F800000;
	float m;
	memcpy(&m, &mantissaBits, sizeof(m));
	float p = kMantissaPower[5];
	for (int k = 4; k >= 0; k--)
		p = p * m + kMantissaPower[k];
	const int octave = (int)(bits >> 23) - 127 - kFirstOctave;
	return (int32)(p * kOctaves.scale[octave] + kPowerOffset);
}

inline uint32 pixelWord(uint32 red, uint32 green, uint32 blue, uint32 alpha)
{
	return psdCorePixel((uint8)blue, (uint8)green, (uint8)red, (uint8)alpha);
}

inline uint32 sampleAt(const PSDSamples& s, int plane, uint32 i)
{
	return s.sampleBytes == 1 ? ((const uint8*)s.colours[plane])[i]
	                          : ((const uint16*)s.colours[plane])[i];
}

inline uint32 alphaAt(const PSDSamples& s, uint32 i)
{
	return s.alpha != nullptr ? s.alpha[i] : 255;
}

inline uint32 gridByte(float sum, float scale)
{
	float x = sum * scale;
	x = x + kByteOffset;
	x = std::max(0.0f, std::min(255.0f, x));
	return (uint32)(int)x;
}

// Where a sample lands on the grid, in 1/4096ths of a step between nodes:
// (sample * factor) >> 12, the factor being (nodes - 1) * 2^24 / full.
// Every product stays below 2^30.
int32 gridFactor(const PSDColourGrid& grid, int sampleBytes)
{
	const double full = sampleBytes == 1 ? 255 : 65535;
	return (int32)std::lround((grid.nodes - 1) * 16777216.0 / full);
}

template <int Inputs>
void gridPlain(const PSDColourGrid& grid, const PSDSamples& s, uint32 from, uint32* pixels)
{
	const int32 factor = gridFactor(grid, s.sampleBytes);
	const uint32* values = grid.values.data();
	const int32 last = grid.nodes - 2;
	for (uint32 i = from; i < s.count; i++) {
		int32 offset = 0;
		int32 fraction[Inputs];
		int32 stride[Inputs];
		for (int c = 0; c < Inputs; c++) {
			const int32 p = (int32)sampleAt(s, c, i) * factor >> kWeightBits;
			const int32 q = std::min(p >> kWeightBits, last);
			fraction[c] = p - (q << kWeightBits);
			offset += q * grid.strides[c];
			stride[c] = grid.strides[c];
		}
		// The sorting network of the vector form, largest fraction first.
		auto order = [&](int a, int b) {
			if (fraction[b] > fraction[a]) {
				std::swap(fraction[a], fraction[b]);
				std::swap(stride[a], stride[b]);
			}
		};
		if (Inputs == 4) {
			order(0, 1);
			order(2, 3);
			order(0, 2);
			order(1, 3);
			order(1, 2);
		} else {
			order(0, 1);
			order(1, 2);
			order(0, 1);
		}
		int32 red = 0, green = 0, blue = 0;
		int32 node = offset;
		for (int k = 0; k <= Inputs; k++) {
			const int32 above = k == 0 ? kWeightOne : fraction[k - 1];
			const int32 weight = above - (k < Inputs ? fraction[k] : 0);
			const uint32 value = values[node];
			red += weight * (int32)(value & 2047);
			green += weight * (int32)(value >> 11 & 2047);
			blue += weight * (int32)(value >> 22);
			if (k < Inputs)
				node += stride[k];
		}
		pixels[i] =
		    pixelWord(gridByte((float)red, kRedGreenScale), gridByte((float)green, kRedGreenScale),
		              gridByte((float)blue, kBlueScale), alphaAt(s, i));
	}
}

// Linear light through the matrix into linear sRGB, clamped, then encoded:
// the pixel word.
inline uint32 linearPixel(const float* matrix, const float in[3], uint32 alpha)
{
	uint32 bytes[3];
	for (int row = 0; row < 3; row++) {
		const float* k = matrix + 3 * row;
		float x = k[0] * in[0] + k[1] * in[1];
		x = x + k[2] * in[2];
		x = std::max(0.0f, std::min(1.0f, x));
		bytes[row] = (uint32)std::min(255, encodeByte(x));
	}
	return pixelWord(bytes[0], bytes[1], bytes[2], alpha);
}

void matrixPlain(const PSDColourMatrix& m, const PSDSamples& s, uint32 from, uint32* pixels)
{
	for (uint32 i = from; i < s.count; i++) {
		const float linear[3] = {m.curves[0][sampleAt(s, 0, i)], m.curves[1][sampleAt(s, 1, i)],
		                         m.curves[2][sampleAt(s, 2, i)]};
		pixels[i] = linearPixel(m.matrix, linear, alphaAt(s, i));
	}
}

// The inverse of Lab's cube root, with its straight foot.
inline float labCurve(float t)
{
	const float cube = t * t * t;
	const float foot = kLabFoot * (t - kLabFootStart);
	return t > kLabKnee ? cube : foot;
}

void labPlain(const PSDColourLab& lab, const PSDSamples& s, uint32 from, uint32* pixels)
{
	const float full = s.sampleBytes == 1 ? 255.0f : 65535.0f;
	const float lightness = 100 / full, chroma = 255 / full;
	for (uint32 i = from; i < s.count; i++) {
		const float fy = ((float)sampleAt(s, 0, i) * lightness + 16) * (1 / 116.0f);
		const float a = (float)sampleAt(s, 1, i) * chroma - 128;
		const float b = (float)sampleAt(s, 2, i) * chroma - 128;
		const float xyz[3] = {labCurve(fy + a * (1 / 500.0f)), labCurve(fy),
		                      labCurve(fy - b * (1 / 200.0f))};
		pixels[i] = linearPixel(lab.matrix, xyz, alphaAt(s, i));
	}
}

#if PSD_COLOUR_HAS_AVX2

#define PSD_AVX2 __attribute__((target("avx2")))
#define PSD_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

bool cpuHasAvx2()
{
	__builtin_cpu_init();
	return __builtin_cpu_supports("avx2");
}

const bool sCpuHasAvx2 = cpuHasAvx2();

bool useAvx2()
{
	return sCpuHasAvx2 && psdCoreVectorCode();
}

// Eight samples of a plane as 32-bit integers.
PSD_AVX2_INLINE __m256i load8(const void* plane, int sampleBytes, uint32 i)
{
	if (sampleBytes == 1)
		return _mm256_cvtepu8_epi32(_mm_loadl_epi64((const __m128i*)((const uint8*)plane + i)));
	return _mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i*)((const uint16*)plane + i)));
}

PSD_AVX2_INLINE __m256i alpha8(const PSDSamples& s, uint32 i)
{
	if (s.alpha == nullptr)
		return _mm256_set1_epi32(255);
	return _mm256_cvtepu8_epi32(_mm_loadl_epi64((const __m128i*)(s.alpha + i)));
}

// Pixel words as B_RGBA32 keeps them on x86, little-endian.
// Pixel words from red, green, blue and alpha as 32-bit integers, each
// clamped to a byte: saturating packs, then the bytes of each pixel
// gathered. B_RGBA32 keeps them as little-endian words on x86.
PSD_AVX2_INLINE __m256i pixels8(__m256i red, __m256i green, __m256i blue, __m256i alpha)
{
	const __m256i bytes =
	    _mm256_packus_epi16(_mm256_packs_epi32(blue, green), _mm256_packs_epi32(red, alpha));
	const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0,
	                                       4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
	return _mm256_shuffle_epi8(bytes, order);
}

// Largest fraction first, each stride travelling with its fraction.
PSD_AVX2_INLINE void order8(__m256i& fa, __m256i& fb, __m256i& sa, __m256i& sb)
{
	const __m256i swap = _mm256_cmpgt_epi32(fb, fa);
	const __m256i a = _mm256_blendv_epi8(fa, fb, swap);
	const __m256i b = _mm256_blendv_epi8(fb, fa, swap);
	fa = a;
	fb = b;
	const __m256i x = _mm256_blendv_epi8(sa, sb, swap);
	const __m256i y = _mm256_blendv_epi8(sb, sa, swap);
	sa = x;
	sb = y;
}

// A weighted sum to bytes, rounded down, not yet clamped.
PSD_AVX2_INLINE __m256i gridBytes8(__m256i sum, float scale)
{
	__m256 x = _mm256_mul_ps(_mm256_cvtepi32_ps(sum), _mm256_set1_ps(scale));
	x = _mm256_add_ps(x, _mm256_set1_ps(kByteOffset));
	return _mm256_cvttps_epi32(x);
}

template <int Inputs>
PSD_AVX2 uint32 gridAvx2(const PSDColourGrid& grid, const PSDSamples& s, uint32* pixels)
{
	const __m256i factor = _mm256_set1_epi32(gridFactor(grid, s.sampleBytes));
	const int* values = (const int*)grid.values.data();
	const __m256i last = _mm256_set1_epi32(grid.nodes - 2);
	const __m256i one = _mm256_set1_epi32(kWeightOne);
	const __m256i mask11 = _mm256_set1_epi32(2047);
	uint32 i = 0;
	for (; i + 8 <= s.count; i += 8) {
		__m256i fraction[Inputs];
		__m256i stride[Inputs];
		__m256i node = _mm256_setzero_si256();
		for (int c = 0; c < Inputs; c++) {
			const __m256i p = _mm256_srli_epi32(
			    _mm256_mullo_epi32(load8(s.colours[c], s.sampleBytes, i), factor), kWeightBits);
			const __m256i q = _mm256_min_epi32(_mm256_srli_epi32(p, kWeightBits), last);
			fraction[c] = _mm256_sub_epi32(p, _mm256_slli_epi32(q, kWeightBits));
			stride[c] = _mm256_set1_epi32(grid.strides[c]);
			node = _mm256_add_epi32(node, _mm256_mullo_epi32(q, stride[c]));
		}
		if (Inputs == 4) {
			order8(fraction[0], fraction[1], stride[0], stride[1]);
			order8(fraction[2], fraction[3], stride[2], stride[3]);
			order8(fraction[0], fraction[2], stride[0], stride[2]);
			order8(fraction[1], fraction[3], stride[1], stride[3]);
			order8(fraction[1], fraction[2], stride[1], stride[2]);
		} else {
			order8(fraction[0], fraction[1], stride[0], stride[1]);
			order8(fraction[1], fraction[2], stride[1], stride[2]);
			order8(fraction[0], fraction[1], stride[0], stride[1]);
		}
		__m256i red = _mm256_setzero_si256(), green = red, blue = red;
		for (int k = 0; k <= Inputs; k++) {
			const __m256i above = k == 0 ? one : fraction[k - 1];
			const __m256i weight = k < Inputs ? _mm256_sub_epi32(above, fraction[k]) : above;
			const __m256i value = _mm256_i32gather_epi32(values, node, 4);
			red =
			    _mm256_add_epi32(red, _mm256_mullo_epi32(weight, _mm256_and_si256(value, mask11)));
			green = _mm256_add_epi32(
			    green,
			    _mm256_mullo_epi32(weight, _mm256_and_si256(_mm256_srli_epi32(value, 11), mask11)));
			blue = _mm256_add_epi32(blue, _mm256_mullo_epi32(weight, _mm256_srli_epi32(value, 22)));
			if (k < Inputs)
				node = _mm256_add_epi32(node, stride[k]);
		}
		_mm256_storeu_si256((__m256i*)(pixels + i),
		                    pixels8(gridBytes8(red, kRedGreenScale),
		                            gridBytes8(green, kRedGreenScale), gridBytes8(blue, kBlueScale),
		                            alpha8(s, i)));
	}
	return i;
}

// encodeByte for eight values.
PSD_AVX2_INLINE __m256i encode8(__m256 x)
{
	const __m256i bits = _mm256_castps_si256(x);
	const __m256 m = _mm256_castsi256_ps(_mm256_or_si256(
	    _mm256_and_si256(bits, _mm256_set1_epi32(0x7FFFFF)), _mm256_set1_epi32(0x3F800000)));
	__m256 p = _mm256_set1_ps(kMantissaPower[5]);
	for (int k = 4; k >= 0; k--)
		p = _mm256_add_ps(_mm256_mul_ps(p, m), _mm256_set1_ps(kMantissaPower[k]));
	const __m256i octave =
	    _mm256_sub_epi32(_mm256_srli_epi32(bits, 23), _mm256_set1_epi32(127 + kFirstOctave));
	const __m256 low = _mm256_permutevar8x32_ps(_mm256_loadu_ps(kOctaves.scale), octave);
	const __m256 high = _mm256_permutevar8x32_ps(_mm256_loadu_ps(kOctaves.scale + 8), octave);
	const __m256 scale = _mm256_blendv_ps(
	    low, high, _mm256_castsi256_ps(_mm256_cmpgt_epi32(octave, _mm256_set1_epi32(7))));
	const __m256 power = _mm256_add_ps(_mm256_mul_ps(p, scale), _mm256_set1_ps(kPowerOffset));
	const __m256 foot =
	    _mm256_add_ps(_mm256_mul_ps(x, _mm256_set1_ps(kFootSlope)), _mm256_set1_ps(0.5f));
	return _mm256_cvttps_epi32(
	    _mm256_blendv_ps(power, foot, _mm256_cmp_ps(x, _mm256_set1_ps(kFootEnd), _CMP_LE_OQ)));
}

// linearPixel for eight pixels.
PSD_AVX2_INLINE __m256i linearPixels8(const float* matrix, const __m256 in[3], __m256i alpha)
{
	const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
	__m256i bytes[3];
	for (int row = 0; row < 3; row++) {
		const float* k = matrix + 3 * row;
		__m256 x = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(k[0]), in[0]),
		                         _mm256_mul_ps(_mm256_set1_ps(k[1]), in[1]));
		x = _mm256_add_ps(x, _mm256_mul_ps(_mm256_set1_ps(k[2]), in[2]));
		bytes[row] = encode8(_mm256_max_ps(zero, _mm256_min_ps(one, x)));
	}
	return pixels8(bytes[0], bytes[1], bytes[2], alpha);
}

PSD_AVX2 uint32 matrixAvx2(const PSDColourMatrix& m, const PSDSamples& s, uint32* pixels)
{
	uint32 i = 0;
	for (; i + 8 <= s.count; i += 8) {
		__m256 linear[3];
		for (int c = 0; c < 3; c++)
			linear[c] =
			    _mm256_i32gather_ps(m.curves[c].data(), load8(s.colours[c], s.sampleBytes, i), 4);
		_mm256_storeu_si256((__m256i*)(pixels + i), linearPixels8(m.matrix, linear, alpha8(s, i)));
	}
	return i;
}

PSD_AVX2_INLINE __m256 labCurve8(__m256 t)
{
	const __m256 cube = _mm256_mul_ps(_mm256_mul_ps(t, t), t);
	const __m256 foot =
	    _mm256_mul_ps(_mm256_set1_ps(kLabFoot), _mm256_sub_ps(t, _mm256_set1_ps(kLabFootStart)));
	return _mm256_blendv_ps(foot, cube, _mm256_cmp_ps(t, _mm256_set1_ps(kLabKnee), _CMP_GT_OQ));
}

PSD_AVX2 uint32 labAvx2(const PSDColourLab& lab, const PSDSamples& s, uint32* pixels)
{
	const float full = s.sampleBytes == 1 ? 255.0f : 65535.0f;
	const __m256 lightness = _mm256_set1_ps(100 / full), chroma = _mm256_set1_ps(255 / full);
	const __m256 offset = _mm256_set1_ps(128), sixteen = _mm256_set1_ps(16);
	uint32 i = 0;
	for (; i + 8 <= s.count; i += 8) {
		const __m256 l =
		    _mm256_mul_ps(_mm256_cvtepi32_ps(load8(s.colours[0], s.sampleBytes, i)), lightness);
		const __m256 fy = _mm256_mul_ps(_mm256_add_ps(l, sixteen), _mm256_set1_ps(1 / 116.0f));
		const __m256 a = _mm256_sub_ps(
		    _mm256_mul_ps(_mm256_cvtepi32_ps(load8(s.colours[1], s.sampleBytes, i)), chroma),
		    offset);
		const __m256 b = _mm256_sub_ps(
		    _mm256_mul_ps(_mm256_cvtepi32_ps(load8(s.colours[2], s.sampleBytes, i)), chroma),
		    offset);
		const __m256 xyz[3] = {
		    labCurve8(_mm256_add_ps(fy, _mm256_mul_ps(a, _mm256_set1_ps(1 / 500.0f)))),
		    labCurve8(fy),
		    labCurve8(_mm256_sub_ps(fy, _mm256_mul_ps(b, _mm256_set1_ps(1 / 200.0f))))};
		_mm256_storeu_si256((__m256i*)(pixels + i), linearPixels8(lab.matrix, xyz, alpha8(s, i)));
	}
	return i;
}

#else

bool useAvx2()
{
	return false;
}

#endif

} // namespace

uint32 psdColourGridNode(const float rgb[3])
{
	uint32 q[3];
	for (int c = 0; c < 3; c++) {
		const float max = c < 2 ? kRedGreenMax : kBlueMax;
		const float x = std::max(PSDColourGrid::kLow, std::min(PSDColourGrid::kHigh, rgb[c]));
		q[c] = (uint32)std::lround((x - PSDColourGrid::kLow) / kRange * max);
	}
	return q[0] | q[1] << 11 | q[2] << 22;
}

void psdColourGridPixels(const PSDColourGrid& grid, const PSDSamples& samples, uint32* pixels)
{
	uint32 done = 0;
#if PSD_COLOUR_HAS_AVX2
	if (useAvx2())
		done = grid.inputs == 4 ? gridAvx2<4>(grid, samples, pixels)
		                        : gridAvx2<3>(grid, samples, pixels);
#endif
	if (grid.inputs == 4)
		gridPlain<4>(grid, samples, done, pixels);
	else
		gridPlain<3>(grid, samples, done, pixels);
}

void psdColourMatrixPixels(const PSDColourMatrix& matrix, const PSDSamples& samples, uint32* pixels)
{
	uint32 done = 0;
#if PSD_COLOUR_HAS_AVX2
	if (useAvx2())
		done = matrixAvx2(matrix, samples, pixels);
#endif
	matrixPlain(matrix, samples, done, pixels);
}

void psdColourLabPixels(const PSDColourLab& lab, const PSDSamples& samples, uint32* pixels)
{
	uint32 done = 0;
#if PSD_COLOUR_HAS_AVX2
	if (useAvx2())
		done = labAvx2(lab, samples, pixels);
#endif
	labPlain(lab, samples, done, pixels);
}

void psdColourGrayPixels(const uint32* table, const PSDSamples& s, uint32* pixels)
{
	for (uint32 i = 0; i < s.count; i++)
		pixels[i] = table[sampleAt(s, 0, i)] | psdCorePixel(0, 0, 0, (uint8)alphaAt(s, i));
}

void psdColourInkPixels(const PSDSamples& s, uint32* pixels)
{
	const int bits = 8 * s.sampleBytes;
	for (uint32 i = 0; i < s.count; i++) {
		const uint32 black = sampleAt(s, 3, i);
		pixels[i] =
		    pixelWord(psdColourInkByteRounded(sampleAt(s, 0, i), black, bits),
		              psdColourInkByteRounded(sampleAt(s, 1, i), black, bits),
		              psdColourInkByteRounded(sampleAt(s, 2, i), black, bits), alphaAt(s, i));
	}
}
