#include "PSDLayerPainter.h"

#include "PSDScaledRows.h"

#include <render/adjust/PSDAdjustment.h>
#include <render/effects/PSDLayerEffects.h>
#include <render/shape/PSDBlur.h>

#include <core/PSDBytes.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>
#include <layers/adjustments/PSDAdjustmentSettings.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const uint64 kLargestDescriptor = 16 << 20;

// How far past the canvas a layer's pixels are ever asked for.
const int32 kFarPastCanvas = 1 << 16;
// How far past the canvas a layer's pixels are read, for effects whose
// shadows and glows reach onto the canvas from outside it.
const int32 kSeenPastCanvas = 512;

bool readDescriptorBlock(BPositionIO* in, const PSDLayer& layer, uint32 key,
                         PSDDescriptor* descriptor)
{
	const PSDBlock* block = layer.Block(key);
	std::vector<uint8> data;
	return block != nullptr && psdReadBlock(in, *block, &data, kLargestDescriptor) &&
	       psdParseVersionedDescriptor(data.data(), data.size(), descriptor);
}

// Newer shape layers keep a solid fill as vector content ('vscg': the kind
// of fill, then its descriptor).
bool readShapeContent(BPositionIO* in, const PSDLayer& layer, PSDDescriptor* descriptor)
{
	const PSDBlock* block = layer.Block(psdKey("vscg"));
	std::vector<uint8> data;
	return block != nullptr && psdReadBlock(in, *block, &data, kLargestDescriptor) &&
	       data.size() > 4 && psdBig32(data.data()) == psdKey("SoCo") &&
	       psdParseVersionedDescriptor(data.data() + 4, data.size() - 4, descriptor);
}

PSDRect farPastCanvas(const PSDRenderTarget& target)
{
	return {-kFarPastCanvas, -kFarPastCanvas, target.width + kFarPastCanvas,
	        target.height + kFarPastCanvas};
}

} // namespace

PSDLayerPainter::PSDLayerPainter(const PSDModelLayer& layer, const PSDLayer& record,
                                 const PSDRenderTarget& target, PSDRenderSource& source,
                                 BPositionIO* in)
    : fLayer(layer), fRecord(record), fTarget(target), fSource(source), fIn(in),
      fGroup(layer.kind == PSD_LAYER_GROUP)
{
}

PSDLayerPainter::~PSDLayerPainter() {}

status_t PSDLayerPainter::Init()
{
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	fBounds = fTarget.Canvas(fLayer.bounds);
	fIsAdjustment = fLayer.kind == PSD_LAYER_ADJUSTMENT;
	if (fGroup || fIsAdjustment) {
		fExtent = canvas;
	} else if (fLayer.kind == PSD_LAYER_FILL) {
		InitFill();
	}
	// A layer of pixels, or a fill drawn here in no other way (a noise
	// gradient, a pattern): Photoshop keeps what it drew in the channels.
	const bool pixels = !fGroup && !fIsAdjustment && !fFill;
	if (pixels)
		fExtent = intersection(fBounds, canvas);

	// A fill goes on past the canvas; pixels as far as the layer's bounds.
	fPaintable = fFill ? farPastCanvas(fTarget) : fBounds;
	if (fGroup || fIsAdjustment)
		fPaintable = fExtent;
	const PSDModelUserMask& mask = fLayer.userMask;
	if (mask.present) {
		fMaskRect = fTarget.Canvas(mask.rect);
		const float density = mask.density / 255.0f;
		fMaskOutside = 1 - density * (1 - mask.defaultColour / 255.0f);
		const int32 reach =
		    psdBlurReach(std::min(mask.feather, kPSDBlurMaxRadius) * fTarget.scale) + 1;
		fFeatheredReach = mask.feather > 0 ? reach : 0;
		// What a mask hides all around its pixels is never painted, and a
		// feathered mask is made no further out than its blur reaches.
		if (fMaskOutside == 0) {
			const PSDRect shown = grown(fMaskRect, reach);
			fExtent = intersection(fExtent, shown);
			fPaintable = intersection(fPaintable, shown);
		}
		if (mask.feather > 0)
			fPaintable = intersection(fPaintable, grown(canvas, reach));
	}
	fPaintable = intersection(fPaintable, farPastCanvas(fTarget));

	fVectorParameters.density = fLayer.vectorMask.density;
	fVectorParameters.feather = fLayer.vectorMask.feather;
	if (fLayer.vectorMask.present && fFill)
		ReadStroke();
	fReach = fExtent;
	if (!fGroup && !fIsAdjustment) {
		fEffects = psdReadLayerEffects(fIn, fTarget, fRecord);
		if (fEffects)
			fReach = intersection(fEffects->Extent(fExtent), canvas);
	}
	return B_OK;
}

