#include "PSDBlendModes.h"

#include <layers/PSDLayers.h>

#include <algorithm>
#include <cmath>

namespace {

enum Mode {
	kNormal,
	kDissolve,
	kDarken,
	kMultiply,
	kColorBurn,
	kLinearBurn,
	kDarkerColor,
	kLighten,
	kScreen,
	kColorDodge,
	kLinearDodge,
	kLighterColor,
	kOverlay,
	kSoftLight,
	kHardLight,
	kVividLight,
	kLinearLight,
	kPinLight,
	kHardMix,
	kDifference,
	kExclusion,
	kSubtract,
	kDivide,
	kHue,
	kSaturation,
	kColor,
	kLuminosity,
	kUnknown
};

Mode modeOf(uint32 key)
{
	switch (key) {
	case psdKey("norm"):
		return kNormal;
	case psdKey("diss"):
		return kDissolve;
	case psdKey("dark"):
		return kDarken;
	case psdKey("mul "):
		return kMultiply;
	case psdKey("idiv"):
		return kColorBurn;
	case psdKey("lbrn"):
		return kLinearBurn;
	case psdKey("dkCl"):
		return kDarkerColor;
	case psdKey("lite"):
		return kLighten;
	case psdKey("scrn"):
		return kScreen;
	case psdKey("div "):
		return kColorDodge;
	case psdKey("lddg"):
		return kLinearDodge;
	case psdKey("lgCl"):
		return kLighterColor;
	case psdKey("over"):
		return kOverlay;
	case psdKey("sLit"):
		return kSoftLight;
	case psdKey("hLit"):
		return kHardLight;
	case psdKey("vLit"):
		return kVividLight;
	case psdKey("lLit"):
		return kLinearLight;
	case psdKey("pLit"):
		return kPinLight;
	case psdKey("hMix"):
		return kHardMix;
	case psdKey("diff"):
		return kDifference;
	case psdKey("smud"):
		return kExclusion;
	case psdKey("fsub"):
		return kSubtract;
	case psdKey("fdiv"):
		return kDivide;
	case psdKey("hue "):
		return kHue;
	case psdKey("sat "):
		return kSaturation;
	case psdKey("colr"):
		return kColor;
	case psdKey("lum "):
		return kLuminosity;
	default:
		return kUnknown;
	}
}

inline float clamp01(float v)
{
	return v < 0 ? 0 : v > 1 ? 1 : v;
}

inline float colorDodge(float b, float s)
{
	if (b <= 0)
		return 0;
	if (s >= 1)
		return 1;
	return std::min(1.0f, b / (1 - s));
}

inline float colorBurn(float b, float s)
{
	if (b >= 1)
		return 1;
	if (s <= 0)
		return 0;
	return 1 - std::min(1.0f, (1 - b) / s);
}

inline float hardLight(float b, float s)
{
	return s <= 0.5f ? 2 * b * s : 1 - 2 * (1 - b) * (1 - s);
}

inline float softLight(float b, float s)
{
	if (s <= 0.5f)
		return 2 * b * s + b * b * (1 - 2 * s);
	return 2 * b * (1 - s) + std::sqrt(b) * (2 * s - 1);
}

// Here the source's extremes win over the backdrop's: black burns even white
// to black, white dodges even black to white.
inline float vividLight(float b, float s)
{
	if (s <= 0)
		return 0;
	if (s >= 1)
		return 1;
	return s <= 0.5f ? colorBurn(b, 2 * s) : colorDodge(b, 2 * s - 1);
}

float separable(Mode mode, float b, float s)
{
	switch (mode) {
	case kDarken:
		return std::min(b, s);
	case kMultiply:
		return b * s;
	case kColorBurn:
		return colorBurn(b, s);
	case kLinearBurn:
		return clamp01(b + s - 1);
	case kLighten:
		return std::max(b, s);
	case kScreen:
		return b + s - b * s;
	case kColorDodge:
		return colorDodge(b, s);
	case kLinearDodge:
		return clamp01(b + s);
	case kOverlay:
		return hardLight(s, b);
	case kSoftLight:
		return softLight(b, s);
	case kHardLight:
		return hardLight(b, s);
	case kVividLight:
		return vividLight(b, s);
	case kLinearLight:
		return clamp01(b + 2 * s - 1);
	case kPinLight:
		return s <= 0.5f ? std::min(b, 2 * s) : std::max(b, 2 * s - 1);
	// Unlike vivid light, the backdrop's extremes win here.
	case kHardMix:
		return b <= 0 ? 0 : b >= 1 ? 1 : b + s >= 1 ? 1 : 0;
	case kDifference:
		return std::fabs(b - s);
	case kExclusion:
		return b + s - 2 * b * s;
	case kSubtract:
		return clamp01(b - s);
	case kDivide:
		return s <= 0 ? (b <= 0 ? 0 : 1) : std::min(1.0f, b / s);
	default:
		return s;
	}
}

// The non-separable modes, on RGB triples.
inline float lum(const float* c)
{
	return 0.3f * c[0] + 0.59f * c[1] + 0.11f * c[2];
}

void clipColour(float* c)
{
	const float l = lum(c);
	const float n = std::min(c[0], std::min(c[1], c[2]));
	const float x = std::max(c[0], std::max(c[1], c[2]));
	for (int i = 0; i < 3; i++) {
		if (n < 0 && l - n > 0)
			c[i] = l + (c[i] - l) * l / (l - n);
		if (x > 1 && x - l > 0)
			c[i] = l + (c[i] - l) * (1 - l) / (x - l);
	}
}

void setLum(float* c, float l)
{
	const float d = l - lum(c);
	for (int i = 0; i < 3; i++)
		c[i] += d;
	clipColour(c);
}

inline float sat(const float* c)
{
	return std::max(c[0], std::max(c[1], c[2])) - std::min(c[0], std::min(c[1], c[2]));
}

void setSat(float* c, float s)
{
	int order[3] = {0, 1, 2};
	std::sort(order, order + 3, [c](int a, int b) { return c[a] < c[b]; });
	float& low = c[order[0]];
	float& middle = c[order[1]];
	float& high = c[order[2]];
	if (high > low) {
		middle = (middle - low) * s / (high - low);
		high = s;
	} else {
		middle = high = 0;
	}
	low = 0;
}

void nonSeparable(Mode mode, const float* b, const float* s, float* r)
{
	float c[3] = {s[0], s[1], s[2]};
	switch (mode) {
	case kHue:
		setSat(c, sat(b));
		setLum(c, lum(b));
		break;
	case kSaturation:
		c[0] = b[0], c[1] = b[1], c[2] = b[2];
		setSat(c, sat(s));
		setLum(c, lum(b));
		break;
	case kColor:
		setLum(c, lum(b));
		break;
	case kLuminosity:
		c[0] = b[0], c[1] = b[1], c[2] = b[2];
		setLum(c, lum(s));
		break;
	case kDarkerColor:
		if (lum(b) < lum(s))
			c[0] = b[0], c[1] = b[1], c[2] = b[2];
		break;
	case kLighterColor:
		if (lum(b) > lum(s))
			c[0] = b[0], c[1] = b[1], c[2] = b[2];
		break;
	default:
		break;
	}
	r[0] = c[0], r[1] = c[1], r[2] = c[2];
}

bool isNonSeparable(Mode mode)
{
	return mode == kHue || mode == kSaturation || mode == kColor || mode == kLuminosity ||
	       mode == kDarkerColor || mode == kLighterColor;
}

// A stable pseudo-random threshold in [0, 1) for dissolve.
inline float dissolveThreshold(int32 x, int32 y)
{
	uint32 h = (uint32)x * 0x9E3779B1u ^ (uint32)y * 0x85EBCA77u;
	h ^= h >> 15;
	h *= 0x2C1B3C6Du;
	h ^= h >> 12;
	h *= 0x297A2D39u;
	h ^= h >> 15;
	return (h >> 8) * (1.0f / 16777216);
}

} // namespace

