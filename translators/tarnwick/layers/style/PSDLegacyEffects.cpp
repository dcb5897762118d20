#include "PSDLegacyEffects.h"

#include <layers/PSDModelContext.h>
#include <layers/adjustments/PSDAdjustmentBytes.h>
#include <layers/adjustments/PSDAdjustmentReaders.h>

#include <algorithm>

namespace {

// Six effects take about 400 bytes.
const uint64 kLargestBlock = 1 << 16;

double clamp(double value, double low, double high)
{
	return std::min(high, std::max(low, value));
}

// Sizes, distances and angles are 16.16 fixed point.
double fixed(PSDAdjustmentBytes& bytes)
{
	return (int32)bytes.Big32() / 65536.0;
}

float percentOf255(PSDAdjustmentBytes& bytes)
{
	return bytes.Uint8() / 255.0f;
}

PSDBlendMode blendMode(PSDAdjustmentBytes& bytes)
{
	bytes.Big32(); // '8BIM'
	return psdBlendModeFromKey(bytes.Big32());
}

// A colour structure; `fallback` where its space has no conversion.
PSDColour colour(PSDAdjustmentBytes& bytes, uint16 mode, const PSDColour& fallback = PSDColour())
{
	PSDColour read;
	return psdReadColorStructure(bytes, mode, read.value) > 0 ? read : fallback;
}

// Photoshop 5.5 (version 2) follows the colour with the one picked, in its own
// model; that one wins.
void nativeColour(PSDAdjustmentBytes& bytes, uint32 version, uint16 mode, PSDColour* paint)
{
	if (version >= 2)
		*paint = colour(bytes, mode, *paint);
}

// Drop and inner shadows.
void readShadow(PSDAdjustmentBytes& bytes, uint32 version, const PSDModelContext& context,
                PSDEffectSettings* effect)
{
	effect->size = clamp(fixed(bytes), 0, kPSDMostEffectSize);
	effect->spread = clamp(fixed(bytes) / 100, 0, 1); // its intensity
	const double angle = fixed(bytes);
	effect->distance = fixed(bytes);
	effect->paint.colour = colour(bytes, context.mode);
	effect->blendMode = blendMode(bytes);
	effect->enabled = bytes.Uint8() != 0;
	effect->angle = bytes.Uint8() != 0 ? context.globalAngle : angle;
	effect->opacity = percentOf255(bytes);
	nativeColour(bytes, version, context.mode, &effect->paint.colour);
}

// Outer and inner glows.
void readGlow(PSDAdjustmentBytes& bytes, uint32 version, const PSDModelContext& context,
              PSDEffectSettings* effect)
{
	effect->size = clamp(fixed(bytes), 0, kPSDMostEffectSize);
	effect->spread = clamp(fixed(bytes) / 100, 0, 1);
	effect->paint.colour = colour(bytes, context.mode);
	effect->blendMode = blendMode(bytes);
	effect->enabled = bytes.Uint8() != 0;
	effect->opacity = percentOf255(bytes);
	// An inner glow's source: 0 its centre, else its edge.
	if (effect->kind == PSD_EFFECT_INNER_GLOW)
		effect->fromCentre = bytes.Uint8() == 0;
	nativeColour(bytes, version, context.mode, &effect->paint.colour);
}

// Photoshop 5 sized a bevel by its blur and its depth in pixels; the depth
// against the blur is how steep the slope is, as a depth of 100 % over the
// size is now.
void readBevel(PSDAdjustmentBytes& bytes, uint32 version, const PSDModelContext& context,
               PSDEffectSettings* effect)
{
	PSDBevelSettings& bevel = effect->bevel;
	const double angle = fixed(bytes);
	const double depth = fixed(bytes);
	effect->size = clamp(fixed(bytes), 0, kPSDMostEffectSize);
	bevel.depth = clamp(depth / std::max(1.0, effect->size), 0.01, 10);
	effect->blendMode = blendMode(bytes);
	bevel.shadow.blendMode = blendMode(bytes);
	effect->paint.colour = colour(bytes, context.mode);
	bevel.shadow.colour = colour(bytes, context.mode);
	const uint8 style = bytes.Uint8();
	bevel.style = style == 1   ? PSD_BEVEL_OUTER
	              : style == 3 ? PSD_BEVEL_EMBOSS
	              : style == 4 ? PSD_BEVEL_PILLOW_EMBOSS
	                           : PSD_BEVEL_INNER;
	effect->opacity = percentOf255(bytes);
	bevel.shadow.opacity = percentOf255(bytes);
	effect->enabled = bytes.Uint8() != 0;
	const bool global = bytes.Uint8() != 0;
	effect->angle = global ? context.globalAngle : angle;
	bevel.altitude = clamp(global ? context.globalAltitude : 30, 0, 90);
	bevel.up = bytes.Uint8() == 0;
	nativeColour(bytes, version, context.mode, &effect->paint.colour);
	nativeColour(bytes, version, context.mode, &bevel.shadow.colour);
}

// The colour overlay of Photoshop 7.
void readSolidFill(PSDAdjustmentBytes& bytes, uint32 version, const PSDModelContext& context,
                   PSDEffectSettings* effect)
{
	effect->blendMode = blendMode(bytes);
	effect->paint.colour = colour(bytes, context.mode);
	effect->opacity = percentOf255(bytes);
	effect->enabled = bytes.Uint8() != 0;
	nativeColour(bytes, version, context.mode, &effect->paint.colour);
}

// One effect's record, by its key; false for the common state and keys
// this reader does not know.
bool readEffect(uint32 key, const std::vector<uint8>& record, const PSDModelContext& context,
                PSDEffectSettings* effect)
{
	typedef void (*Reader)(PSDAdjustmentBytes&, uint32, const PSDModelContext&, PSDEffectSettings*);
	static const struct {
		uint32 key;
		PSDEffectKind kind;
		Reader read;
	} kEffects[] = {
	    {psdKey("dsdw"), PSD_EFFECT_DROP_SHADOW, readShadow},
	    {psdKey("isdw"), PSD_EFFECT_INNER_SHADOW, readShadow},
	    {psdKey("oglw"), PSD_EFFECT_OUTER_GLOW, readGlow},
	    {psdKey("iglw"), PSD_EFFECT_INNER_GLOW, readGlow},
	    {psdKey("bevl"), PSD_EFFECT_BEVEL, readBevel},
	    {psdKey("sofi"), PSD_EFFECT_COLOUR_OVERLAY, readSolidFill},
	};
	for (const auto& known : kEffects) {
		if (known.key != key)
			continue;
		PSDAdjustmentBytes bytes(record);
		const uint32 version = bytes.Big32();
		effect->kind = known.kind;
		known.read(bytes, version, context, effect);
		// A record cut short reads as zeros past its end: drawn, it would
		// be a guess.
		return !bytes.Failed();
	}
	return false;
}

} // namespace

