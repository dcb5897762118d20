#include "PSDCompositor.h"

#include "PSDBlendModes.h"
#include <render/adjust/PSDAdjustment.h>
#include <render/effects/PSDLayerEffects.h>

#include <core/PSDBytes.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A band holds about this many bytes, so that it stays in the caches while
// every layer is composited onto it.
const size_t kBandBytes = 2 << 20;
const int32 kMostBandRows = 256;

// Moves premultiplied colour and alpha toward the other's, by weight.
void mixTowards(int colours, float* const colour[], float* alpha, const float* const otherColour[],
                const float* otherAlpha, const float* weight, uint32 count)
{
	for (uint32 x = 0; x < count; x++) {
		const float w = weight[x];
		if (w <= 0)
			continue;
		const float a = alpha[x] + (otherAlpha[x] - alpha[x]) * w;
		for (int c = 0; c < colours; c++) {
			float* t = colour[c];
			const float own = t[x] * alpha[x];
			const float premultiplied = own + (otherColour[c][x] * otherAlpha[x] - own) * w;
			t[x] = a > 0 ? std::min(1.0f, std::max(0.0f, premultiplied / a)) : 0;
		}
		alpha[x] = a;
	}
}

} // namespace

PSDCompositor::PSDCompositor(const PSDModel& model, const PSDRenderTarget& target,
                             PSDRenderSource& source)
    : fModel(model), fTarget(target), fTop(0), fRows(0)
{
	fPainters.resize(model.records);
	Collect(model.document.children, source);
}

// A painter for every layer that can show, made before anything is drawn.
void PSDCompositor::Collect(const std::vector<PSDModelLayer>& layers, PSDRenderSource& source)
{
	for (const PSDModelLayer& layer : layers) {
		if (layer.hidden)
			continue;
		fPainters[(size_t)layer.record].reset(new PSDLayerPainter(layer, fTarget, source));
		fDeepKnockout = fDeepKnockout || layer.knockout == 2;
		if (layer.blendIf.count > 0) {
			PSDBlendIf blendIf(layer.blendIf, fTarget);
			if (blendIf.Active()) {
				fBlendIfs.resize(fPainters.size());
				fBlendIfs[(size_t)layer.record].reset(new PSDBlendIf(blendIf));
			}
		}
		Collect(layer.children, source);
	}
}

status_t PSDCompositor::Init()
{
	for (std::unique_ptr<PSDLayerPainter>& painter : fPainters) {
		if (!painter)
			continue;
		status_t status = painter->Init();
		if (status != B_OK)
			return status;
	}
	return B_OK;
}

int32 PSDCompositor::BandRows(const PSDRenderTarget& target)
{
	const size_t rowBytes = (size_t)target.width * (target.colours + 1) * sizeof(float);
	const size_t rows = rowBytes == 0 ? 1 : kBandBytes / rowBytes;
	return (int32)std::max<size_t>(1, std::min<size_t>(rows, kMostBandRows));
}