bool psdIsBlendMode(uint32 key)
{
	return modeOf(key) != kUnknown;
}

void psdBlendColours(uint32 key, int colours, const float* const backdrop[],
                     const float* const source[], float* const result[], uint32 count)
{
	const Mode mode = modeOf(key);
	if (isNonSeparable(mode)) {
		if (colours >= 3) {
			for (uint32 i = 0; i < count; i++) {
				const float b[3] = {backdrop[0][i], backdrop[1][i], backdrop[2][i]};
				const float s[3] = {source[0][i], source[1][i], source[2][i]};
				float r[3];
				nonSeparable(mode, b, s, r);
				for (int c = 0; c < 3; c++)
					result[c][i] = r[c];
			}
			// A fourth (black) channel follows the luminosity's side.
			for (int c = 3; c < colours; c++) {
				const bool fromSource = mode == kLuminosity;
				for (uint32 i = 0; i < count; i++)
					result[c][i] = fromSource ? source[c][i] : backdrop[c][i];
			}
		} else {
			// One gray channel: it is all luminosity and no colour.
			const bool fromSource =
			    mode == kLuminosity || mode == kDarkerColor || mode == kLighterColor;
			for (uint32 i = 0; i < count; i++) {
				float value = fromSource ? source[0][i] : backdrop[0][i];
				if (mode == kDarkerColor)
					value = std::min(source[0][i], backdrop[0][i]);
				else if (mode == kLighterColor)
					value = std::max(source[0][i], backdrop[0][i]);
				result[0][i] = value;
			}
		}
		return;
	}
	for (int c = 0; c < colours; c++) {
		const float* b = backdrop[c];
		const float* s = source[c];
		float* r = result[c];
		switch (mode) {
		case kNormal:
		case kDissolve:
		case kUnknown:
			std::copy(s, s + count, r);
			break;
		case kMultiply:
			for (uint32 i = 0; i < count; i++)
				r[i] = b[i] * s[i];
			break;
		case kScreen:
			for (uint32 i = 0; i < count; i++)
				r[i] = b[i] + s[i] - b[i] * s[i];
			break;
		default:
			for (uint32 i = 0; i < count; i++)
				r[i] = separable(mode, b[i], s[i]);
		}
	}
}