void PSDLayerPainter::InitFill()
{
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	PSDDescriptor fill;
	if (readDescriptorBlock(fIn, fRecord, psdKey("GdFl"), &fill)) {
		// A gradient aligns with the layer: its shape, or else its user
		// mask's rectangle, or else the document.
		PSDRect box = canvas;
		if (fLayer.vectorMask.present && fLayer.vectorMask.path.knots > 0)
			box = fTarget.Canvas(fLayer.vectorMask.path.anchorBox);
		else if (fRecord.mask.user.present && !isEmpty(fRecord.mask.user.rect) &&
		         !(fRecord.mask.user.flags & PSD_MASK_DISABLED))
			box = fTarget.Canvas(fRecord.mask.user.rect);
		PSDGradientFill gradient;
		if (gradient.Init(fill, fTarget.mode, canvas, box)) {
			fFill.reset(new PSDGradientLayerFill(std::move(gradient)));
			fExtent = canvas;
		}
	} else if (readDescriptorBlock(fIn, fRecord, psdKey("SoCo"), &fill) ||
	           readShapeContent(fIn, fRecord, &fill)) {
		float colour[5] = {};
		const PSDDescriptor* value = fill.Child("Clr ");
		if (value != nullptr)
			psdDescriptorColor(*value, fTarget.mode, colour);
		fFill.reset(new PSDSolidFill(colour, fTarget.colours));
		fExtent = canvas;
	}
}

void PSDLayerPainter::Begin()
{
	fBegun = true;
	// Tables are made when needed: a document may hold thousands of
	// adjustments, and the work they would cost is weighed first.
	if (fIsAdjustment && fLayer.adjustment)
		fAdjustment = psdMakeAdjustment(*fLayer.adjustment, fTarget, fSource);
	const bool pixels = !fGroup && !fIsAdjustment && !fFill;
	if (pixels)
		OpenChannels();
	if (fLayer.userMask.present)
		OpenUserMask();
}

void PSDLayerPainter::Finish()
{
	fAdjustment.reset();
	fColour.clear();
	fTransparency.reset();
	fMaskRows.reset();
	fFeathered.reset();
	std::vector<float>().swap(fRow);
}

// What can show on the canvas and what effects around it may see of the
// layer.
PSDRect PSDLayerPainter::ChannelWindow() const
{
	return intersection(intersection(fPaintable, fBounds),
	                    grown({0, 0, fTarget.width, fTarget.height}, kSeenPastCanvas));
}

uint64 PSDLayerPainter::ReadWork() const
{
	// Deflate, the densest compression, packs at most this many bytes into one.
	const uint64 kMostPacked = 1032;
	auto read = [this, kMostPacked](const PSDLayerChannel& channel, const PSDRect& rect,
	                                const PSDRect& window) {
		const PSDRect samples = intersection(fTarget.Document(window), rect);
		const uint64 area = isEmpty(samples) ? 0
		                                     : (uint64)(samples.right - samples.left) *
		                                           (uint64)(samples.bottom - samples.top);
		return std::min(area, channel.length > UINT64_MAX / kMostPacked
		                          ? UINT64_MAX / 4
		                          : channel.length * kMostPacked);
	};
	uint64 work = 0;
	if (!fGroup && !fIsAdjustment && !fFill) {
		const PSDRect window = ChannelWindow();
		for (const PSDLayerChannel& channel : fLayer.colour)
			work += read(channel, fLayer.bounds, window);
		work += read(fLayer.transparency, fLayer.bounds, window);
	}
	if (fLayer.userMask.present) {
		work +=
		    read(fLayer.userMask.channel, fLayer.userMask.rect, grown(fPaintable, fFeatheredReach));
	}
	// Every row an edge crosses is a pass of the rasteriser, which samples
	// each pixel's row many times over.
	const double kPathRow = 16;
	if (fLayer.vectorMask.present)
		work += (uint64)std::min(1e18, fLayer.vectorMask.path.rows * fTarget.scale * kPathRow *
		                                   (fStroke.enabled ? 3 : 1));
	return work;
}

// The colour and transparency channels.
void PSDLayerPainter::OpenChannels()
{
	fWindow = ChannelWindow();
	if (isEmpty(fWindow))
		return;
	fRow.resize((size_t)(fWindow.right - fWindow.left));
	fColour.resize((size_t)fTarget.colours);
	for (int c = 0; c < fTarget.colours && c < (int)fLayer.colour.size(); c++) {
		if (fLayer.colour[(size_t)c].length == 0)
			continue;
		fColour[(size_t)c].reset(new PSDScaledRows(fSource, fLayer.colour[(size_t)c], fLayer.bounds,
		                                           fWindow, fTarget, PSDScaledRows::kColour));
	}
	if (fLayer.hasTransparency) {
		fTransparency.reset(new PSDScaledRows(fSource, fLayer.transparency, fLayer.bounds, fWindow,
		                                      fTarget, PSDScaledRows::kCoverage));
	}
}

