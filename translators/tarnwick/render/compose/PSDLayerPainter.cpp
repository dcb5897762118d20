#include "PSDLayerPainter.h"

#include <render/adjust/PSDAdjustment.h>
#include <render/effects/PSDLayerEffects.h>
#include <render/shape/PSDBlur.h>

#include <core/PSDBytes.h>
#include <layers/style/PSDPatternTable.h>

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

// Sides of a record's rectangle, which hostile files may turn inside out or
// stretch past 32 bits when subtracted.
uint32 side(int32 low, int32 high)
{
	return high > low ? (uint32)((int64)high - low) : 0;
}

// A fill or shape layer whose pixels Photoshop kept shows them: they are its
// fill, shape and stroke as Photoshop drew them. Without pixels (empty
// bounds) the fill is drawn here from its description.
bool showsKeptPixels(const PSDLayer& layer)
{
	const PSDLayerChannel* transparency = layer.Channel(PSD_CHANNEL_TRANSPARENCY);
	if (transparency == nullptr || transparency->length <= 2 || isEmpty(layer.bounds))
		return false;
	// A vector mask's density and feather are not in the kept pixels.
	if (layer.mask.vectorDensity != 255 || layer.mask.vectorFeather > 0)
		return false;
	return true;
}

bool isFillLayer(const PSDLayer& layer)
{
	return layer.Block(psdKey("SoCo")) != nullptr || layer.Block(psdKey("GdFl")) != nullptr ||
	       layer.Block(psdKey("PtFl")) != nullptr || layer.Block(psdKey("vscg")) != nullptr;
}

// The pixels the path's anchor points span.
PSDRect anchorBounds(const PSDVectorMask& mask, int32 width, int32 height)
{
	double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
	for (const PSDPathKnot& knot : mask.knots) {
		const double x = knot.anchor.x / 16777216.0 * width;
		const double y = knot.anchor.y / 16777216.0 * height;
		left = std::min(left, x);
		right = std::max(right, x);
		top = std::min(top, y);
		bottom = std::max(bottom, y);
	}
	const double limit = 1 << 30;
	auto pixel = [limit](double v) { return (int32)std::max(-limit, std::min(limit, v)); };
	// Anchors on whole pixels come out of the fixed point a hair off them.
	return {pixel(std::round(left)), pixel(std::round(top)), pixel(std::round(right)),
	        pixel(std::round(bottom))};
}

} // namespace

PSDLayerPainter::PSDLayerPainter(BPositionIO* in, const PSDRenderTarget& target,
                                 const PSDLayer& layer, bool group)
    : fIn(in), fTarget(target), fLayer(layer), fGroup(group), fExtent({0, 0, 0, 0}),
      fReach({0, 0, 0, 0}), fPaintable({0, 0, 0, 0}), fWindow({0, 0, 0, 0}), fIsAdjustment(false),
      fHasUserMask(false), fMaskWindow({0, 0, 0, 0}), fFeatheredArea({0, 0, 0, 0}),
      fHasVectorMask(false)
{
}

PSDLayerPainter::~PSDLayerPainter() {}

