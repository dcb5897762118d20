#include "PSDBlendModes.h"

#include <algorithm>
#include <cmath>

#include <core/PSDVectorCode.h>

namespace {

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

float separable(PSDBlendMode mode, float b, float s)
{
	switch (mode) {
	case PSD_BLEND_DARKEN:
		return std::min(b, s);
	case PSD_BLEND_MULTIPLY:
		return b * s;
	case PSD_BLEND_COLOR_BURN:
		return colorBurn(b, s);
	case PSD_BLEND_LINEAR_BURN:
		return clamp01(b + s - 1);
	case PSD_BLEND_LIGHTEN:
		return std::max(b, s);
	case PSD_BLEND_SCREEN:
		return b + s - b * s;
	case PSD_BLEND_COLOR_DODGE:
		return colorDodge(b, s);
	case PSD_BLEND_LINEAR_DODGE:
		return clamp01(b + s);
	case PSD_BLEND_OVERLAY:
		return hardLight(s, b);
	case PSD_BLEND_SOFT_LIGHT:
		return softLight(b, s);
	case PSD_BLEND_HARD_LIGHT:
		return hardLight(b, s);
	case PSD_BLEND_VIVID_LIGHT:
		return vividLight(b, s);
	case PSD_BLEND_LINEAR_LIGHT:
		return clamp01(b + 2 * s - 1);
	case PSD_BLEND_PIN_LIGHT:
		return s <= 0.5f ? std::min(b, 2 * s) : std::max(b, 2 * s - 1);
	// Unlike vivid light, the backdrop's extremes win here.
	case PSD_BLEND_HARD_MIX:
		return b <= 0 ? 0 : b >= 1 ? 1 : b + s >= 1 ? 1 : 0;
	case PSD_BLEND_DIFFERENCE:
		return std::fabs(b - s);
	case PSD_BLEND_EXCLUSION:
		return b + s - 2 * b * s;
	case PSD_BLEND_SUBTRACT:
		return clamp01(b - s);
	case PSD_BLEND_DIVIDE:
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

void nonSeparable(PSDBlendMode mode, const float* b, const float* s, float* r)
{
	float c[3] = {s[0], s[1], s[2]};
	switch (mode) {
	case PSD_BLEND_HUE:
		setSat(c, sat(b));
		setLum(c, lum(b));
		break;
	case PSD_BLEND_SATURATION:
		c[0] = b[0], c[1] = b[1], c[2] = b[2];
		setSat(c, sat(s));
		setLum(c, lum(b));
		break;
	case PSD_BLEND_COLOR:
		setLum(c, lum(b));
		break;
	case PSD_BLEND_LUMINOSITY:
		c[0] = b[0], c[1] = b[1], c[2] = b[2];
		setLum(c, lum(s));
		break;
	case PSD_BLEND_DARKER_COLOR:
		if (lum(b) < lum(s))
			c[0] = b[0], c[1] = b[1], c[2] = b[2];
		break;
	case PSD_BLEND_LIGHTER_COLOR:
		if (lum(b) > lum(s))
			c[0] = b[0], c[1] = b[1], c[2] = b[2];
		break;
	default:
		break;
	}
	r[0] = c[0], r[1] = c[1], r[2] = c[2];
}

bool isNonSeparable(PSDBlendMode mode)
{
	return mode == PSD_BLEND_HUE || mode == PSD_BLEND_SATURATION || mode == PSD_BLEND_COLOR ||
	       mode == PSD_BLEND_LUMINOSITY || mode == PSD_BLEND_DARKER_COLOR ||
	       mode == PSD_BLEND_LIGHTER_COLOR;
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

void psdBlendColours(PSDBlendMode mode, int colours, const float* const backdrop[],
                     const float* const source[], float* const result[], uint32 count)
{
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
				const bool fromSource = mode == PSD_BLEND_LUMINOSITY;
				for (uint32 i = 0; i < count; i++)
					result[c][i] = fromSource ? source[c][i] : backdrop[c][i];
			}
		} else {
			// One gray channel: it is all luminosity and no colour.
			const bool fromSource = mode == PSD_BLEND_LUMINOSITY ||
			                        mode == PSD_BLEND_DARKER_COLOR ||
			                        mode == PSD_BLEND_LIGHTER_COLOR;
			for (uint32 i = 0; i < count; i++) {
				float value = fromSource ? source[0][i] : backdrop[0][i];
				if (mode == PSD_BLEND_DARKER_COLOR)
					value = std::min(source[0][i], backdrop[0][i]);
				else if (mode == PSD_BLEND_LIGHTER_COLOR)
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
		case PSD_BLEND_NORMAL:
		case PSD_BLEND_DISSOLVE:
		case PSD_BLEND_PASS_THROUGH:
			std::copy(s, s + count, r);
			break;
		case PSD_BLEND_MULTIPLY:
			for (uint32 i = 0; i < count; i++)
				r[i] = b[i] * s[i];
			break;
		case PSD_BLEND_SCREEN:
			for (uint32 i = 0; i < count; i++)
				r[i] = b[i] + s[i] - b[i] * s[i];
			break;
		default:
			for (uint32 i = 0; i < count; i++)
				r[i] = separable(mode, b[i], s[i]);
		}
	}
}

PSD_CORE_WIDE_LOOPS void psdComposite(PSDBlendMode mode, int colours, float* const backdrop[],
                                      float* backdropAlpha, const float* const source[],
                                      const float* sourceAlpha, uint32 count, float* scratch,
                                      int32 x, int32 y)
{
	if (mode == PSD_BLEND_NORMAL || mode == PSD_BLEND_PASS_THROUGH || mode == PSD_BLEND_DISSOLVE) {
		// Cr = Cb + (Cs - Cb) As / Ar: the share the source takes, worked
		// out once a pixel, then a loop a channel that the compiler vectorises.
		float* take = scratch;
		const float* alpha = sourceAlpha;
		if (mode == PSD_BLEND_DISSOLVE) {
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
	psdBlendColours(mode, colours, backdrop, source, blended, count);
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
