#include "PSDLayerPainter.h"

#include "PSDAdjustment.h"
#include "PSDBlur.h"
#include "PSDLayerEffects.h"

#include <PSDDescriptor.h>
#include <PSDDescriptorColor.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const uint64 kLargestDescriptor = 16 << 20;

PSDRect intersection(const PSDRect& a, const PSDRect& b)
{
	PSDRect r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
		std::min(a.bottom, b.bottom)};
	if (r.right < r.left)
		r.right = r.left;
	if (r.bottom < r.top)
		r.bottom = r.top;
	return r;
}

bool isEmpty(const PSDRect& r)
{
	return r.right <= r.left || r.bottom <= r.top;
}

// How far past the canvas a layer's pixels are ever asked for.
const int32 kFarPastCanvas = 1 << 16;

PSDRect grownBy(const PSDRect& r, int32 by)
{
	return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

// Sides of a record's rectangle, which hostile files may turn inside out or
// stretch past 32 bits when subtracted.
uint32 side(int32 low, int32 high)
{
	return high > low ? (uint32)((int64)high - low) : 0;
}

bool readDescriptorBlock(BPositionIO* in, const PSDLayer& layer, uint32 key,
	PSDDescriptor* descriptor)
{
	const PSDBlock* block = layer.Block(key);
	std::vector<uint8> data;
	return block != nullptr && psdReadBlock(in, *block, &data, kLargestDescriptor)
		&& psdParseVersionedDescriptor(data.data(), data.size(), descriptor);
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
	return {pixel(std::floor(left)), pixel(std::floor(top)), pixel(std::ceil(right)),
		pixel(std::ceil(bottom))};
}

}  // namespace

PSDLayerPainter::PSDLayerPainter(BPositionIO* in, const PSDRenderTarget& target,
	const PSDLayer& layer, bool group)
	: fIn(in), fTarget(target), fLayer(layer), fGroup(group), fExtent({0, 0, 0, 0}), fReach({0, 0, 0, 0}),
	  fPaintable({0, 0, 0, 0}),
	  fIsAdjustment(false), fHasUserMask(false),
	  fFeatheredArea({0, 0, 0, 0}), fHasVectorMask(false)
{
}

PSDLayerPainter::~PSDLayerPainter()
{
}

