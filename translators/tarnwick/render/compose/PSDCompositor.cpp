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

PSDCompositor::PSDCompositor(BPositionIO* in, const PSDRenderTarget& target,
                             const PSDLayers& layers, const PSDLayerNode& root)
    : fIn(in), fTarget(target), fLayers(layers), fRoot(root), fTop(0), fRows(0)
{
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
                               PSDBand** band)
{
	while (bands.size() <= index)
		bands.emplace_back();
	if (!bands[index]) {
		bands[index].reset(new (std::nothrow) PSDBand);
		if (!bands[index] ||
		    bands[index]->Allocate(fTarget.colours, fTarget.width, fRows) != B_OK) {
			bands[index].reset();
			return B_NO_MEMORY;
		}
	}
	*band = bands[index].get();
	(*band)->SetTop(fTop);
	return B_OK;
}

PSDLayerPainter* PSDCompositor::Painter(int record, bool group, status_t* status)
{
	if (fPainters.size() != fLayers.layers.size())
		fPainters.resize(fLayers.layers.size());
	std::unique_ptr<PSDLayerPainter>& painter = fPainters[(size_t)record];
	if (painter)
		return painter.get();
	painter.reset(new (std::nothrow) PSDLayerPainter(fIn, fTarget, fLayers.layers[record], group));
	*status = painter ? painter->Init() : B_NO_MEMORY;
	if (*status != B_OK) {
		painter.reset();
		return nullptr;
	}
	return painter.get();
}

float PSDCompositor::Opacity(const PSDLayer& layer, bool* hasFill, float* fill)
{
	*hasFill = false;
	*fill = 1;
	const PSDBlock* block = layer.Block(psdKey("iOpa"));
	uint8 value;
	if (block != nullptr && block->length >= 1 && psdReadAt(fIn, block->offset, &value, 1)) {
		*hasFill = true;
		*fill = value / 255.0f;
	}
	return layer.opacity / 255.0f;
}

