#include "PSDLayerEffects.h"

#include "PSDEffect.h"
#include <render/compose/PSDBlendModes.h>

#include <algorithm>
#include <cstring>

namespace {

// Effects that colour the layer's own pixels, which "blend interior effects
// as a group" blends with them before the fill fades them.
bool isInterior(PSDEffectKind kind)
{
	return kind >= PSD_EFFECT_PATTERN_OVERLAY && kind <= PSD_EFFECT_INNER_GLOW;
}

// Effects under the layer's own pixels.
bool isBelow(PSDEffectKind kind)
{
	return kind <= PSD_EFFECT_OUTER_GLOW;
}

class PSDLayerStyle : public PSDLayerEffects {
public:
	PSDLayerStyle(const PSDRenderTarget& target, std::vector<std::unique_ptr<PSDEffect>> effects,
	              bool interiorAsGroup)
	    : fTarget(target), fEffects(std::move(effects)), fInteriorAsGroup(interiorAsGroup)
	{
	}

	PSDRect Extent(const PSDRect& layerExtent) const override
	{
		return grown(layerExtent, Reach());
	}

	uint64 Work(const PSDRect& layerExtent, const PSDRect& canvas) const override
	{
		// Weights against plain compositing, as the effects measure: the
		// shape's planes, its distance to the edge (made once for them all),
		// and each effect's rows. The rows blurs hold count too, so that
		// memory follows the work.
		const uint64 kShape = 1, kDistance = 2, kEffect = 2, kPerHeldByte = 6;
		const PSDRect area = Area(layerExtent, canvas, nullptr, nullptr);
		if (isEmpty(area))
			return 0;
		const int32 width = area.right - area.left;
		uint64 weight = kShape, held = 0;
		bool distance = false;
		for (const std::unique_ptr<PSDEffect>& effect : fEffects) {
			weight += kEffect;
			distance = distance || effect->DistanceRange() > 0;
			held += effect->HeldBytes(width);
		}
		weight += distance ? kDistance : 0;
		return (uint64)width * (uint64)(area.bottom - area.top) * weight + held * kPerHeldByte;
	}

	int32 Reach() const
	{
		int32 reach = 0;
		for (const std::unique_ptr<PSDEffect>& effect : fEffects)
			reach = std::max(reach, effect->Reach());
		return reach;
	}

	status_t Composite(PSDShapeSource& layer, const PSDLayerLook& look, const PSDBand* clip,
	                   PSDBand& target, PSDEffectPart part) override;

private:
	PSDRect Area(const PSDRect& layerExtent, const PSDRect& canvas, PSDRowSpan* alpha,
	             PSDRowSpan* distance) const;
	void Start(PSDShapeSource& layer, int32 bandRows);
	void Allocate(int32 width);
	void Blend(PSDBlendMode mode, float* dest, const float* planes, int32 y, const PSDRect& area,
	           int32 left, int32 right);
	bool PaintContent(PSDShapeSource& layer, int32 y, const PSDRect& area, int32* left,
	                  int32* right);
	const float* EffectRow(size_t index, int32 y);
	bool MakeKnockout(int32 y, const PSDRect& area);
	void PaintEffect(size_t index, int32 y, const PSDRect& area, float* dest, bool knocked = false,
	                 const float* within = nullptr);
	void PaintInterior(size_t* next, int32 y, const PSDRect& area, float* dest, bool knocked);
	void PaintLayer(PSDShapeSource& layer, const PSDLayerLook& look, int32 y, const PSDRect& area,
	                size_t next);