bool psdReadLegacyEffects(const PSDModelContext& context, const PSDLayer& layer,
                          PSDLayerStyleSettings* settings)
{
	const PSDBlock* block = layer.Block(psdKey("lrFX"));
	std::vector<uint8> data;
	if (block == nullptr || !psdReadBlock(context.in, *block, &data, kLargestBlock))
		return false;
	PSDAdjustmentBytes bytes(data);
	bytes.Big16(); // version
	const uint16 count = bytes.Big16();
	const int most = std::max(0, context.limits.effectsOfAKind);
	int ofKind[PSD_EFFECT_BEVEL + 1] = {};
	settings->enabled = true;
	settings->effects.clear();
	// Each record says its length, so that one of an unknown layout does not
	// throw the others off.
	for (uint16 i = 0; i < count && bytes.Left() >= 12; i++) {
		bytes.Big32(); // '8BIM'
		const uint32 key = bytes.Big32();
		const uint32 claimed = bytes.Big32();
		const size_t length = std::min<size_t>(claimed, bytes.Left());
		const std::vector<uint8> record(bytes.Here(), bytes.Here() + length);
		bytes.Skip(length);
		if (key == psdKey("cmnS")) {
			// Its version, then whether the effects show.
			settings->enabled = record.size() < 5 || record[4] != 0;
			continue;
		}
		PSDEffectSettings effect;
		if (readEffect(key, record, context, &effect) && ofKind[effect.kind] < most) {
			ofKind[effect.kind]++;
			settings->effects.push_back(effect);
		}
	}
	// Photoshop's order, bottom first, whatever the block's.
	std::stable_sort(
	    settings->effects.begin(), settings->effects.end(),
	    [](const PSDEffectSettings& a, const PSDEffectSettings& b) { return a.kind < b.kind; });
	return !settings->effects.empty();
}