status_t PSDCompositor::ReadBlending()
{
	const size_t count = fLayers.layers.size();
	try {
		fKnockouts.assign(count, 0);
		fRestrictions.assign(count, 0);
		fBlendIfs.resize(count);
		for (size_t i = 0; i < count; i++) {
			const PSDLayer& layer = fLayers.layers[i];
			const PSDBlock* block = layer.Block(psdKey("knko"));
			uint8 value;
			if (block != nullptr && block->length >= 1 && psdReadAt(fIn, block->offset, &value, 1))
				fKnockouts[i] = std::min<uint8>(value, 2);
			fDeepKnockout = fDeepKnockout || fKnockouts[i] == 2;
			fRestrictions[i] = Restrictions(layer);
			PSDBlendIf blendIf(layer.blendingRanges, fTarget);
			if (blendIf.Active())
				fBlendIfs[i].reset(new PSDBlendIf(blendIf));
		}
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

// 'brst' lists the channels a layer is kept from, as 32-bit numbers.
uint8 PSDCompositor::Restrictions(const PSDLayer& layer)
{
	const PSDBlock* block = layer.Block(psdKey("brst"));
	uint8 channels[4 * 5];
	if (block == nullptr || block->length < 4)
		return 0;
	const size_t length = (size_t)std::min<uint64>(block->length, sizeof(channels)) / 4 * 4;
	if (!psdReadAt(fIn, block->offset, channels, length))
		return 0;
	uint8 restrictions = 0;
	for (size_t at = 0; at < length; at += 4) {
		const uint32 channel = psdBig32(channels + at);
		if (channel < (uint32)fTarget.colours)
			restrictions |= (uint8)(1 << channel);
	}
	return restrictions;
}

status_t PSDCompositor::Render(PSDBand& band)
{
	fTop = band.Top();
	fRows = band.Rows();
	band.Clear();
	status_t status = fKnockouts.size() == fLayers.layers.size() ? B_OK : ReadBlending();
	if (status == B_OK)
		status = Compose(fRoot.children, band, 0);
	// Layers wholly above the next band are done with.
	for (std::unique_ptr<PSDLayerPainter>& painter : fPainters) {
		if (painter && painter->Reach().bottom <= fTop + fRows)
			painter.reset();
	}
	return status;
}

status_t PSDCompositor::Compose(const std::vector<PSDLayerNode>& nodes, PSDBand& target, int depth)
{
	// Where a layer here knocks out, what lay below them all is kept; the
	// document's background layer counts as lying below.
	bool knocks = depth == 0 && fDeepKnockout;
	for (const PSDLayerNode& node : nodes)
		knocks = knocks || fKnockouts[(size_t)node.record] == 1;
	const bool background = depth == 0 && !nodes.empty() && !nodes[0].group &&
	                        fLayers.layers[nodes[0].record].Channel(-1) == nullptr;
	PSDBand* below = nullptr;
	size_t i = 0;
	while (i < nodes.size()) {
		if (knocks && below == nullptr && !(background && i == 0)) {
			status_t status = BandAt(fKnockoutBands, (size_t)depth, &below);
			if (status != B_OK)
				return status;
			below->CopyFrom(target);
		}
		// A base layer and the layers clipped to it, right above it.
		size_t end = i + 1;
		while (end < nodes.size() && fLayers.layers[nodes[end].record].clipping != 0)
			end++;
		const PSDLayerNode& base = nodes[i];
		if (fLayers.layers[base.record].Hidden()) {
			i = end;
			continue;
		}
		PSDBand* shape = nullptr;
		if (end > i + 1) {
			status_t status = BandAt(fShapeBands, (size_t)depth, &shape);
			if (status != B_OK)
				return status;
		}
		status_t status = PaintNode(base, target, depth, nullptr, shape);
		for (size_t k = i + 1; k < end && status == B_OK; k++) {
			if (!fLayers.layers[nodes[k].record].Hidden())
				status = PaintNode(nodes[k], target, depth, shape, nullptr);
		}
		if (status == B_OK && end > i + 1 && !base.group)
			status = PaintEffectsAbove(base, target);
		if (status != B_OK)
			return status;
		i = end;
	}
	return B_OK;
}

status_t PSDCompositor::PaintNode(const PSDLayerNode& node, PSDBand& target, int depth,
                                  const PSDBand* clip, PSDBand* shapeOut)
{
	const PSDBand* knockout = nullptr;
	const uint8 kind = fKnockouts[(size_t)node.record];
	if (kind != 0 && clip == nullptr) {
		const size_t level = kind == 2 ? 0 : (size_t)depth;
		if (level < fKnockoutBands.size())
			knockout = fKnockoutBands[level].get();
	}
	if (node.group)
		return PaintGroup(node, target, depth, clip, shapeOut, knockout);
	return PaintLayer(node, target, clip, shapeOut, knockout);
}

status_t PSDCompositor::PaintLayer(const PSDLayerNode& node, PSDBand& target, const PSDBand* clip,
                                   PSDBand* shapeOut, const PSDBand* knockout)
{
	const int colours = fTarget.colours;
	if (shapeOut != nullptr) {
		for (int32 y = fTop; y < fTop + fRows; y++)
			std::fill(shapeOut->Row(colours, y), shapeOut->Row(colours, y) + fTarget.width, 0.0f);
	}
	status_t status = B_OK;
	PSDLayerPainter* painter = Painter(node.record, false, &status);
	if (painter == nullptr)
		return status;
	const PSDRect band = {0, fTop, fTarget.width, fTop + fRows};
	if (painter->Effects() != nullptr && isEmpty(intersection(painter->Extent(), band)) &&
	    !isEmpty(intersection(painter->Reach(), band))) {
		// Only the effects reach this band.
		const PSDLayer& layer = fLayers.layers[node.record];
		bool hasFill;
		float fill;
		const float opacity = Opacity(layer, &hasFill, &fill);
		return painter->Effects()->Composite(
		    *painter, {psdBlendModeFromKey(layer.blendMode), opacity, fill}, clip, target,
		    shapeOut != nullptr ? PSD_EFFECTS_BELOW : PSD_EFFECTS_ALL);
	}
	const PSDRect area = intersection(painter->Extent(), band);
	if (isEmpty(area))
		return B_OK;

	const int32 width = area.right - area.left;
	const size_t planeSize = (size_t)width * (area.bottom - area.top);
	float* colour[5];
	float* shape;
	status = Scratch(width, planeSize, colour, &shape);
	if (status != B_OK)
		return status;
	painter->Paint(area, colour, shape, (size_t)width);

	const PSDLayer& layer = fLayers.layers[node.record];
	bool hasFill;
	float fill;
	const float opacity = Opacity(layer, &hasFill, &fill);
	if (shapeOut != nullptr && (painter->IsAdjustment() || painter->Effects() != nullptr)) {
		// The clipping base's shape, kept before these return: layers
		// clipped to an adjustment are clipped to its masks.
		for (int32 y = area.top; y < area.bottom; y++)
			memcpy(shapeOut->Row(colours, y) + area.left, shape + (size_t)(y - area.top) * width,
			       sizeof(float) * width);
	}
	if (painter->IsAdjustment())
		return Adjust(*painter, psdBlendModeFromKey(layer.blendMode), opacity * fill, area, shape,
		              clip, target);
	if (painter->Effects() != nullptr) {
		return painter->Effects()->Composite(
		    *painter, {psdBlendModeFromKey(layer.blendMode), opacity, fill}, clip, target,
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
		CompositeRow(psdBlendModeFromKey(layer.blendMode), node.record, knockout, fill, source,
		             alpha, area.left, y, (uint32)width, target);
	}
	return B_OK;
}

void PSDCompositor::CompositeRow(PSDBlendMode blendMode, int record, const PSDBand* knockout,
                                 float fill, const float* const source[], float* alpha, int32 left,
                                 int32 y, uint32 count, PSDBand& target)
{
	const int colours = fTarget.colours;
	float* backdrop[5];
	for (int c = 0; c < colours; c++)
		backdrop[c] = target.Row(c, y) + left;
	float* backdropAlpha = target.Row(colours, y) + left;
	const uint8 restricted = fRestrictions[(size_t)record];
	for (int c = 0; c < colours; c++) {
		if ((restricted & 1 << c) != 0)
			memcpy(fRestrictedRow.data() + (size_t)c * count, backdrop[c], sizeof(float) * count);
	}
	const PSDBlendIf* blendIf = fBlendIfs[(size_t)record].get();
	if (knockout == nullptr) {
		if (blendIf != nullptr)
			blendIf->Apply(source, backdrop, backdropAlpha, alpha, count);
		if (fill != 1) {
			for (uint32 x = 0; x < count; x++)
				alpha[x] *= fill;
		}
		psdComposite(blendMode, colours, backdrop, backdropAlpha, source, alpha, count,
		             fBlend.data(), left, y);
	} else {
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
status_t PSDCompositor::PaintEffectsAbove(const PSDLayerNode& base, PSDBand& target)
{
	PSDLayerPainter* painter =
	    fPainters.size() > (size_t)base.record ? fPainters[(size_t)base.record].get() : nullptr;
	if (painter == nullptr || painter->Effects() == nullptr)
		return B_OK;
	const PSDLayer& layer = fLayers.layers[base.record];
	bool hasFill;
	float fill;
	const float opacity = Opacity(layer, &hasFill, &fill);
	return painter->Effects()->Composite(*painter,
	                                     {psdBlendModeFromKey(layer.blendMode), opacity, fill},
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

status_t PSDCompositor::PaintGroup(const PSDLayerNode& node, PSDBand& target, int depth,
                                   const PSDBand* clip, PSDBand* shapeOut, const PSDBand* knockout)
{
	const int colours = fTarget.colours;
	const PSDLayer& layer = fLayers.layers[node.record];
	status_t status = B_OK;
	PSDLayerPainter* painter = Painter(node.record, true, &status);
	if (painter == nullptr)
		return status;
	const bool passThrough = node.blendMode == PSD_BLEND_PASS_THROUGH;
	// A group has no pixels of its own: its fill opacity fades its layers
	// just as its opacity does.
	bool hasFill;
	float fill;
	const float opacity = Opacity(layer, &hasFill, &fill) * fill;
	if (passThrough && opacity >= 1 && !painter->HasMasks() && clip == nullptr &&
	    shapeOut == nullptr)
		return Compose(node.children, target, depth + 1);

	PSDBand* group;
	status = BandAt(fGroupBands, (size_t)depth, &group);
	if (status != B_OK)
		return status;
	if (passThrough)
		group->CopyFrom(target);
	else
		group->Clear();
	status = Compose(node.children, *group, depth + 1);
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
		if (shapeOut != nullptr) {
			float* out = shapeOut->Row(colours, y);
			for (int32 x = 0; x < width; x++)
				out[x] = groupAlpha[x] * weight[x];
		}
		if (passThrough) {
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
		CompositeRow(node.blendMode, node.record, knockout, 1.0f, source, weight, 0, y,
		             (uint32)width, target);
	}
	return B_OK;
}