status_t PSDCompositor::Scratch(int32 width, size_t planeSize, float* colour[], float** shape)
{
	const int colours = fTarget.colours;
	try {
		fColour.resize(planeSize * (colours + 1));
		fBlend.resize((size_t)width * colours);
		fKnockoutRow.resize((size_t)width * (colours + 2));
		fRestrictedRow.resize((size_t)width * colours);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	for (int c = 0; c < colours; c++)
		colour[c] = fColour.data() + planeSize * c;
	*shape = fColour.data() + planeSize * colours;
	return B_OK;
}

status_t PSDCompositor::BandAt(std::vector<std::unique_ptr<PSDBand>>& bands, size_t index,
                               PSDBand** band, int colours)
{
	while (bands.size() <= index)
		bands.emplace_back();
	if (!bands[index]) {
		bands[index].reset(new (std::nothrow) PSDBand);
		if (!bands[index] || bands[index]->Allocate(colours, fTarget.width, fRows) != B_OK) {
			bands[index].reset();
			return B_NO_MEMORY;
		}
	}
	*band = bands[index].get();
	(*band)->SetTop(fTop);
	return B_OK;
}

uint64 PSDCompositor::Work() const
{
	// Weights of a layer's area, roughly what each costs against plain
	// compositing.
	const uint64 kPainted = 2, kMasked = 2, kGroup = 3;
	const uint64 kSetUp = 4096;
	const uint64 kMost = UINT64_MAX / 8;
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	auto area = [](const PSDRect& r) {
		return isEmpty(r) ? 0 : (uint64)(r.right - r.left) * (uint64)(r.bottom - r.top);
	};
	uint64 work = 2 * area(canvas);
	for (const std::unique_ptr<PSDLayerPainter>& painter : fPainters) {
		if (!painter)
			continue;
		uint64 weight = painter->Layer().kind == PSD_LAYER_GROUP ? kGroup : kPainted;
		if (painter->HasMasks())
			weight += kMasked;
		// A group works on whole rows of its band, whatever part of them it
		// reaches (an artboard, a masked group).
		PSDRect reach = intersection(painter->Reach(), canvas);
		if (painter->Layer().kind == PSD_LAYER_GROUP && !isEmpty(reach))
			reach = {0, reach.top, canvas.right, reach.bottom};
		const uint64 covered = area(reach);
		const uint64 cost = covered > kMost / weight ? kMost : covered * weight;
		const uint64 read = std::min(kMost, painter->ReadWork());
		const uint64 effects =
		    painter->Effects() == nullptr
		        ? 0
		        : std::min(kMost, painter->Effects()->Work(painter->Extent(), canvas));
		work =
		    std::min(UINT64_MAX / 2, work + cost + read + effects + kSetUp + (uint64)fTarget.width);
	}
	return work;
}

// The layer's painter, its channels opened once the bands reach it; null
// where it paints nothing in this band, or is done with.
PSDLayerPainter* PSDCompositor::Painter(const PSDModelLayer& layer)
{
	PSDLayerPainter* painter = fPainters[(size_t)layer.record].get();
	const PSDRect band = {0, fTop, fTarget.width, fTop + fRows};
	if (painter == nullptr || isEmpty(intersection(painter->Reach(), band)))
		return nullptr;
	if (!painter->Begun())
		painter->Begin();
	return painter;
}

status_t PSDCompositor::Render(PSDBand& band)
{
	fTop = band.Top();
	fRows = band.Rows();
	band.Clear();
	status_t status = Compose(fModel.document.children, band, 0);
	// Layers wholly above the next band are done with for good.
	for (std::unique_ptr<PSDLayerPainter>& painter : fPainters) {
		if (painter && painter->Reach().bottom <= fTop + fRows) {
			painter->Finish();
			painter.reset();
		}
	}
	return status;
}

status_t PSDCompositor::Compose(const std::vector<PSDModelLayer>& nodes, PSDBand& target, int depth)
{
	// Where a layer here knocks out, what lay below them all is kept; the
	// document's background layer counts as lying below.
	bool knocks = depth == 0 && fDeepKnockout;
	for (const PSDModelLayer& node : nodes)
		knocks = knocks || node.knockout == 1;
	const bool background = depth == 0 && !nodes.empty() && nodes[0].kind != PSD_LAYER_GROUP &&
	                        !nodes[0].hasTransparency;
	PSDBand* below = nullptr;
	size_t i = 0;
	while (i < nodes.size()) {
		if (knocks && below == nullptr && !(background && i == 0)) {
			status_t status = BandAt(fKnockoutBands, (size_t)depth, &below, fTarget.colours);
			if (status != B_OK)
				return status;
			below->CopyFrom(target);
		}
		// A base layer and the layers clipped to it, right above it.
		size_t end = i + 1;
		while (end < nodes.size() && nodes[end].clipped)
			end++;
		const PSDModelLayer& base = nodes[i];
		if (base.hidden) {
			i = end;
			continue;
		}
		PSDBand* shape = nullptr;
		if (end > i + 1) {
			status_t status = BandAt(fShapeBands, (size_t)depth, &shape, fTarget.colours);
			if (status != B_OK)
				return status;
		}
		status_t status = PaintNode(base, target, depth, nullptr, shape);
		for (size_t k = i + 1; k < end && status == B_OK; k++) {
			if (!nodes[k].hidden)
				status = PaintNode(nodes[k], target, depth, shape, nullptr);
		}
		if (status == B_OK && end > i + 1 && base.kind != PSD_LAYER_GROUP)
			status = PaintEffectsAbove(base, target);
		if (status != B_OK)
			return status;
		i = end;
	}
	return B_OK;
}

status_t PSDCompositor::PaintNode(const PSDModelLayer& node, PSDBand& target, int depth,
                                  const PSDBand* clip, PSDBand* shapeOut)
{
	const PSDBand* knockout = nullptr;
	const uint8 kind = node.knockout;
	if (kind != 0 && clip == nullptr) {
		const size_t level = kind == 2 ? 0 : (size_t)depth;
		if (level < fKnockoutBands.size())
			knockout = fKnockoutBands[level].get();
	}
	if (node.kind == PSD_LAYER_GROUP)
		return PaintGroup(node, target, depth, clip, shapeOut, knockout);
	return PaintLayer(node, target, clip, shapeOut, knockout);
}

status_t PSDCompositor::PaintLayer(const PSDModelLayer& node, PSDBand& target, const PSDBand* clip,
                                   PSDBand* shapeOut, const PSDBand* knockout)
{
	const int colours = fTarget.colours;
	ClearShape(shapeOut);
	PSDLayerPainter* painter = Painter(node);
	if (painter == nullptr)
		return B_OK;
	const PSDRect band = {0, fTop, fTarget.width, fTop + fRows};
	if (painter->Effects() != nullptr && isEmpty(intersection(painter->Extent(), band))) {
		// Only the effects reach this band.
		return painter->Effects()->Composite(
		    *painter, {node.blendMode, node.opacity, node.fill}, clip, target,
		    shapeOut != nullptr ? PSD_EFFECTS_BELOW : PSD_EFFECTS_ALL);
	}
	const PSDRect area = intersection(painter->Extent(), band);
	if (isEmpty(area))
		return B_OK;

	const int32 width = area.right - area.left;
	const size_t planeSize = (size_t)width * (area.bottom - area.top);
	float* colour[5];
	float* shape;
	status_t status = Scratch(width, planeSize, colour, &shape);
	if (status != B_OK)
		return status;
	painter->Paint(area, colour, shape, (size_t)width);

	const float opacity = node.opacity;
	const float fill = node.fill;
	if (shapeOut != nullptr && (painter->IsAdjustment() || painter->Effects() != nullptr)) {
		// The clipping base's shape, kept before these return: layers
		// clipped to an adjustment are clipped to its masks.
		for (int32 y = area.top; y < area.bottom; y++)
			memcpy(shapeOut->Row(colours, y) + area.left, shape + (size_t)(y - area.top) * width,
			       sizeof(float) * width);
	}
	if (painter->IsAdjustment())
		return Adjust(*painter, node.blendMode, opacity * fill, area, shape, clip, target);
	if (painter->Effects() != nullptr) {
		// Of what its effects cover, the layer's own pixels count towards
		// a group's shape.
		for (int32 y = area.top; fTrack != nullptr && y < area.bottom; y++) {
			Track(shape + (size_t)(y - area.top) * width,
			      clip != nullptr ? clip->Row(colours, y) + area.left : nullptr, opacity * fill,
			      area.left, y, (uint32)width);
		}
		return painter->Effects()->Composite(
		    *painter, {node.blendMode, opacity, fill}, clip, target,
		    shapeOut != nullptr ? PSD_EFFECTS_BELOW : PSD_EFFECTS_ALL);
	}
	for (int32 y = area.top; y < area.bottom; y++) {
		const size_t at = (size_t)(y - area.top) * width;
		float* alpha = shape + at;
		if (shapeOut != nullptr)
			memcpy(shapeOut->Row(colours, y) + area.left, alpha, sizeof(float) * width);
		const float* clipRow = clip != nullptr ? clip->Row(colours, y) + area.left : nullptr;
		for (int32 x = 0; x < width; x++)
			alpha[x] *= opacity * (clipRow != nullptr ? clipRow[x] : 1.0f);
		const float* source[5];
		for (int c = 0; c < colours; c++)
			source[c] = colour[c] + at;
		CompositeRow(node, knockout, fill, source, alpha, area.left, y, (uint32)width, target);
	}
	return B_OK;
}

void PSDCompositor::CompositeRow(const PSDModelLayer& layer, const PSDBand* knockout, float fill,
                                 const float* const source[], float* alpha, int32 left, int32 y,
                                 uint32 count, PSDBand& target)
{
	const PSDBlendMode blendMode = layer.blendMode;
	const int colours = fTarget.colours;
	float* backdrop[5];
	for (int c = 0; c < colours; c++)
		backdrop[c] = target.Row(c, y) + left;
	float* backdropAlpha = target.Row(colours, y) + left;
	const uint8 restricted = layer.restrictions;
	for (int c = 0; c < colours; c++) {
		if ((restricted & 1 << c) != 0)
			memcpy(fRestrictedRow.data() + (size_t)c * count, backdrop[c], sizeof(float) * count);
	}
	const PSDBlendIf* blendIf =
	    (size_t)layer.record < fBlendIfs.size() ? fBlendIfs[(size_t)layer.record].get() : nullptr;
	if (knockout == nullptr) {
		if (blendIf != nullptr)
			blendIf->Apply(source, backdrop, backdropAlpha, alpha, count);
		if (fill != 1) {
			for (uint32 x = 0; x < count; x++)
				alpha[x] *= fill;
		}
		Track(alpha, nullptr, 1, left, y, count);
		psdComposite(blendMode, colours, backdrop, backdropAlpha, source, alpha, count,
		             fBlend.data(), left, y);
	} else {
		Track(alpha, nullptr, 1, left, y, count);
		KnockOut(blendMode, knockout, blendIf, fill, source, alpha, left, y, count, backdrop,
		         backdropAlpha);
	}
	for (int c = 0; c < colours; c++) {
		if ((restricted & 1 << c) != 0)
			memcpy(backdrop[c], fRestrictedRow.data() + (size_t)c * count, sizeof(float) * count);
	}
}

// Composited onto a copy of what lay below, which then takes the layer's
// place as far as its shape and opacity go: with its fill opacity at 0 it
// shows what lay below.
void PSDCompositor::KnockOut(PSDBlendMode blendMode, const PSDBand* knockout,
                             const PSDBlendIf* blendIf, float fill, const float* const source[],
                             float* alpha, int32 left, int32 y, uint32 count,
                             float* const backdrop[], float* backdropAlpha)
{
	const int colours = fTarget.colours;
	float* below[5];
	for (int c = 0; c < colours; c++) {
		below[c] = fKnockoutRow.data() + (size_t)c * count;
		memcpy(below[c], knockout->Row(c, y) + left, sizeof(float) * count);
	}
	float* belowAlpha = fKnockoutRow.data() + (size_t)colours * count;
	memcpy(belowAlpha, knockout->Row(colours, y) + left, sizeof(float) * count);
	float* filled = belowAlpha + count;
	if (blendIf != nullptr)
		blendIf->Apply(source, below, belowAlpha, alpha, count);
	for (uint32 x = 0; x < count; x++)
		filled[x] = alpha[x] > 0 ? fill : 0;
	psdComposite(blendMode, colours, below, belowAlpha, source, filled, count, fBlend.data(), left,
	             y);
	mixTowards(colours, backdrop, backdropAlpha, below, belowAlpha, alpha, count);
}

// A clipping base's effects above its pixels cover the layers clipped to it.
status_t PSDCompositor::PaintEffectsAbove(const PSDModelLayer& base, PSDBand& target)
{
	PSDLayerPainter* painter = Painter(base);
	if (painter == nullptr || painter->Effects() == nullptr)
		return B_OK;
	return painter->Effects()->Composite(*painter, {base.blendMode, base.opacity, base.fill},
	                                     nullptr, target, PSD_EFFECTS_ABOVE);
}

// An adjustment layer changes the colours below it, as far as its shape,
// opacity and clip let it and through its blend mode; it adds no coverage.
status_t PSDCompositor::Adjust(const PSDLayerPainter& painter, PSDBlendMode blendMode,
                               float opacity, const PSDRect& area, const float* shape,
                               const PSDBand* clip, PSDBand& target)
{
	const PSDAdjustment* adjustment = painter.Adjustment();
	if (adjustment == nullptr)
		return B_OK;
	const int colours = fTarget.colours;
	const int32 width = area.right - area.left;
	std::vector<float> planes;
	try {
		planes.resize((size_t)width * colours * 2);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	float* adjusted[5];
	float* blended[5];
	for (int c = 0; c < colours; c++) {
		adjusted[c] = planes.data() + (size_t)c * width;
		blended[c] = planes.data() + (size_t)(colours + c) * width;
	}
	for (int32 y = area.top; y < area.bottom; y++) {
		const float* backdrop[5];
		for (int c = 0; c < colours; c++) {
			backdrop[c] = target.Row(c, y) + area.left;
			memcpy(adjusted[c], backdrop[c], sizeof(float) * width);
		}
		adjustment->Apply(adjusted, (uint32)width);
		psdBlendColours(blendMode, colours, backdrop, adjusted, blended, (uint32)width);
		const float* weight = shape + (size_t)(y - area.top) * width;
		const float* clipRow = clip != nullptr ? clip->Row(colours, y) + area.left : nullptr;
		const float* alpha = target.Row(colours, y) + area.left;
		for (int c = 0; c < colours; c++) {
			float* row = target.Row(c, y) + area.left;
			for (int32 x = 0; x < width; x++) {
				// Clipped, it changes the part of the colour that the clip's
				// base gave: all of it where nothing lies below the base.
				const float share = clipRow == nullptr      ? 1.0f
				                    : alpha[x] > clipRow[x] ? clipRow[x] / alpha[x]
				                                            : 1.0f;
				row[x] += (blended[c][x] - row[x]) * weight[x] * opacity * share;
			}
		}
	}
	return B_OK;
}

status_t PSDCompositor::PaintGroup(const PSDModelLayer& node, PSDBand& target, int depth,
                                   const PSDBand* clip, PSDBand* shapeOut, const PSDBand* knockout)
{
	const int colours = fTarget.colours;
	PSDLayerPainter* painter = Painter(node);
	if (painter == nullptr) {
		ClearShape(shapeOut);
		return B_OK;
	}
	const bool passThrough = node.blendMode == PSD_BLEND_PASS_THROUGH;
	// A group has no pixels of its own: its fill opacity fades its layers
	// just as its opacity does.
	const float opacity = node.opacity * node.fill;
	if (passThrough && opacity >= 1 && !painter->HasMasks() && !node.artboard.present &&
	    clip == nullptr && shapeOut == nullptr)
		return Compose(node.children, target, depth + 1);

	PSDBand* group;
	status_t status = BandAt(fGroupBands, (size_t)depth, &group, colours);
	if (status != B_OK)
		return status;
	// What a pass-through group's layers cover is its shape, gathered apart
	// from what lay below, which its band holds too. An isolated group's
	// band holds its shape, and its layers count towards an enclosing
	// group's only through it.
	PSDBand* covered = nullptr;
	if (passThrough && (shapeOut != nullptr || fTrack != nullptr)) {
		status = BandAt(fTrackBands, (size_t)depth, &covered, 0);
		if (status != B_OK)
			return status;
		covered->Clear();
	}
	if (passThrough)
		group->CopyFrom(target);
	else
		group->Clear();
	if (node.artboard.present && !node.artboard.transparent)
		PaintBackground(node.artboard, painter->Extent(), *group, covered);
	PSDBand* const enclosing = fTrack;
	fTrack = covered;
	status = Compose(node.children, *group, depth + 1);
	fTrack = enclosing;
	if (status != B_OK)
		return status;

	// The group's masks, as a shape over the band.
	const PSDRect band = {0, fTop, fTarget.width, fTop + fRows};
	const PSDRect area = intersection(painter->Extent(), band);
	const int32 width = fTarget.width;
	const size_t planeSize = (size_t)width * fRows;
	float* colour[5];
	float* shape;
	status = Scratch(width, planeSize, colour, &shape);
	if (status != B_OK)
		return status;
	std::fill(shape, shape + planeSize, 0.0f);
	if (!isEmpty(area)) {
		painter->Paint(area, colour, shape + (size_t)(area.top - fTop) * width + area.left,
		               (size_t)width);
	}

	for (int32 y = fTop; y < fTop + fRows; y++) {
		float* weight = shape + (size_t)(y - fTop) * width;
		const float* clipRow = clip != nullptr ? clip->Row(colours, y) : nullptr;
		const float* groupAlpha = group->Row(colours, y);
		for (int32 x = 0; x < width; x++)
			weight[x] *= opacity * (clipRow != nullptr ? clipRow[x] : 1.0f);
		const float* own = covered != nullptr ? covered->Row(0, y) : groupAlpha;
		if (shapeOut != nullptr) {
			float* out = shapeOut->Row(colours, y);
			for (int32 x = 0; x < width; x++)
				out[x] = own[x] * weight[x];
		}
		if (passThrough) {
			Track(own, weight, 1, 0, y, (uint32)width);
			// What the group did to the layers below shows as far as its
			// opacity and masks let it.
			float* colourRows[5];
			const float* groupRows[5];
			for (int c = 0; c < colours; c++) {
				colourRows[c] = target.Row(c, y);
				groupRows[c] = group->Row(c, y);
			}
			mixTowards(colours, colourRows, target.Row(colours, y), groupRows, groupAlpha, weight,
			           (uint32)width);
			continue;
		}
		for (int32 x = 0; x < width; x++)
			weight[x] *= groupAlpha[x];
		const float* source[5];
		for (int c = 0; c < colours; c++)
			source[c] = group->Row(c, y);
		CompositeRow(node, knockout, 1.0f, source, weight, 0, y, (uint32)width, target);
	}
	return B_OK;
}

// An artboard's background, opaque over its rectangle, under its layers.
void PSDCompositor::PaintBackground(const PSDModelArtboard& artboard, const PSDRect& extent,
                                    PSDBand& group, PSDBand* covered)
{
	const int colours = fTarget.colours;
	const PSDRect area = intersection(extent, {0, fTop, fTarget.width, fTop + fRows});
	for (int32 y = area.top; y < area.bottom; y++) {
		for (int c = 0; c < colours; c++) {
			float* row = group.Row(c, y);
			std::fill(row + area.left, row + area.right, artboard.background[c]);
		}
		std::fill(group.Row(colours, y) + area.left, group.Row(colours, y) + area.right, 1.0f);
		if (covered != nullptr)
			std::fill(covered->Row(0, y) + area.left, covered->Row(0, y) + area.right, 1.0f);
	}
}

void PSDCompositor::ClearShape(PSDBand* shape)
{
	for (int32 y = fTop; shape != nullptr && y < fTop + fRows; y++) {
		float* row = shape->Row(fTarget.colours, y);
		std::fill(row, row + fTarget.width, 0.0f);
	}
}

// Adds what a layer covers to the open pass-through group's shape: alpha,
// times the weight where there is one, times scale.
void PSDCompositor::Track(const float* alpha, const float* weight, float scale, int32 left, int32 y,
                          uint32 count)
{
	if (fTrack == nullptr)
		return;
	float* shape = fTrack->Row(0, y) + left;
	for (uint32 x = 0; x < count; x++) {
		const float a = alpha[x] * scale * (weight != nullptr ? weight[x] : 1.0f);
		shape[x] += a * (1 - shape[x]);
	}
}
