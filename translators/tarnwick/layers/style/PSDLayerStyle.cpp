#include "PSDLayerStyle.h"

#include "PSDLegacyEffects.h"
#include "PSDPaintReading.h"
#include "PSDPatternTable.h"

#include <core/PSDBytes.h>

#include <algorithm>

namespace {

double clamp(double value, double low, double high)
{
	return std::min(high, std::max(low, value));
}

// A contour's curve points, 0 to 255 each way in the file.
std::vector<PSDContourPoint> readContour(const PSDDescriptor* contour)
{
	std::vector<PSDContourPoint> points;
	if (contour == nullptr)
		return points;
	for (const PSDDescriptorValue& element : contour->List("Crv ")) {
		const PSDDescriptor* point = element.AsDescriptor();
		if (point != nullptr)
			points.push_back({clamp(point->Number("Hrzn", 0) / 255, 0, 1),
			                  clamp(point->Number("Vrtc", 0) / 255, 0, 1),
			                  !point->Bool("Cnty", true)});
	}
	// Two points from corner to corner are the straight line.
	if (points.size() == 2 && points[0].input == 0 && points[0].output == 0 &&
	    points[1].input == 1 && points[1].output == 1)
		points.clear();
	return points;
}

// The paint of an overlay or a stroke: its colour, gradient or pattern;
// the colour where the others cannot be had.
PSDPaintSettings readPaint(const PSDDescriptor& d, const PSDModelContext& context,
                           const std::string& kind, PSDPatternTable& patterns)
{
	PSDPaintSettings paint;
	paint.colour = psdReadColour(d.Child("Clr "), context.mode);
	if (kind == "GrFl" && psdReadGradient(d, context.mode, &paint.gradient))
		paint.kind = PSD_PAINT_GRADIENT;
	else if (kind == "Ptrn" && psdReadPatternPaint(d, patterns, &paint.pattern))
		paint.kind = PSD_PAINT_PATTERN;
	return paint;
}

// Bevel and emboss ('ebbl'): the effect's mode, opacity and colour are its
// highlight's.
void readBevel(const PSDDescriptor& d, const PSDModelContext& context, PSDEffectSettings* effect)
{
	PSDBevelSettings& bevel = effect->bevel;
	const bool global = d.Bool("uglg", true);
	effect->angle = global ? context.globalAngle : d.Number("lagl", 120);
	bevel.altitude = clamp(global ? context.globalAltitude : d.Number("Lald", 30), 0, 90);
	effect->blendMode = psdBlendModeFromName(d.Enum("hglM", "Scrn"));
	effect->opacity = (float)clamp(d.Number("hglO", 75) / 100, 0, 1);
	effect->paint.colour = psdReadColour(d.Child("hglC"), context.mode);
	bevel.shadow.blendMode = psdBlendModeFromName(d.Enum("sdwM", "Mltp"));
	bevel.shadow.opacity = (float)clamp(d.Number("sdwO", 75) / 100, 0, 1);
	bevel.shadow.colour = psdReadColour(d.Child("sdwC"), context.mode);
	const std::string style = d.Enum("bvlS", "InrB");
	bevel.style = style == "OtrB"   ? PSD_BEVEL_OUTER
	              : style == "Embs" ? PSD_BEVEL_EMBOSS
	              : style == "PlEb" ? PSD_BEVEL_PILLOW_EMBOSS
	                                : PSD_BEVEL_INNER;
	bevel.smooth = d.Enum("bvlT", "SfBL") == "SfBL";
	bevel.depth = clamp(d.Number("srgR", 100) / 100, 0.01, 10);
	bevel.up = d.Enum("bvlD", "In  ") != "Out ";
	effect->size = clamp(d.Number("blur", 5), 0, kPSDMostEffectSize);
	bevel.soften = clamp(d.Number("Sftn", 0), 0, 16);
	effect->contour = readContour(d.Child("TrnS"));
}

PSDEffectSettings readEffect(PSDEffectKind kind, const PSDDescriptor& d,
                             const PSDModelContext& context, PSDPatternTable& patterns)
{
	PSDEffectSettings effect;
	effect.kind = kind;
	effect.enabled = d.Bool("enab", true) && d.Bool("present", true);
	effect.blendMode = psdBlendModeFromName(d.Enum("Md  ", "Nrml"));
	effect.opacity = (float)clamp(d.Number("Opct", 100) / 100, 0, 1);
	effect.spread = clamp(d.Number("Ckmt", 0) / 100, 0, 1);
	effect.size = clamp(d.Number("blur", 0), 0, kPSDMostEffectSize);
	effect.distance = d.Number("Dstn", 0);
	switch (kind) {
	case PSD_EFFECT_DROP_SHADOW:
	case PSD_EFFECT_INNER_SHADOW:
		effect.angle = d.Bool("uglg", true) ? context.globalAngle : d.Number("lagl", 120);
		effect.knockedOut = d.Bool("layerConceals", true);
		effect.contour = readContour(d.Child("TrnS"));
		break;
	case PSD_EFFECT_OUTER_GLOW:
	case PSD_EFFECT_INNER_GLOW:
		effect.precise = d.Enum("GlwT", "SfBL") == "PrBL";
		effect.fromCentre = d.Enum("glwS", "SrcE") == "SrcC";
		effect.contour = readContour(d.Child("TrnS"));
		break;
	case PSD_EFFECT_SATIN:
		effect.angle = d.Number("lagl", 19);
		effect.inverted = d.Bool("Invr", true);
		effect.contour = readContour(d.Child("MpgS"));
		break;
	case PSD_EFFECT_STROKE: {
		effect.size = clamp(d.Number("Sz  ", 1), 0, kPSDMostEffectSize);
		const std::string style = d.Enum("Styl", "OutF");
		effect.position = style == "InsF"   ? PSD_STROKE_INSIDE
		                  : style == "CtrF" ? PSD_STROKE_CENTRE
		                                    : PSD_STROKE_OUTSIDE;
		effect.paint = readPaint(d, context, d.Enum("PntT", "SClr"), patterns);
		return effect;
	}
	case PSD_EFFECT_PATTERN_OVERLAY:
		effect.paint = readPaint(d, context, "Ptrn", patterns);
		return effect;
	case PSD_EFFECT_GRADIENT_OVERLAY:
		effect.paint = readPaint(d, context, "GrFl", patterns);
		return effect;
	case PSD_EFFECT_COLOUR_OVERLAY:
		break;
	case PSD_EFFECT_BEVEL:
		readBevel(d, context, &effect);
		return effect;
	}
	effect.paint.colour = psdReadColour(d.Child("Clr "), context.mode);
	// A glow of a gradient takes its first colour, as Photoshop's binary
	// form of the same glow does.
	PSDGradientSettings gradient;
	if (d.Child("Clr ") == nullptr && psdReadGradient(d, context.mode, &gradient))
		std::copy_n(gradient.colours.front().value, gradient.channels, effect.paint.colour.value);
	return effect;
}

// The effects of one kind: its key's, and its list's in newer files (whose
// first is drawn on top), bottom first, no more than the limit.
void readKind(PSDEffectKind kind, const char* key, const char* listKey, const PSDDescriptor& style,
              const PSDModelContext& context, PSDPatternTable& patterns,
              std::vector<PSDEffectSettings>* effects)
{
	std::vector<const PSDDescriptor*> found;
	const size_t most = (size_t)std::max(0, context.limits.effectsOfAKind);
	if (const PSDDescriptor* single = style.Child(key))
		found.push_back(single);
	if (listKey != nullptr) {
		const std::vector<PSDDescriptorValue>& list = style.List(listKey);
		std::vector<const PSDDescriptor*> listed;
		for (auto it = list.begin(); it != list.end() && found.size() + listed.size() < most;
		     ++it) {
			if (it->AsDescriptor() != nullptr)
				listed.push_back(it->AsDescriptor());
		}
		found.insert(found.end(), listed.rbegin(), listed.rend());
	}
	found.resize(std::min(found.size(), most));
	for (const PSDDescriptor* effect : found)
		effects->push_back(readEffect(kind, *effect, context, patterns));
}

void readStyle(const PSDDescriptor& style, const PSDModelContext& context,
               PSDPatternTable& patterns, PSDLayerStyleSettings* settings)
{
	// The style's scale ('Scl ') is already in its sizes.
	settings->enabled = style.Bool("masterFXSwitch", true);
	std::vector<PSDEffectSettings>& effects = settings->effects;
	readKind(PSD_EFFECT_DROP_SHADOW, "DrSh", "dropShadowMulti", style, context, patterns, &effects);
	readKind(PSD_EFFECT_OUTER_GLOW, "OrGl", nullptr, style, context, patterns, &effects);
	readKind(PSD_EFFECT_PATTERN_OVERLAY, "patternFill", nullptr, style, context, patterns,
	         &effects);
	readKind(PSD_EFFECT_GRADIENT_OVERLAY, "GrFl", "gradientFillMulti", style, context, patterns,
	         &effects);
	readKind(PSD_EFFECT_COLOUR_OVERLAY, "SoFi", "solidFillMulti", style, context, patterns,
	         &effects);
	readKind(PSD_EFFECT_SATIN, "ChFX", nullptr, style, context, patterns, &effects);
	readKind(PSD_EFFECT_INNER_GLOW, "IrGl", nullptr, style, context, patterns, &effects);
	readKind(PSD_EFFECT_INNER_SHADOW, "IrSh", "innerShadowMulti", style, context, patterns,
	         &effects);
	readKind(PSD_EFFECT_STROKE, "FrFX", "frameFXMulti", style, context, patterns, &effects);
	readKind(PSD_EFFECT_BEVEL, "ebbl", nullptr, style, context, patterns, &effects);
}

} // namespace

PSDLayerStyleSettings psdReadLayerStyle(const PSDModelContext& context, const PSDLayer& layer,
                                        PSDPatternTable& patterns)
{
	PSDLayerStyleSettings settings;
	// 'lmfx' and 'lfx2' keep a version of their own in front of the
	// descriptor's.
	PSDDescriptor style;
	if (psdReadDescriptorBlock(context, layer, psdKey("lmfx"), 4, &style) ||
	    psdReadDescriptorBlock(context, layer, psdKey("lfx2"), 4, &style))
		readStyle(style, context, patterns, &settings);
	else if (!psdReadLegacyEffects(context, layer, &settings))
		return settings;

	const PSDBlock* interior = layer.Block(psdKey("infx"));
	uint8 asGroup = 0;
	if (interior != nullptr && interior->length >= 1)
		psdReadAt(context.in, interior->offset, &asGroup, 1);
	settings.interiorAsGroup = asGroup != 0;
	return settings;
}