	PSDRenderTarget fTarget;
	std::vector<std::unique_ptr<PSDEffect>> fEffects; // bottom first
	bool fInteriorAsGroup;
	float fFill = 1; // the layer's fill opacity in this composite
	std::unique_ptr<PSDLayerShape> fShape;
	// One row: the composite so far, the source painted onto it, scratch.
	std::vector<float> fWork;
	std::vector<float> fSource;
	std::vector<float> fBlend;
	std::vector<float> fGroup;  // the pixels and interior effects, as a group
	std::vector<float> fKeep;   // how much of them strokes leave, along the row
	std::vector<float> fBelow;  // what lay under the layer's pixels
	std::vector<float> fInside; // what lies within the layer's shape
	// Each effect's last row and its coverage there.
	std::vector<int32> fRowY;
	std::vector<const float*> fRowOf;
};

// The area the effects look at: the canvas's part of their reach and as
// far around it as they see. The spans get the rows of the shape's planes
// each of them asks for at once.
PSDRect PSDLayerStyle::Area(const PSDRect& layerExtent, const PSDRect& canvas, PSDRowSpan* alpha,
                            PSDRowSpan* distance) const
{
	int32 sight = 0;
	for (const std::unique_ptr<PSDEffect>& effect : fEffects) {
		sight = std::max(sight, effect->Sight());
		if (alpha != nullptr)
			effect->Looks(alpha, distance);
	}
	return grown(intersection(Extent(layerExtent), canvas), sight);
}

// The shape's rows over the area. Each plane holds the rows its readers ask
// for at once over a band: the bands' clipped layers come between the
// effects below the layer's pixels and those above, which start the band
// again.
void PSDLayerStyle::Start(PSDShapeSource& layer, int32 bandRows)
{
	int32 range = 0;
	for (const std::unique_ptr<PSDEffect>& effect : fEffects)
		range = std::max(range, effect->DistanceRange());
	PSDRowSpan alpha, distance;
	const PSDRect area =
	    Area(layer.Extent(), {0, 0, fTarget.width, fTarget.height}, &alpha, &distance);
	// A row's distance is made from the shape's rows as far as its range.
	if (!distance.Empty())
		alpha.Add(distance.low, distance.high + range);
	fShape = std::make_unique<PSDLayerShape>(layer, area, range, alpha.Rows() + bandRows,
	                                         distance.Rows() + bandRows);
	for (std::unique_ptr<PSDEffect>& effect : fEffects)
		effect->Start(*fShape);
}

void PSDLayerStyle::Allocate(int32 width)
{
	const int colours = fTarget.colours;
	fWork.resize((size_t)width * (colours + 1));
	fSource.resize((size_t)width * (colours + 1));
	fBlend.resize((size_t)width * colours);
	fBelow.resize((size_t)width * (colours + 1));
	fInside.resize((size_t)width * (colours + 1));
	if (fInteriorAsGroup)
		fGroup.resize((size_t)width * (colours + 1));
}

// Composites planes (colours, then alpha) of the area's width onto dest,
// from x on.
void PSDLayerStyle::Blend(PSDBlendMode mode, float* dest, const float* planes, int32 y,
                          const PSDRect& area, int32 left, int32 right)
{
	const int colours = fTarget.colours;
	const size_t width = (size_t)(area.right - area.left);
	const size_t at = (size_t)(left - area.left);
	float* backdrop[5];
	const float* source[5];
	for (int c = 0; c < colours; c++) {
		backdrop[c] = dest + width * c + at;
		source[c] = planes + width * c + at;
	}
	psdComposite(mode, colours, backdrop, dest + width * colours + at, source,
	             planes + width * colours + at, (uint32)(right - left), fBlend.data(), left, y);
}

// The layer's own pixels into fSource, as far as they go along the row;
// false where the row has none.
bool PSDLayerStyle::PaintContent(PSDShapeSource& layer, int32 y, const PSDRect& area, int32* left,
                                 int32* right)
{
	const PSDRect extent = layer.Extent();
	*left = std::max(area.left, extent.left);
	*right = std::min(area.right, extent.right);
	if (y < extent.top || y >= extent.bottom || *right <= *left)
		return false;
	const int colours = fTarget.colours;
	const size_t width = (size_t)(area.right - area.left);
	const size_t at = (size_t)(*left - area.left);
	float* colour[5];
	for (int c = 0; c < colours; c++)
		colour[c] = fSource.data() + width * c + at;
	layer.Paint({*left, y, *right, y + 1}, colour, fSource.data() + width * colours + at, width);
	return true;
}

// An effect's coverage along row y, made once for the row.
const float* PSDLayerStyle::EffectRow(size_t index, int32 y)
{
	if (fRowY.size() != fEffects.size()) {
		fRowY.assign(fEffects.size(), INT32_MIN);
		fRowOf.assign(fEffects.size(), nullptr);
	}
	if (fRowY[index] != y) {
		fRowOf[index] = fEffects[index]->Row(y);
		fRowY[index] = y;
	}
	return fRowOf[index];
}

// What strokes that cut the layer's pixels leave of them along the row,
// in fKeep; false where none cuts.
bool PSDLayerStyle::MakeKnockout(int32 y, const PSDRect& area)
{
	bool cuts = false;
	const size_t width = (size_t)(area.right - area.left);
	const size_t from = (size_t)(area.left - fShape->Area().left);
	for (size_t i = 0; i < fEffects.size(); i++) {
		if (fEffects[i]->Kind() != PSD_EFFECT_STROKE)
			continue;
		EffectRow(i, y);
		const float* cut = fEffects[i]->Knockout();
		if (cut == nullptr)
			continue;
		if (!cuts)
			fKeep.assign(width, 1.0f);
		cuts = true;
		for (size_t x = 0; x < width; x++)
			fKeep[x] *= 1 - cut[from + x];
	}
	return cuts;
}

void PSDLayerStyle::PaintEffect(size_t index, int32 y, const PSDRect& area, float* dest,
                                bool knocked, const float* within)
{
	PSDEffect& effect = *fEffects[index];
	const int colours = fTarget.colours;
	const int32 count = area.right - area.left;
	const size_t width = (size_t)count;
	float* colour[5];
	for (int c = 0; c < colours; c++)
		colour[c] = fSource.data() + width * c;
	float* alpha = fSource.data() + width * colours;
	effect.Paint()->Row(area.left, y, (uint32)count, colour, alpha);
	const float* coverage = EffectRow(index, y) + (area.left - fShape->Area().left);
	const float opacity = effect.Opacity();
	const PSDBlendMode mode = effect.BlendMode();
	const float* region = effect.Region();
	if (region != nullptr && (mode == PSD_BLEND_LINEAR_DODGE || mode == PSD_BLEND_LINEAR_BURN)) {
		// Over what lies below, the strength fades the colour towards the
		// mode's neutral (black or white) within the region; over nothing
		// it is the alpha as usual.
		region += area.left - fShape->Area().left;
		const float neutral = mode == PSD_BLEND_LINEAR_BURN ? 1.0f : 0.0f;
		const float* below = dest + width * colours;
		for (int32 x = 0; x < count; x++) {
			const float strength = coverage[x] * opacity;
			const float fill = region[x] > 0 ? std::min(1.0f, strength / region[x]) : 0.0f;
			const float shown = below[x];
			for (int c = 0; c < colours; c++) {
				const float faded = neutral + (colour[c][x] - neutral) * fill;
				colour[c][x] += (faded - colour[c][x]) * shown;
			}
			alpha[x] *= region[x] * shown + strength * (1 - shown);
		}
	} else if (effect.KnockedOut()) {
		// Cut by the layer's shape a, so that with the layer's pixels drawn
		// over it at a x fill the two share the pixel without overlapping:
		// an opaque edge pixel shows as much of it as Photoshop's does.
		const float* shape = fShape->Alpha(y) + (area.left - fShape->Area().left);
		for (int32 x = 0; x < count; x++) {
			const float covered = shape[x] * fFill;
			const float kept = covered < 1 ? (1 - shape[x]) / (1 - covered) : 0.0f;
			alpha[x] *= coverage[x] * opacity * kept;
		}
	} else {
		for (int32 x = 0; x < count; x++)
			alpha[x] *= coverage[x] * opacity;
	}
	if (knocked) {
		for (int32 x = 0; x < count; x++)
			alpha[x] *= fKeep[x];
	}
	// Within the shape, of the part of the pixel it covers.
	if (within != nullptr) {
		for (int32 x = 0; x < count; x++)
			alpha[x] = within[x] > 0 ? std::min(1.0f, alpha[x] / within[x]) : 0.0f;
	}
	Blend(mode, dest, fSource.data(), y, area, area.left, area.right);
}

// The interior effects from *next on, clipped to the layer's shape as
// Photoshop clips them: each pixel's part within the shape (the layer's
// pixels over what lay below, fBelow) takes them, the rest keeps fBelow,
// so that at a soft edge they neither spread past the shape nor let the
// pixels under them show.
void PSDLayerStyle::PaintInterior(size_t* next, int32 y, const PSDRect& area, float* dest,
                                  bool knocked)
{
	if (*next >= fEffects.size() || !isInterior(fEffects[*next]->Kind()))
		return;
	const int colours = fTarget.colours;
	const size_t width = (size_t)(area.right - area.left);
	const float* shape = fShape->Alpha(y) + (area.left - fShape->Area().left);
	const float* belowAlpha = fBelow.data() + width * colours;
	float* insideAlpha = fInside.data() + width * colours;
	float* destAlpha = dest + width * colours;
	for (size_t x = 0; x < width; x++) {
		const float a = shape[x];
		const float outside = (1 - a) * belowAlpha[x];
		const float in = a > 0 ? std::min(1.0f, std::max(0.0f, (destAlpha[x] - outside) / a)) : 0;
		insideAlpha[x] = in;
		for (int c = 0; c < colours; c++) {
			const size_t i = width * c + x;
			const float premultiplied =
			    a > 0 ? (dest[i] * destAlpha[x] - fBelow[i] * outside) / a : 0;
			fInside[i] = in > 0 ? std::min(1.0f, std::max(0.0f, premultiplied / in)) : 0;
		}
	}
	for (; *next < fEffects.size() && isInterior(fEffects[*next]->Kind()); ++*next)
		PaintEffect(*next, y, area, fInside.data(), knocked, shape);
	for (size_t x = 0; x < width; x++) {
		const float a = shape[x];
		if (!(a > 0))
			continue;
		const float outside = (1 - a) * belowAlpha[x];
		const float total = outside + a * insideAlpha[x];
		for (int c = 0; c < colours; c++) {
			const size_t i = width * c + x;
			dest[i] =
			    total > 0 ? (fBelow[i] * outside + fInside[i] * a * insideAlpha[x]) / total : 0;
		}
		destAlpha[x] = total;
	}
}

// The layer's pixels faded by its fill, and the effects above them. Interior
// effects blended as a group go onto the pixels first, and fade with them.
void PSDLayerStyle::PaintLayer(PSDShapeSource& layer, const PSDLayerLook& look, int32 y,
                               const PSDRect& area, size_t next)
{
	const int colours = fTarget.colours;
	const size_t width = (size_t)(area.right - area.left);
	float* alpha = fSource.data() + width * colours;
	int32 left, right;
	// Strokes cut the layer's pixels where they lie over them, where every
	// effect is drawn at once.
	const bool knocked = next < fEffects.size() && MakeKnockout(y, area);
	for (size_t i = next; i < fEffects.size(); i++) {
		if (fEffects[i]->UnderPixels())
			PaintEffect(i, y, area, fWork.data());
	}
	if (!fInteriorAsGroup) {
		std::copy(fWork.begin(), fWork.end(), fBelow.begin());
		if (PaintContent(layer, y, area, &left, &right)) {
			for (int32 x = left; x < right; x++)
				alpha[x - area.left] *= look.fill * (knocked ? fKeep[x - area.left] : 1.0f);
			Blend(look.blendMode, fWork.data(), fSource.data(), y, area, left, right);
		}
		PaintInterior(&next, y, area, fWork.data(), knocked);
	} else {
		std::fill(fGroup.begin(), fGroup.end(), 0.0f);
		std::fill(fBelow.begin(), fBelow.end(), 0.0f);
		if (PaintContent(layer, y, area, &left, &right)) {
			for (int p = 0; p <= colours; p++)
				std::copy(fSource.begin() + width * p + (left - area.left),
				          fSource.begin() + width * p + (right - area.left),
				          fGroup.begin() + width * p + (left - area.left));
		}
		PaintInterior(&next, y, area, fGroup.data(), false);
		float* groupAlpha = fGroup.data() + width * colours;
		for (size_t x = 0; x < width; x++)
			groupAlpha[x] *= look.fill * (knocked ? fKeep[x] : 1.0f);
		Blend(look.blendMode, fWork.data(), fGroup.data(), y, area, area.left, area.right);
	}
	for (; next < fEffects.size(); next++) {
		if (!fEffects[next]->UnderPixels())
			PaintEffect(next, y, area, fWork.data());
	}
}

status_t PSDLayerStyle::Composite(PSDShapeSource& layer, const PSDLayerLook& look,
                                  const PSDBand* clip, PSDBand& target, PSDEffectPart part)
{
	if (!fShape)
		Start(layer, target.Rows());
	fFill = look.fill;
	// Interior effects blended as a group stay with the layer's own pixels.
	if (fInteriorAsGroup && part == PSD_EFFECTS_ABOVE)
		return B_OK;
	if (fInteriorAsGroup)
		part = PSD_EFFECTS_ALL;
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	const PSDRect band = {0, target.Top(), fTarget.width, target.Top() + target.Rows()};
	const PSDRect area = intersection(intersection(Extent(layer.Extent()), canvas), band);
	if (isEmpty(area))
		return B_OK;
	const int32 width = area.right - area.left;
	Allocate(width);
	const int colours = fTarget.colours;
	for (int32 y = area.top; y < area.bottom; y++) {
		for (int p = 0; p <= colours; p++)
			memcpy(fWork.data() + (size_t)width * p, target.Row(p, y) + area.left,
			       sizeof(float) * width);
		size_t next = 0;
		for (; next < fEffects.size() && isBelow(fEffects[next]->Kind()); next++) {
			if (part != PSD_EFFECTS_ABOVE)
				PaintEffect(next, y, area, fWork.data());
		}
		if (part == PSD_EFFECTS_ABOVE) {
			for (; next < fEffects.size(); next++)
				PaintEffect(next, y, area, fWork.data());
		} else {
			PaintLayer(layer, look, y, area, part == PSD_EFFECTS_ALL ? next : fEffects.size());
		}

		// The layer and its effects show as far as its opacity and the clip
		// let them: a blend of premultiplied colour with what lay below.
		const float* clipRow = clip != nullptr ? clip->Row(colours, y) + area.left : nullptr;
		float* alpha = target.Row(colours, y) + area.left;
		const float* workAlpha = fWork.data() + (size_t)width * colours;
		for (int32 x = 0; x < width; x++) {
			const float w = look.opacity * (clipRow != nullptr ? clipRow[x] : 1.0f);
			if (w <= 0)
				continue;
			const float a = alpha[x] + (workAlpha[x] - alpha[x]) * w;
			for (int c = 0; c < colours; c++) {
				float* t = target.Row(c, y) + area.left;
				const float g = fWork[(size_t)width * c + x];
				const float premultiplied =
				    t[x] * alpha[x] + (g * workAlpha[x] - t[x] * alpha[x]) * w;
				t[x] = a > 0 ? std::min(1.0f, std::max(0.0f, premultiplied / a)) : 0;
			}
			alpha[x] = a;
		}
	}
	return B_OK;
}

} // namespace

std::unique_ptr<PSDLayerEffects> psdMakeLayerEffects(const PSDLayerStyleSettings& style,
                                                     const PSDRenderTarget& target)
{
	if (!style.enabled)
		return nullptr;
	std::vector<std::unique_ptr<PSDEffect>> effects;
	for (const PSDEffectSettings& settings : style.effects) {
		if (!settings.enabled)
			continue;
		// A bevel's shadow, then its highlight.
		if (settings.kind == PSD_EFFECT_BEVEL)
			effects.push_back(psdMakeBevel(settings, target, true));
		effects.push_back(psdMakeEffect(settings, target));
	}
	if (effects.empty())
		return nullptr;
	return std::make_unique<PSDLayerStyle>(target, std::move(effects), style.interiorAsGroup);
}
