#include "PSDLayerPainter.h"

#include "PSDScaledRows.h"

#include <render/adjust/PSDAdjustment.h>
#include <render/effects/PSDLayerEffects.h>
#include <render/shape/PSDBlur.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// How far past the canvas a layer's pixels are ever asked for.
const int32 kFarPastCanvas = 1 << 16;
// How far past the canvas a layer's pixels are read, for effects whose
// shadows and glows reach onto the canvas from outside it.
const int32 kSeenPastCanvas = 512;

PSDRect farPastCanvas(const PSDRenderTarget& target)
{
	return {-kFarPastCanvas, -kFarPastCanvas, target.width + kFarPastCanvas,
	        target.height + kFarPastCanvas};
}

} // namespace

PSDLayerPainter::PSDLayerPainter(const PSDModelLayer& layer, const PSDRenderTarget& target,
                                 PSDRenderSource& source)
    : fLayer(layer), fTarget(target), fSource(source), fGroup(layer.kind == PSD_LAYER_GROUP)
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
		// An artboard's layers show inside its rectangle alone.
		if (fLayer.artboard.present)
			fExtent = intersection(canvas, fTarget.Canvas(fLayer.artboard.rect));
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
	fReach = fExtent;
	if (!fGroup && !fIsAdjustment && fLayer.style.enabled) {
		fEffects = psdMakeLayerEffects(fLayer.style, fTarget);
		if (fEffects)
			fReach = intersection(fEffects->Extent(fExtent), canvas);
	}
	return B_OK;
}

void PSDLayerPainter::InitFill()
{
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	// A gradient or pattern aligns with the layer: its shape, or else its
	// user mask's rectangle, or else the document.
	PSDBounds box = toBounds(canvas);
	if (fLayer.fillPaint.paint.kind == PSD_PAINT_SOLID) {
	} else if (fLayer.vectorMask.present && fLayer.vectorMask.path.knots > 0) {
		box = toBounds(fTarget.Canvas(fLayer.vectorMask.path.anchorBox));
	} else if (!isEmpty(fLayer.fillBox)) {
		box = toBounds(fTarget.Canvas(fLayer.fillBox));
	}
	fFill = psdMakeFill(fLayer.fillPaint.paint, fTarget, box);
	fExtent = canvas;
}

void PSDLayerPainter::Begin()
{
	fBegun = true;
	// Tables are made when needed: a document may hold thousands of
	// adjustments, and the work they would cost is weighed first.
	if (fIsAdjustment && fLayer.adjustment)
		fAdjustment = psdMakeAdjustment(*fLayer.adjustment, fTarget, fSource);
	Open(fContent, true);
}

void PSDLayerPainter::Finish()
{
	fAdjustment.reset();
	fContent = Readers();
	fShape = Readers();
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
		                                   (fLayer.stroke.enabled ? 3 : 1));
	return work;
}

// The colour and transparency channels, or, for the shape alone, the
// transparency; and the user mask.
void PSDLayerPainter::Open(Readers& readers, bool colour)
{
	readers.open = true;
	const bool pixels = !fGroup && !fIsAdjustment && !fFill;
	fWindow = pixels ? ChannelWindow() : PSDRect{0, 0, 0, 0};
	if (!isEmpty(fWindow)) {
		readers.row.resize((size_t)(fWindow.right - fWindow.left));
		readers.colour.resize((size_t)fTarget.colours);
		for (int c = 0; colour && c < fTarget.colours && c < (int)fLayer.colour.size(); c++) {
			if (fLayer.colour[(size_t)c].length == 0)
				continue;
			readers.colour[(size_t)c].reset(new PSDScaledRows(fSource, fLayer.colour[(size_t)c],
			                                                  fLayer.bounds, fWindow, fTarget,
			                                                  PSDScaledRows::kColour));
		}
		if (fLayer.hasTransparency) {
			readers.transparency.reset(new PSDScaledRows(fSource, fLayer.transparency,
			                                             fLayer.bounds, fWindow, fTarget,
			                                             PSDScaledRows::kCoverage));
		}
	}
	if (fLayer.userMask.present)
		OpenUserMask(readers);
}

// The mask's pixels as far as they can show: the canvas, and around it as
// far as a feather reaches.
void PSDLayerPainter::OpenUserMask(Readers& readers)
{
	const PSDModelUserMask& mask = fLayer.userMask;
	const double feather = std::min(mask.feather, kPSDBlurMaxRadius) * fTarget.scale;
	if (feather > 0) {
		readers.feathered.reset(
		    new PSDFeatheredMask(fPaintable.left, fPaintable.right, feather, fMaskOutside,
		                         [this, &readers](int32 y, int32 left, int32 count, float* row) {
			                         SharpMaskRow(readers, y, left, count, row);
		                         }));
	}
	const int32 reach = readers.feathered ? readers.feathered->Reach() : 0;
	fMaskWindow = intersection(
	    fMaskRect, grown(intersection(fPaintable, {0, 0, fTarget.width, fTarget.height}), reach));
	if (isEmpty(fMaskWindow))
		return;
	readers.maskRows.reset(new PSDScaledRows(fSource, mask.channel, mask.rect, fMaskWindow, fTarget,
	                                         PSDScaledRows::kCoverage,
	                                         mask.defaultColour / 255.0f));
	readers.row.resize(
	    std::max(readers.row.size(), (size_t)(fMaskWindow.right - fMaskWindow.left)));
}

