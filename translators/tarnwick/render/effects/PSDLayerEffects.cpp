#include "PSDLayerEffects.h"

#include "PSDEffect.h"
#include <render/compose/PSDBlendModes.h>

#include <core/PSDBytes.h>
#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const uint64 kLargestDescriptor = 16 << 20;
// Effects are made over the layer's reach held whole: layers that reach
// further than this many pixels are drawn without them.
const uint64 kMostEffectPixels = 1 << 23;

// Effects that colour the layer's own pixels, which "blend interior effects
// as a group" blends with them before the fill fades them.
bool isInterior(PSDEffectStage stage)
{
	return stage > PSD_EFFECT_CONTENT && stage <= PSD_EFFECT_INNER_GLOW;
}

class PSDLayerStyle : public PSDLayerEffects {
public:
	PSDLayerStyle(const PSDRenderTarget& target, std::unique_ptr<PSDDescriptor> descriptor)
	    : fTarget(target), fDescriptor(std::move(descriptor))
	{
	}

	PSDRect Extent(const PSDRect& layerExtent) const override
	{
		return grown(layerExtent, Reach());
	}

	int32 Reach() const
	{
		int32 reach = 0;
		for (const std::unique_ptr<PSDEffect>& effect : fEffects)
			reach = std::max(reach, effect->Reach());
		return reach;
	}

	status_t Composite(PSDLayerPainter& painter, const PSDLayerLook& look, const PSDBand* clip,
	                   PSDBand& target, PSDEffectPart part) override;

	// Adds the enabled effects of a key, and of its list in newer files.
	void Read(const PSDEffectContext& context, const char* key, const char* listKey,
	          std::unique_ptr<PSDEffect> (*reader)(const PSDDescriptor&, const PSDEffectContext&));
	void Order();
	bool Empty() const { return fEffects.empty(); }
	void SetInteriorAsGroup(bool group) { fInteriorAsGroup = group; }

private:
	status_t Prepare(PSDLayerPainter& painter);
	status_t Allocate(int32 width);
	void Blend(PSDBlendMode mode, float* dest, const float* planes, int32 y, const PSDRect& area,
	           int32 left, int32 right);
	bool PaintContent(PSDLayerPainter& painter, int32 y, const PSDRect& area, int32* left,
	                  int32* right);
	void PaintEffect(const PSDEffect& effect, int32 y, const PSDRect& area, float* dest);
	void PaintLayer(PSDLayerPainter& painter, const PSDLayerLook& look, int32 y,
	                const PSDRect& area, size_t next);

	PSDRenderTarget fTarget;
	std::unique_ptr<PSDDescriptor> fDescriptor;
	std::vector<std::unique_ptr<PSDEffect>> fEffects; // bottom first
	bool fPrepared = false;
	bool fReady = false;
	bool fInteriorAsGroup = false;
	PSDEffectShape fShape;
	// One row: the composite so far, the source painted onto it, scratch.
	std::vector<float> fWork;
	std::vector<float> fSource;
	std::vector<float> fBlend;
	std::vector<float> fGroup; // the pixels and interior effects, as a group
};

void PSDLayerStyle::Read(const PSDEffectContext& context, const char* key, const char* listKey,
                         std::unique_ptr<PSDEffect> (*reader)(const PSDDescriptor&,
                                                              const PSDEffectContext&))
{
	std::vector<const PSDDescriptor*> found;
	if (const PSDDescriptor* single = fDescriptor->Child(key))
		found.push_back(single);
	if (listKey != nullptr) {
		// The first of a list is drawn on top.
		const std::vector<PSDDescriptorValue>& list = fDescriptor->List(listKey);
		for (auto it = list.rbegin(); it != list.rend(); ++it) {
			if (it->AsDescriptor() != nullptr)
				found.push_back(it->AsDescriptor());
		}
	}
	for (const PSDDescriptor* effect : found) {
		if (!effect->Bool("enab", true) || !effect->Bool("present", true))
			continue;
		std::unique_ptr<PSDEffect> made = reader(*effect, context);
		if (made)
			fEffects.push_back(std::move(made));
	}
}

void PSDLayerStyle::Order()
{
	std::stable_sort(fEffects.begin(), fEffects.end(),
	                 [](const std::unique_ptr<PSDEffect>& a, const std::unique_ptr<PSDEffect>& b) {
		                 return a->Stage() < b->Stage();
	                 });
}