// The mask's pixels as far as they can show: the canvas, and around it as
// far as a feather reaches.
void PSDLayerPainter::OpenUserMask()
{
	const PSDModelUserMask& mask = fLayer.userMask;
	const double feather = std::min(mask.feather, kPSDBlurMaxRadius) * fTarget.scale;
	if (feather > 0) {
		fFeathered.reset(new PSDFeatheredMask(fPaintable.left, fPaintable.right, feather,
		                                      fMaskOutside,
		                                      [this](int32 y, int32 left, int32 count, float* row) {
			                                      SharpMaskRow(y, left, count, row);
		                                      }));
	}
	const int32 reach = fFeathered ? fFeathered->Reach() : 0;
	fMaskWindow = intersection(
	    fMaskRect, grown(intersection(fPaintable, {0, 0, fTarget.width, fTarget.height}), reach));
	if (isEmpty(fMaskWindow))
		return;
	fMaskRows.reset(new PSDScaledRows(fSource, mask.channel, mask.rect, fMaskWindow, fTarget,
	                                  PSDScaledRows::kCoverage, mask.defaultColour / 255.0f));
	fRow.resize(std::max(fRow.size(), (size_t)(fMaskWindow.right - fMaskWindow.left)));
}

// The mask, with its density, before any feather: its pixels, and its
// default colour all around them.
void PSDLayerPainter::SharpMaskRow(int32 y, int32 left, int32 count, float* row)
{
	std::fill(row, row + count, fMaskOutside);
	if (!fMaskRows || y < fMaskWindow.top || y >= fMaskWindow.bottom)
		return;
	const int32 from = std::max(left, fMaskWindow.left);
	const int32 to = std::min(left + count, fMaskWindow.right);
	if (from >= to)
		return;
	float* values = fRow.data();
	fMaskRows->Row(y, values);
	const float density = fLayer.userMask.density / 255.0f;
	for (int32 x = from; x < to; x++)
		row[x - left] = 1 - density * (1 - values[x - fMaskWindow.left]);
}

// Multiplies shape by the user mask over area.
void PSDLayerPainter::ApplyUserMask(const PSDRect& area, float* shape, size_t stride)
{
	const int32 width = area.right - area.left;
	std::vector<float> mask((size_t)width * (area.bottom - area.top), fMaskOutside);
	if (fFeathered) {
		fFeathered->Rows(area, mask.data(), (size_t)width);
	} else {
		for (int32 y = area.top; y < area.bottom; y++)
			SharpMaskRow(y, area.left, width, mask.data() + (size_t)(y - area.top) * width);
	}
	for (int32 y = area.top; y < area.bottom; y++) {
		float* row = shape + (size_t)(y - area.top) * stride;
		const float* values = mask.data() + (size_t)(y - area.top) * width;
		for (int32 x = 0; x < width; x++)
			row[x] *= values[x];
	}
}

void PSDLayerPainter::ReadStroke()
{
	PSDDescriptor stroke;
	if (!readDescriptorBlock(fIn, fRecord, psdKey("vstk"), &stroke))
		return;
	fStroke.fill = stroke.Bool("fillEnabled", true);
	const double width = stroke.Number("strokeStyleLineWidth", 0);
	// Points become pixels at the resolution the stroke was made for.
	const double scale = stroke.Unit("strokeStyleLineWidth") == "#Pnt"
	                         ? stroke.Number("strokeStyleResolution", 72) / 72
	                         : 1;
	fStroke.width = std::min(width * scale, 10000.0);
	fStroke.enabled = stroke.Bool("strokeEnabled", false) && fStroke.width > 0;
	// Shapes combined by path operations are stroked along the outline of
	// what they make, which strokes of their own outlines would not give.
	size_t shapes = 0;
	for (const PSDOutline& outline : fLayer.vectorMask.path.outlines)
		shapes += outline.operation != kPSDPathSameShape;
	if (shapes > 1)
		fStroke.enabled = false;
	const std::string alignment = stroke.Enum("strokeStyleLineAlignment");
	fStroke.alignment = alignment == "strokeStyleAlignCenter"    ? kPSDStrokeCentre
	                    : alignment == "strokeStyleAlignOutside" ? kPSDStrokeOutside
	                                                             : kPSDStrokeInside;
	fStroke.opacity =
	    (float)std::min(1.0, std::max(0.0, stroke.Number("strokeStyleOpacity", 100) / 100));
	const PSDDescriptor* content = stroke.Child("strokeStyleContent");
	const PSDDescriptor* colour = content != nullptr ? content->Child("Clr ") : nullptr;
	if (colour == nullptr || psdDescriptorColor(*colour, fTarget.mode, fStroke.colour) == 0)
		fStroke.enabled = false;
}