// The mask, with its density, before any feather: its pixels, and its
// default colour all around them.
void PSDLayerPainter::SharpMaskRow(Readers& readers, int32 y, int32 left, int32 count, float* row)
{
	std::fill(row, row + count, fMaskOutside);
	if (!readers.maskRows || y < fMaskWindow.top || y >= fMaskWindow.bottom)
		return;
	const int32 from = std::max(left, fMaskWindow.left);
	const int32 to = std::min(left + count, fMaskWindow.right);
	if (from >= to)
		return;
	float* values = readers.row.data();
	readers.maskRows->Row(y, values);
	const float density = fLayer.userMask.density / 255.0f;
	for (int32 x = from; x < to; x++)
		row[x - left] = 1 - density * (1 - values[x - fMaskWindow.left]);
}

// Multiplies shape by the user mask over area.
void PSDLayerPainter::ApplyUserMask(Readers& readers, const PSDRect& area, float* shape,
                                    size_t stride)
{
	const int32 width = area.right - area.left;
	std::vector<float> mask((size_t)width * (area.bottom - area.top), fMaskOutside);
	if (readers.feathered) {
		readers.feathered->Rows(area, mask.data(), (size_t)width);
	} else {
		for (int32 y = area.top; y < area.bottom; y++)
			SharpMaskRow(readers, y, area.left, width,
			             mask.data() + (size_t)(y - area.top) * width);
	}
	for (int32 y = area.top; y < area.bottom; y++) {
		float* row = shape + (size_t)(y - area.top) * stride;
		const float* values = mask.data() + (size_t)(y - area.top) * width;
		for (int32 x = 0; x < width; x++)
			row[x] *= values[x];
	}
}

PSDBounds PSDLayerPainter::Box() const
{
	if (fLayer.vectorMask.present && fLayer.vectorMask.path.knots > 0)
		return toBounds(fTarget.Canvas(fLayer.vectorMask.path.anchorBox));
	// Effects align with where a shape's anchors lie, not the pixels they
	// reach, as Photoshop's gradients on polygons show.
	const PSDBounds& shape = fLayer.keptShapeBounds;
	if (!isEmpty(shape)) {
		const double s = fTarget.scale;
		return {shape.left * s, shape.top * s, shape.right * s, shape.bottom * s};
	}
	if (!isEmpty(fLayer.textBox))
		return toBounds(fTarget.Canvas(fLayer.textBox));
	return toBounds(fBounds);
}

void PSDLayerPainter::Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride)
{
	Draw(fContent, area, colour, shape, stride);
}

void PSDLayerPainter::Shape(const PSDRect& area, float* shape, size_t stride)
{
	if (!fShape.open)
		Open(fShape, false);
	const size_t plane = stride * (size_t)std::max(0, area.bottom - area.top);
	fShapeColour.resize(plane * fTarget.colours);
	float* colour[5];
	for (int c = 0; c < fTarget.colours; c++)
		colour[c] = fShapeColour.data() + plane * c;
	Draw(fShape, area, colour, shape, stride);
}

void PSDLayerPainter::Draw(Readers& readers, const PSDRect& area, float* const colour[],
                           float* shape, size_t stride)
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
		PaintPixels(readers, area, y, rowColour, shape + at);
	}
	if (fLayer.vectorMask.present)
		PaintShape(area, colour, shape, stride);
	if (fLayer.userMask.present)
		ApplyUserMask(readers, area, shape, stride);
}

// A row of the layer's pixels over area: what the channels hold, and nothing
// (transparent) around them.
void PSDLayerPainter::PaintPixels(Readers& readers, const PSDRect& area, int32 y,
                                  float* const colour[], float* shape)
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
			rows->Row(y, readers.row.data());
			memcpy(out + (left - area.left), readers.row.data() + (left - fWindow.left),
			       sizeof(float) * (right - left));
		}
	};
	for (int c = 0; c < fTarget.colours; c++) {
		read((size_t)c < readers.colour.size() ? readers.colour[(size_t)c].get() : nullptr,
		     colour[c], 0.0f);
	}
	read(readers.transparency.get(), shape, 1.0f);
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
	const PSDShapeStrokeSettings& stroke = fLayer.stroke;
	const float fill = stroke.enabled && !stroke.fill ? 0.0f : 1.0f;
	for (int32 y = 0; y < rows; y++) {
		float* row = shape + (size_t)y * stride;
		const float* mask = plane.data() + (size_t)y * width;
		for (int32 x = 0; x < width; x++)
			row[x] *= mask[x] * fill;
	}
	if (!stroke.enabled)
		return;
	const PSDStrokeAlignment alignment = stroke.position == PSD_STROKE_CENTRE    ? kPSDStrokeCentre
	                                     : stroke.position == PSD_STROKE_OUTSIDE ? kPSDStrokeOutside
	                                                                             : kPSDStrokeInside;
	std::vector<uint8> covered((size_t)width * rows);
	if (psdVectorMaskStrokeCoverage(fLayer.vectorMask.path, area, stroke.width, alignment,
	                                covered.data(), (size_t)width, fTarget.scale) != B_OK)
		return;
	for (int32 y = 0; y < rows; y++) {
		float* row = shape + (size_t)y * stride;
		const uint8* coverage = covered.data() + (size_t)y * width;
		for (int32 x = 0; x < width; x++) {
			const float s = coverage[x] / 255.0f * stroke.opacity;
			if (s <= 0)
				continue;
			const float a = s + row[x] * (1 - s);
			for (int c = 0; c < fTarget.colours; c++) {
				float& value = colour[c][(size_t)y * stride + x];
				value = (s * stroke.colour.value[c] + row[x] * (1 - s) * value) / a;
			}
			row[x] = a;
		}
	}
}