status_t PSDLayerPainter::Init()
{
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	// Until the layer model holds the settings, they are read here.
	const PSDModelContext context = {
	    fIn, fTarget.mode,         fTarget.colours, fTarget.depth, fTarget.psb, fTarget.globalAngle,
	    30,  fTarget.globalBlocks, PSDModelLimits()};
	fIsAdjustment = !fGroup && psdIsAdjustmentLayer(fLayer);
	PSDFillSettings fill;
	if (fGroup || fIsAdjustment) {
		fExtent = canvas;
		if (fIsAdjustment)
			fAdjustment = psdReadAdjustment(fIn, fTarget, fLayer);
	} else if (!showsKeptPixels(fLayer)) {
		fill = psdReadFill(context, fLayer, *fTarget.patterns);
	}
	if (fill.present) {
		// A gradient or pattern aligns with the layer: its shape, or else its
		// user mask's rectangle, or else the document.
		PSDRect box = canvas;
		if (fill.paint.kind == PSD_PAINT_SOLID) {
		} else if (ReadVectorMask() && !fVectorMask.knots.empty()) {
			box = anchorBounds(fVectorMask, fTarget.width, fTarget.height);
		} else if (fLayer.mask.user.present && !isEmpty(fLayer.mask.user.rect) &&
		           !(fLayer.mask.user.flags & PSD_MASK_DISABLED)) {
			box = fLayer.mask.user.rect;
		}
		fFill = psdMakeFill(fill.paint, fTarget, box, false);
		fExtent = canvas;
	}
	// A layer of pixels, or a fill drawn here in no other way (a noise
	// gradient, a pattern): Photoshop keeps what it drew in the channels.
	const bool pixels = !fGroup && !fIsAdjustment && !fFill;
	if (pixels)
		fExtent = intersection(fLayer.bounds, canvas);

	// A fill goes on past the canvas; pixels as far as the layer's bounds.
	fPaintable = fFill ? PSDRect{-kFarPastCanvas, -kFarPastCanvas, fTarget.width + kFarPastCanvas,
	                             fTarget.height + kFarPastCanvas}
	                   : fLayer.bounds;
	if (fGroup || fIsAdjustment)
		fPaintable = fExtent;
	status_t status = InitUserMask();
	if (status == B_OK && pixels)
		status = InitChannels();
	if (status != B_OK)
		return status;
	if (fHasUserMask) {
		// The mask is known no further than its feathered plane, and hides
		// what lies past its rectangle when its default is black.
		if (!isEmpty(fFeatheredArea))
			fPaintable = intersection(fPaintable, fFeatheredArea);
		if (fUserMask.defaultColour == 0)
			fPaintable = intersection(
			    fPaintable, grown(fUserMask.rect, psdBlurReach(std::min(fLayer.mask.userFeather,
			                                                            kPSDBlurMaxRadius))));
	}
	fPaintable =
	    intersection(fPaintable, {-kFarPastCanvas, -kFarPastCanvas, fTarget.width + kFarPastCanvas,
	                              fTarget.height + kFarPastCanvas});

	// A fill layer shown by its kept pixels has its shape in them already.
	const bool keptShape = pixels && isFillLayer(fLayer);
	if (!keptShape && ReadVectorMask()) {
		fHasVectorMask = true;
		fVectorParameters.density = fLayer.mask.vectorDensity;
		fVectorParameters.feather = fLayer.mask.vectorFeather;
		if (fFill)
			ReadStroke(context);
	}
	fReach = fExtent;
	if (!fGroup && !fIsAdjustment) {
		fEffects =
		    psdMakeLayerEffects(psdReadLayerStyle(context, fLayer, *fTarget.patterns), fTarget);
		if (fEffects)
			fReach = intersection(fEffects->Extent(fExtent), canvas);
	}
	return B_OK;
}