status_t PSDLayerPainter::Init()
{
	const PSDRect canvas = {0, 0, fTarget.width, fTarget.height};
	PSDDescriptor fill;
	fIsAdjustment = !fGroup && psdIsAdjustmentLayer(fLayer);
	if (fGroup || fIsAdjustment) {
		fExtent = canvas;
		if (fIsAdjustment)
			fAdjustment = psdReadAdjustment(fIn, fTarget, fLayer);
	} else if (readDescriptorBlock(fIn, fLayer, psdKey("GdFl"), &fill)) {
		// A shape layer's gradient aligns with the shape; others with the
		// document.
		PSDRect box = canvas;
		if (ReadVectorMask() && !fVectorMask.knots.empty())
			box = anchorBounds(fVectorMask, fTarget.width, fTarget.height);
		PSDGradientFill gradient;
		if (gradient.Init(fill, fTarget.mode, canvas, box)) {
			fFill.reset(new (std::nothrow) PSDGradientLayerFill(std::move(gradient)));
			if (!fFill)
				return B_NO_MEMORY;
			fExtent = canvas;
		}
	} else if (readDescriptorBlock(fIn, fLayer, psdKey("SoCo"), &fill)) {
		float colour[5] = {};
		const PSDDescriptor* value = fill.Child("Clr ");
		if (value != nullptr)
			psdDescriptorColor(*value, fTarget.mode, colour);
		fFill.reset(new (std::nothrow) PSDSolidFill(colour, fTarget.colours));
		if (!fFill)
			return B_NO_MEMORY;
		fExtent = canvas;
	}
	// A layer of pixels, or a fill drawn here in no other way (a noise
	// gradient, a pattern): Photoshop keeps what it drew in the channels.
	if (!fGroup && !fIsAdjustment && !fFill) {
		const PSDRect& bounds = fLayer.bounds;
		const uint32 width = side(bounds.left, bounds.right);
		const uint32 height = side(bounds.top, bounds.bottom);
		fExtent = intersection(bounds, canvas);
		for (int c = 0; c < fTarget.colours; c++) {
			const PSDLayerChannel* channel = fLayer.Channel((int16)c);
			fColour.emplace_back(channel == nullptr ? nullptr
				: new (std::nothrow) PSDChannelReader(fIn, *channel, width, height,
					fTarget.depth, fTarget.psb));
			if (channel != nullptr && (!fColour.back() || fColour.back()->Init() != B_OK))
				return B_NO_MEMORY;
		}
		const PSDLayerChannel* transparency = fLayer.Channel(PSD_CHANNEL_TRANSPARENCY);
		if (transparency != nullptr) {
			fTransparency.reset(new (std::nothrow) PSDChannelReader(fIn, *transparency, width,
				height, fTarget.depth, fTarget.psb));
			if (!fTransparency || fTransparency->Init() != B_OK)
				return B_NO_MEMORY;
		}
		try {
			fRow.resize(width);
		} catch (const std::bad_alloc&) {
			return B_NO_MEMORY;
		}
	}

	// A fill goes on past the canvas; pixels as far as the layer's bounds.
	fPaintable = fFill ? PSDRect{-kFarPastCanvas, -kFarPastCanvas,
		fTarget.width + kFarPastCanvas, fTarget.height + kFarPastCanvas}
		: fLayer.bounds;
	if (fGroup || fIsAdjustment)
		fPaintable = fExtent;
	status_t status = InitUserMask();
	if (status != B_OK)
		return status;
	if (fHasUserMask) {
		// The mask is known no further than its feathered plane, and hides
		// what lies past its rectangle when its default is black.
		if (!isEmpty(fFeatheredArea))
			fPaintable = intersection(fPaintable, fFeatheredArea);
		if (fUserMask.defaultColour == 0)
			fPaintable = intersection(fPaintable, grownBy(fUserMask.rect,
				psdBlurReach(std::min(fLayer.mask.userFeather, kPSDBlurMaxRadius))));
	}
	fPaintable = intersection(fPaintable, {-kFarPastCanvas, -kFarPastCanvas,
		fTarget.width + kFarPastCanvas, fTarget.height + kFarPastCanvas});

	if (ReadVectorMask()) {
		fHasVectorMask = true;
		fVectorParameters.density = fLayer.mask.vectorDensity;
		fVectorParameters.feather = fLayer.mask.vectorFeather;
	}
	fReach = fExtent;
	if (!fGroup && !fIsAdjustment) {
		fEffects = psdReadLayerEffects(fIn, fTarget, fLayer);
		if (fEffects)
			fReach = intersection(fEffects->Extent(fExtent), canvas);
	}
	return B_OK;
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
	return vector != nullptr && psdReadBlock(fIn, *vector, &path, kLargestDescriptor)
		&& psdVectorMaskRead(path.data(), path.size(), fVectorMask) == B_OK;
}