status_t PSDLayerStyle::Prepare(PSDLayerPainter& painter)
{
	// The shape as far around the canvas's part of the reach as effects
	// look for it.
	int32 sight = 0;
	for (const std::unique_ptr<PSDEffect>& effect : fEffects)
		sight = std::max(sight, effect->Sight());
	const PSDRect area = grown(painter.Reach(), sight);
	if (isEmpty(area) ||
	    (uint64)(area.right - area.left) * (uint64)(area.bottom - area.top) > kMostEffectPixels)
		return B_NO_MEMORY;
	status_t status = fShape.Init(painter, area, painter.Box());
	for (size_t i = 0; i < fEffects.size() && status == B_OK; i++)
		status = fEffects[i]->Prepare(fShape);
	fShape.Release();
	return status;
}

status_t PSDLayerStyle::Allocate(int32 width)
{
	const int colours = fTarget.colours;
	try {
		fWork.resize((size_t)width * (colours + 1));
		fSource.resize((size_t)width * (colours + 1));
		fBlend.resize((size_t)width * colours);
		if (fInteriorAsGroup)
			fGroup.resize((size_t)width * (colours + 1));
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
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
bool PSDLayerStyle::PaintContent(PSDLayerPainter& painter, int32 y, const PSDRect& area,
                                 int32* left, int32* right)
{
	const PSDRect extent = painter.Extent();
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
	painter.Paint({*left, y, *right, y + 1}, colour, fSource.data() + width * colours + at, width);
	return true;
}

void PSDLayerStyle::PaintEffect(const PSDEffect& effect, int32 y, const PSDRect& area, float* dest)
{
	const int colours = fTarget.colours;
	const int32 count = area.right - area.left;
	const size_t width = (size_t)count;
	float* colour[5];
	for (int c = 0; c < colours; c++)
		colour[c] = fSource.data() + width * c;
	float* alpha = fSource.data() + width * colours;
	effect.Paint()->Row(area.left, y, (uint32)count, colour, alpha);
	const PSDRect& held = fShape.Area();
	const float* coverage = effect.Coverage().data() +
	                        (size_t)(y - held.top) * (held.right - held.left) +
	                        (area.left - held.left);
	const float opacity = effect.Opacity();
	for (int32 x = 0; x < count; x++)
		alpha[x] *= coverage[x] * opacity;
	Blend(effect.BlendMode(), dest, fSource.data(), y, area, area.left, area.right);
}

// The layer's pixels faded by its fill, and the effects above them. Interior
// effects blended as a group go onto the pixels first, and fade with them.
void PSDLayerStyle::PaintLayer(PSDLayerPainter& painter, const PSDLayerLook& look, int32 y,
                               const PSDRect& area, size_t next)
{
	const int colours = fTarget.colours;
	const size_t width = (size_t)(area.right - area.left);
	float* alpha = fSource.data() + width * colours;
	int32 left, right;
	if (!fInteriorAsGroup) {
		if (PaintContent(painter, y, area, &left, &right)) {
			for (int32 x = left; x < right; x++)
				alpha[x - area.left] *= look.fill;
			Blend(look.blendMode, fWork.data(), fSource.data(), y, area, left, right);
		}
	} else {
		std::fill(fGroup.begin(), fGroup.end(), 0.0f);
		if (PaintContent(painter, y, area, &left, &right)) {
			for (int p = 0; p <= colours; p++)
				std::copy(fSource.begin() + width * p + (left - area.left),
				          fSource.begin() + width * p + (right - area.left),
				          fGroup.begin() + width * p + (left - area.left));
		}
		for (; next < fEffects.size() && isInterior(fEffects[next]->Stage()); next++)
			PaintEffect(*fEffects[next], y, area, fGroup.data());
		float* groupAlpha = fGroup.data() + width * colours;
		for (size_t x = 0; x < width; x++)
			groupAlpha[x] *= look.fill;
		Blend(look.blendMode, fWork.data(), fGroup.data(), y, area, area.left, area.right);
	}
	for (; next < fEffects.size(); next++)
		PaintEffect(*fEffects[next], y, area, fWork.data());
}

status_t PSDLayerStyle::Composite(PSDLayerPainter& painter, const PSDLayerLook& look,
                                  const PSDBand* clip, PSDBand& target, PSDEffectPart part)
{
	if (!fPrepared) {
		fPrepared = true;
		fReady = Prepare(painter) == B_OK;
		if (!fReady)
			fEffects.clear();
	}
	// Interior effects blended as a group stay with the layer's own pixels.
	if (fInteriorAsGroup && part == PSD_EFFECTS_ABOVE)
		return B_OK;
	if (fInteriorAsGroup)
		part = PSD_EFFECTS_ALL;
	const PSDRect band = {0, target.Top(), fTarget.width, target.Top() + target.Rows()};
	const PSDRect area = intersection(fReady ? painter.Reach() : painter.Extent(), band);
	if (isEmpty(area))
		return B_OK;
	const int32 width = area.right - area.left;
	if (Allocate(width) != B_OK)
		return B_NO_MEMORY;
	const int colours = fTarget.colours;
	for (int32 y = area.top; y < area.bottom; y++) {
		for (int p = 0; p <= colours; p++)
			memcpy(fWork.data() + (size_t)width * p, target.Row(p, y) + area.left,
			       sizeof(float) * width);
		size_t next = 0;
		for (; next < fEffects.size() && fEffects[next]->Stage() < PSD_EFFECT_CONTENT; next++) {
			if (part != PSD_EFFECTS_ABOVE)
				PaintEffect(*fEffects[next], y, area, fWork.data());
		}
		if (part == PSD_EFFECTS_ABOVE) {
			for (; next < fEffects.size(); next++)
				PaintEffect(*fEffects[next], y, area, fWork.data());
		} else {
			PaintLayer(painter, look, y, area, part == PSD_EFFECTS_ALL ? next : fEffects.size());
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

std::unique_ptr<PSDEffect> colourOverlay(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return psdOverlay(PSD_EFFECT_COLOUR_OVERLAY, d, c);
}

std::unique_ptr<PSDEffect> gradientOverlay(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return psdOverlay(PSD_EFFECT_GRADIENT_OVERLAY, d, c);
}

std::unique_ptr<PSDEffect> patternOverlay(const PSDDescriptor& d, const PSDEffectContext& c)
{
	return psdOverlay(PSD_EFFECT_PATTERN_OVERLAY, d, c);
}

// The effects descriptor of 'lmfx' or 'lfx2': a version of its own, then a
// versioned descriptor.
std::unique_ptr<PSDDescriptor> readDescriptor(BPositionIO* in, const PSDLayer& layer)
{
	for (uint32 key : {psdKey("lmfx"), psdKey("lfx2")}) {
		const PSDBlock* block = layer.Block(key);
		std::vector<uint8> data;
		if (block == nullptr || !psdReadBlock(in, *block, &data, kLargestDescriptor) ||
		    data.size() < 4)
			continue;
		std::unique_ptr<PSDDescriptor> descriptor(new (std::nothrow) PSDDescriptor);
		if (descriptor &&
		    psdParseVersionedDescriptor(data.data() + 4, data.size() - 4, descriptor.get()))
			return descriptor;
	}
	return nullptr;
}

} // namespace

std::unique_ptr<PSDLayerEffects> psdReadLayerEffects(BPositionIO* in, const PSDRenderTarget& target,
                                                     const PSDLayer& layer)
{
	std::unique_ptr<PSDDescriptor> descriptor = readDescriptor(in, layer);
	if (!descriptor || !descriptor->Bool("masterFXSwitch", true))
		return nullptr;
	// The style's scale ('Scl ') is already in its sizes.
	const double scale = 1;
	const PSDEffectContext context = {in, target, target.globalAngle, scale, target.globalBlocks};
	std::unique_ptr<PSDLayerStyle> style(new (std::nothrow)
	                                         PSDLayerStyle(target, std::move(descriptor)));
	if (!style)
		return nullptr;
	style->Read(context, "DrSh", "dropShadowMulti", psdDropShadow);
	style->Read(context, "OrGl", nullptr, psdOuterGlow);
	style->Read(context, "patternFill", nullptr, patternOverlay);
	style->Read(context, "GrFl", "gradientFillMulti", gradientOverlay);
	style->Read(context, "SoFi", "solidFillMulti", colourOverlay);
	style->Read(context, "ChFX", nullptr, psdSatin);
	style->Read(context, "IrGl", nullptr, psdInnerGlow);
	style->Read(context, "IrSh", "innerShadowMulti", psdInnerShadow);
	style->Read(context, "FrFX", "frameFXMulti", psdStroke);
	if (style->Empty())
		return nullptr;
	style->Order();
	const PSDBlock* interior = layer.Block(psdKey("infx"));
	uint8 asGroup = 0;
	if (interior != nullptr && interior->length >= 1)
		psdReadAt(in, interior->offset, &asGroup, 1);
	style->SetInteriorAsGroup(asGroup != 0);
	return style;
}