void psdComposite(uint32 key, int colours, float* const backdrop[], float* backdropAlpha,
                  const float* const source[], const float* sourceAlpha, uint32 count,
                  float* scratch, int32 x, int32 y)
{
	const Mode mode = modeOf(key);
	if (mode == kNormal || mode == kUnknown || mode == kDissolve) {
		// Cr = Cb + (Cs - Cb) As / Ar: the share the source takes, worked
		// out once a pixel, then a loop a channel that the compiler vectorises.
		float* take = scratch;
		const float* alpha = sourceAlpha;
		if (mode == kDissolve) {
			for (uint32 i = 0; i < count; i++)
				take[i] = sourceAlpha[i] > dissolveThreshold(x + (int32)i, y) ? 1 : 0;
			alpha = take;
		}
		// Where Ar is 0, As is too: the floor only keeps 0 / 0 away.
		for (uint32 i = 0; i < count; i++) {
			const float as = alpha[i];
			const float ab = backdropAlpha[i];
			const float ar = as + ab - as * ab;
			take[i] = as / std::max(ar, 1e-30f);
			backdropAlpha[i] = ar;
		}
		for (int c = 0; c < colours; c++) {
			float* b = backdrop[c];
			const float* s = source[c];
			for (uint32 i = 0; i < count; i++)
				b[i] += (s[i] - b[i]) * take[i];
		}
		return;
	}
	float* blended[5];
	for (int c = 0; c < colours; c++)
		blended[c] = scratch + (size_t)c * count;
	psdBlendColours(key, colours, backdrop, source, blended, count);
	for (uint32 i = 0; i < count; i++) {
		const float as = sourceAlpha[i];
		if (as <= 0)
			continue;
		const float ab = backdropAlpha[i];
		const float ar = as + ab * (1 - as);
		const float wb = (1 - as) * ab / ar, ws = (1 - ab) * as / ar, wm = as * ab / ar;
		for (int c = 0; c < colours; c++)
			backdrop[c][i] = clamp01(wb * backdrop[c][i] + ws * source[c][i] + wm * blended[c][i]);
		backdropAlpha[i] = ar;
	}
}