status_t PSDLayerPainter::InitUserMask()
{
	const PSDLayerChannel* channel = fLayer.Channel(PSD_CHANNEL_REAL_USER_MASK);
	if (channel == nullptr)
		channel = fLayer.Channel(PSD_CHANNEL_USER_MASK);
	fUserMask = fLayer.mask.user;
	if (channel == nullptr || !fUserMask.present || (fUserMask.flags & PSD_MASK_DISABLED))
		return B_OK;
	fHasUserMask = true;
	const PSDRect& rect = fUserMask.rect;
	fUserMaskReader.reset(new (std::nothrow) PSDChannelReader(fIn, *channel,
		side(rect.left, rect.right), side(rect.top, rect.bottom), fTarget.depth, fTarget.psb));
	if (!fUserMaskReader || fUserMaskReader->Init() != B_OK)
		return B_NO_MEMORY;

	const double feather = fLayer.mask.userFeather;
	const int32 reach = psdBlurReach(std::min(feather, kPSDBlurMaxRadius));
	if (fUserMask.defaultColour == 0) {
		PSDRect shown = {rect.left - reach, rect.top - reach, rect.right + reach,
			rect.bottom + reach};
		fExtent = intersection(fExtent, shown);
	}
	if (reach == 0)
		return B_OK;

	// A feathered mask is held whole, as far as the blur reaches past the
	// canvas; beyond that it is its default colour.
	const PSDRect canvas = {-reach, -reach, fTarget.width + reach, fTarget.height + reach};
	fFeatheredArea = canvas;
	const size_t width = side(canvas.left, canvas.right);
	try {
		fFeatheredMask.resize(width * side(canvas.top, canvas.bottom));
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	const PSDRect saved = fFeatheredArea;
	fFeatheredArea = {0, 0, 0, 0};  // read the sharp mask into the plane first
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
			const float* mask = fFeatheredMask.data()
				+ (size_t)(y - fFeatheredArea.top) * side(fFeatheredArea.left, fFeatheredArea.right)
				+ (area.left - fFeatheredArea.left);
			float* row = shape + (size_t)(y - area.top) * stride;
			for (int32 x = 0; x < width; x++)
				row[x] *= mask[x];
		}
		return;
	}
	const PSDRect& rect = fUserMask.rect;
	const float outside = fUserMask.defaultColour / 255.0f;
	const float density = fLayer.mask.userDensity / 255.0f;
	std::vector<float> maskRow(fUserMaskReader->Width());
	const PSDRect inside = intersection(area, rect);
	for (int32 y = area.top; y < area.bottom; y++) {
		float* row = shape + (size_t)(y - area.top) * stride;
		const bool rowInside = y >= inside.top && y < inside.bottom && !isEmpty(inside);
		if (rowInside)
			fUserMaskReader->Row((uint32)((int64)y - rect.top), maskRow.data());
		for (int32 x = 0; x < width; x++) {
			const int32 cx = area.left + x;
			float value = rowInside && cx >= inside.left && cx < inside.right
				? maskRow[(size_t)((int64)cx - rect.left)]
				: outside;
			row[x] *= 1 - density * (1 - value);
		}
	}
}

void PSDLayerPainter::Paint(const PSDRect& area, float* const colour[], float* shape,
	size_t stride)
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
		const uint32 layerY = (uint32)((int64)y - fLayer.bounds.top);
		const size_t from = (size_t)((int64)area.left - fLayer.bounds.left);
		for (int c = 0; c < fTarget.colours; c++) {
			if (fColour[c]) {
				fColour[c]->Row(layerY, fRow.data());
				memcpy(rowColour[c], fRow.data() + from, sizeof(float) * width);
			} else {
				std::fill(rowColour[c], rowColour[c] + width, 0.0f);
			}
		}
		if (fTransparency) {
			fTransparency->Row(layerY, fRow.data());
			memcpy(shape + at, fRow.data() + from, sizeof(float) * width);
		} else {
			std::fill(shape + at, shape + at + width, 1.0f);
		}
	}
	if (fHasUserMask)
		ApplyUserMask(area, shape, stride);
	if (fHasVectorMask) {
		std::vector<float> plane((size_t)width * (area.bottom - area.top));
		if (psdVectorMaskPlane(fVectorMask, fTarget.width, fTarget.height, fVectorParameters,
				area, plane.data(), (size_t)width)
			== B_OK) {
			for (int32 y = 0; y < area.bottom - area.top; y++) {
				float* row = shape + (size_t)y * stride;
				const float* mask = plane.data() + (size_t)y * width;
				for (int32 x = 0; x < width; x++)
					row[x] *= mask[x];
			}
		}
	}
}