// Readers of the colour and transparency channels, for what can show on the
// canvas and what effects around it may see of the layer.
status_t PSDLayerPainter::InitChannels()
{
	const PSDRect& bounds = fLayer.bounds;
	fWindow = intersection(intersection(fPaintable, bounds),
	                       {-kSeenPastCanvas, -kSeenPastCanvas, fTarget.width + kSeenPastCanvas,
	                        fTarget.height + kSeenPastCanvas});
	const PSDRect window = {
	    (int32)((int64)fWindow.left - bounds.left), (int32)((int64)fWindow.top - bounds.top),
	    (int32)((int64)fWindow.right - bounds.left), (int32)((int64)fWindow.bottom - bounds.top)};
	auto reader = [&](int16 id, std::unique_ptr<PSDChannelReader>* made) -> status_t {
		const PSDLayerChannel* channel = fLayer.Channel(id);
		if (channel == nullptr || isEmpty(fWindow))
			return B_OK;
		made->reset(new (std::nothrow) PSDChannelReader(
		    fIn, *channel, side(bounds.left, bounds.right), side(bounds.top, bounds.bottom), window,
		    fTarget.depth, fTarget.psb));
		return *made ? (*made)->Init() : B_NO_MEMORY;
	};
	try {
		fRow.resize((size_t)(fWindow.right - fWindow.left));
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	fColour.resize((size_t)fTarget.colours);
	for (int c = 0; c < fTarget.colours; c++) {
		status_t status = reader((int16)c, &fColour[(size_t)c]);
		if (status != B_OK)
			return status;
	}
	return reader(PSD_CHANNEL_TRANSPARENCY, &fTransparency);
}

void PSDLayerPainter::ReadStroke(const PSDModelContext& context)
{
	fStroke = psdReadShapeStroke(context, fLayer);
	// Shapes combined by path operations are stroked along the outline of
	// what they make, which strokes of their own outlines would not give.
	size_t shapes = 0;
	for (const PSDSubpath& subpath : fVectorMask.subpaths)
		shapes += subpath.operation != kPSDPathSameShape;
	if (shapes > 1)
		fStroke.enabled = false;
}

PSDRect PSDLayerPainter::Box() const
{
	if (fHasVectorMask && !fVectorMask.knots.empty())
		return anchorBounds(fVectorMask, fTarget.width, fTarget.height);
	return fLayer.bounds;
}

bool PSDLayerPainter::ReadVectorMask()
{
	const PSDBlock* vector = fLayer.Block(psdKey("vmsk"));
	if (vector == nullptr)
		vector = fLayer.Block(psdKey("vsms"));
	std::vector<uint8> path;
	return vector != nullptr && psdReadBlock(fIn, *vector, &path, kLargestDescriptor) &&
	       psdVectorMaskRead(path.data(), path.size(), fVectorMask) == B_OK;
}

status_t PSDLayerPainter::InitUserMask()
{
	const PSDLayerChannel* channel = fLayer.Channel(PSD_CHANNEL_REAL_USER_MASK);
	if (channel == nullptr)
		channel = fLayer.Channel(PSD_CHANNEL_USER_MASK);
	fUserMask = fLayer.mask.user;
	// A mask Photoshop rendered from other data (the vector mask) is no
	// user mask of its own.
	if (channel == nullptr || !fUserMask.present ||
	    (fUserMask.flags & (PSD_MASK_DISABLED | PSD_MASK_FROM_RENDERING)))
		return B_OK;
	fHasUserMask = true;
	const PSDRect& rect = fUserMask.rect;
	const double feather = fLayer.mask.userFeather;
	const int32 reach = psdBlurReach(std::min(feather, kPSDBlurMaxRadius));
	if (fUserMask.defaultColour == 0 && fLayer.mask.userDensity == 255) {
		PSDRect shown = {rect.left - reach, rect.top - reach, rect.right + reach,
		                 rect.bottom + reach};
		fExtent = intersection(fExtent, shown);
	}
	// The mask's pixels as far as they can show: the canvas, and around it
	// as far as a feather reaches.
	const PSDRect canvas = {-reach, -reach, fTarget.width + reach, fTarget.height + reach};
	fMaskWindow = intersection(rect, canvas);
	const PSDRect window = {(int32)((int64)fMaskWindow.left - rect.left),
	                        (int32)((int64)fMaskWindow.top - rect.top),
	                        (int32)((int64)fMaskWindow.right - rect.left),
	                        (int32)((int64)fMaskWindow.bottom - rect.top)};
	fUserMaskReader.reset(new (std::nothrow) PSDChannelReader(
	    fIn, *channel, side(rect.left, rect.right), side(rect.top, rect.bottom), window,
	    fTarget.depth, fTarget.psb));
	if (!fUserMaskReader || fUserMaskReader->Init() != B_OK)
		return B_NO_MEMORY;
	if (reach == 0)
		return B_OK;

	// A feathered mask is held whole, as far as the blur reaches past the
	// canvas; beyond that it is its default colour.
	fFeatheredArea = canvas;
	const size_t width = side(canvas.left, canvas.right);
	try {
		fFeatheredMask.resize(width * side(canvas.top, canvas.bottom));
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	const PSDRect saved = fFeatheredArea;
	fFeatheredArea = {0, 0, 0, 0}; // read the sharp mask into the plane first
	std::fill(fFeatheredMask.begin(), fFeatheredMask.end(), 1.0f);
	ApplyUserMask(saved, fFeatheredMask.data(), width);
	fFeatheredArea = saved;
	return psdBlurPlane(fFeatheredMask.data(), (int32)width, (int32)side(canvas.top, canvas.bottom),
	                    width, feather, kPSDBlurEdgeConstant, fUserMask.defaultColour / 255.0f);
}

// Multiplies shape by the user mask over area.
void PSDLayerPainter::ApplyUserMask(const PSDRect& area, float* shape, size_t stride)
{
	const int32 width = area.right - area.left;
	if (!isEmpty(fFeatheredArea)) {
		for (int32 y = area.top; y < area.bottom; y++) {
			const float* mask =
			    fFeatheredMask.data() +
			    (size_t)(y - fFeatheredArea.top) * side(fFeatheredArea.left, fFeatheredArea.right) +
			    (area.left - fFeatheredArea.left);
			float* row = shape + (size_t)(y - area.top) * stride;
			for (int32 x = 0; x < width; x++)
				row[x] *= mask[x];
		}
		return;
	}
	const PSDRect& rect = fUserMask.rect;
	const float outside = fUserMask.defaultColour / 255.0f;
	const float density = fLayer.mask.userDensity / 255.0f;
	std::vector<float> maskRow((size_t)(fMaskWindow.right - fMaskWindow.left));
	const PSDRect inside = intersection(area, fMaskWindow);
	for (int32 y = area.top; y < area.bottom; y++) {
		float* row = shape + (size_t)(y - area.top) * stride;
		const bool rowInside = y >= inside.top && y < inside.bottom && !isEmpty(inside);
		if (rowInside)
			fUserMaskReader->Row((uint32)((int64)y - rect.top), maskRow.data());
		for (int32 x = 0; x < width; x++) {
			const int32 cx = area.left + x;
			float value = rowInside && cx >= inside.left && cx < inside.right
			                  ? maskRow[(size_t)(cx - fMaskWindow.left)]
			                  : outside;
			row[x] *= 1 - density * (1 - value);
		}
	}
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
	if (fHasVectorMask)
		PaintShape(area, colour, shape, stride);
	if (fHasUserMask)
		ApplyUserMask(area, shape, stride);
}

void PSDLayerPainter::Shape(const PSDRect& area, float* shape, size_t stride)
{
	const size_t width = (size_t)std::max(0, area.right - area.left);
	fShapeColour.resize(width * fTarget.colours);
	float* colour[5];
	for (int c = 0; c < fTarget.colours; c++)
		colour[c] = fShapeColour.data() + width * c;
	for (int32 y = area.top; y < area.bottom; y++)
		Paint({area.left, y, area.right, y + 1}, colour, shape + (size_t)(y - area.top) * stride,
		      width);
}

// A row of the layer's pixels over area: what the readers hold, and nothing
// (transparent) around it.
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
	const uint32 layerY = (uint32)((int64)y - fLayer.bounds.top);
	const bool whole =
	    left == area.left && right == area.right && left == fWindow.left && right == fWindow.right;
	// Rows the width of the window go straight where they are wanted.
	auto read = [&](PSDChannelReader* reader, float* out, float missing) {
		if (whole && reader != nullptr) {
			reader->Row(layerY, out);
			return;
		}
		std::fill(out, out + (left - area.left), 0.0f);
		std::fill(out + (right - area.left), out + width, 0.0f);
		if (reader == nullptr) {
			std::fill(out + (left - area.left), out + (right - area.left), missing);
		} else {
			reader->Row(layerY, fRow.data());
			memcpy(out + (left - area.left), fRow.data() + (left - fWindow.left),
			       sizeof(float) * (right - left));
		}
	};
	for (int c = 0; c < fTarget.colours; c++)
		read(fColour[c].get(), colour[c], 0.0f);
	read(fTransparency.get(), shape, 1.0f);
}

// The vector mask over the layer's paint, and a shape layer's stroke drawn
// over its fill, as the layer's own content.
void PSDLayerPainter::PaintShape(const PSDRect& area, float* const colour[], float* shape,
                                 size_t stride)
{
	const int32 width = area.right - area.left;
	const int32 rows = area.bottom - area.top;
	std::vector<float> plane((size_t)width * rows);
	if (psdVectorMaskPlane(fVectorMask, fTarget.width, fTarget.height, fVectorParameters, area,
	                       plane.data(), (size_t)width) != B_OK)
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
	const PSDStrokeAlignment alignment = fStroke.position == PSD_STROKE_CENTRE ? kPSDStrokeCentre
	                                     : fStroke.position == PSD_STROKE_OUTSIDE
	                                         ? kPSDStrokeOutside
	                                         : kPSDStrokeInside;
	if (psdVectorMaskStrokeCoverage(fVectorMask, fTarget.width, fTarget.height, area,
	                                fStroke.width * fTarget.scale, alignment, stroke.data(),
	                                (size_t)width) != B_OK)
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
				value = (s * fStroke.colour.value[c] + row[x] * (1 - s) * value) / a;
			}
			row[x] = a;
		}
	}
}