PSDRect PSDLayerPainter::Box() const
{
	if (fLayer.vectorMask.present && fLayer.vectorMask.path.knots > 0)
		return fTarget.Canvas(fLayer.vectorMask.path.anchorBox);
	return fBounds;
}

void PSDLayerPainter::Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride)
{
	const int32 width = area.right - area.left;
	if (width <= 0 || area.bottom <= area.top)
		return;
	for (int32 y = area.top; y < area.bottom; y++) {
		const size_t at = (size_t)(y - area.top) * stride;
		float* rowColour[5];
		for (int c = 0; c < fTarget.colours; c++)
			rowColour[c] = colour[c] + at;
		if (fGroup || fIsAdjustment) {
			std::fill(shape + at, shape + at + width, 1.0f);
			continue;
		}
		if (fFill) {
			fFill->Row(area.left, y, (uint32)width, rowColour, shape + at);
			continue;
		}
		PaintPixels(area, y, rowColour, shape + at);
	}
	if (fLayer.vectorMask.present)
		PaintShape(area, colour, shape, stride);
	if (fLayer.userMask.present)
		ApplyUserMask(area, shape, stride);
}

// A row of the layer's pixels over area: what the channels hold, and nothing
// (transparent) around them.
void PSDLayerPainter::PaintPixels(const PSDRect& area, int32 y, float* const colour[], float* shape)
{
	const int32 width = area.right - area.left;
	const int32 left = std::max(area.left, fWindow.left);
	const int32 right = std::min(area.right, fWindow.right);
	if (y < fWindow.top || y >= fWindow.bottom || left >= right) {
		for (int c = 0; c < fTarget.colours; c++)
			std::fill(colour[c], colour[c] + width, 0.0f);
		std::fill(shape, shape + width, 0.0f);
		return;
	}
	const bool whole =
	    left == area.left && right == area.right && left == fWindow.left && right == fWindow.right;
	// Rows the width of the window go straight where they are wanted.
	auto read = [&](PSDScaledRows* rows, float* out, float missing) {
		if (whole && rows != nullptr) {
			rows->Row(y, out);
			return;
		}
		std::fill(out, out + (left - area.left), 0.0f);
		std::fill(out + (right - area.left), out + width, 0.0f);
		if (rows == nullptr) {
			std::fill(out + (left - area.left), out + (right - area.left), missing);
		} else {
			rows->Row(y, fRow.data());
			memcpy(out + (left - area.left), fRow.data() + (left - fWindow.left),
			       sizeof(float) * (right - left));
		}
	};
	for (int c = 0; c < fTarget.colours; c++)
		read(fColour[(size_t)c].get(), colour[c], 0.0f);
	read(fTransparency.get(), shape, 1.0f);
}

// The vector mask over the layer's paint, and a shape layer's stroke drawn
// over its fill along the path, as the layer's own content.
void PSDLayerPainter::PaintShape(const PSDRect& area, float* const colour[], float* shape,
                                 size_t stride)
{
	const int32 width = area.right - area.left;
	const int32 rows = area.bottom - area.top;
	std::vector<float> plane((size_t)width * rows);
	if (psdVectorMaskPlane(fLayer.vectorMask.path, fVectorParameters, area, plane.data(),
	                       (size_t)width, fTarget.scale) != B_OK)
		return;
	const float fill = fStroke.enabled && !fStroke.fill ? 0.0f : 1.0f;
	for (int32 y = 0; y < rows; y++) {
		float* row = shape + (size_t)y * stride;
		const float* mask = plane.data() + (size_t)y * width;
		for (int32 x = 0; x < width; x++)
			row[x] *= mask[x] * fill;
	}
	if (!fStroke.enabled)
		return;
	std::vector<uint8> stroke((size_t)width * rows);
	if (psdVectorMaskStrokeCoverage(fLayer.vectorMask.path, area, fStroke.width, fStroke.alignment,
	                                stroke.data(), (size_t)width, fTarget.scale) != B_OK)
		return;
	for (int32 y = 0; y < rows; y++) {
		float* row = shape + (size_t)y * stride;
		const uint8* covered = stroke.data() + (size_t)y * width;
		for (int32 x = 0; x < width; x++) {
			const float s = covered[x] / 255.0f * fStroke.opacity;
			if (s <= 0)
				continue;
			const float a = s + row[x] * (1 - s);
			for (int c = 0; c < fTarget.colours; c++) {
				float& value = colour[c][(size_t)y * stride + x];
				value = (s * fStroke.colour[c] + row[x] * (1 - s) * value) / a;
			}
			row[x] = a;
		}
	}
}
