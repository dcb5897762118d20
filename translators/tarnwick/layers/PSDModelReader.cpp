#include "PSDModelReader.h"

#include <core/PSDBytes.h>
#include <layers/PSDDescriptorColor.h>
#include <layers/adjustments/PSDAdjustmentSettings.h>
#include <layers/style/PSDPaintReading.h>
#include <layers/style/PSDPatternTable.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum { kOpenGroup = 1, kClosedGroup = 2, kGroupEnd = 3 };

// Paths are small; a block claiming more is not read.
const uint64 kLargestPathBlock = 16 << 20;

// The value of a small block of a few bytes, or nothing.
bool readSmallBlock(const PSDModelContext& context, const PSDLayer& record, uint32 key,
                    uint8* value, size_t size)
{
	const PSDBlock* block = record.Block(key);
	return block != nullptr && block->length >= size &&
	       psdReadAt(context.in, block->offset, value, size);
}

// The section divider's type and, when it has one, the group's blend mode.
int dividerType(const PSDModelContext& context, const PSDLayer& record, uint32* blendMode)
{
	const PSDBlock* block = record.Block(psdKey("lsct"));
	if (block == nullptr)
		block = record.Block(psdKey("lsdk"));
	std::vector<uint8> data;
	if (block == nullptr || !psdReadBlock(context.in, *block, &data, 64) || data.size() < 4)
		return 0;
	if (data.size() >= 12 && psdBig32(&data[4]) == psdKey("8BIM"))
		*blendMode = psdBig32(&data[8]);
	return (int)psdBig32(data.data());
}

// 'brst' lists the channels a layer is kept from, as 32-bit numbers.
uint8 readRestrictions(const PSDModelContext& context, const PSDLayer& record)
{
	const PSDBlock* block = record.Block(psdKey("brst"));
	uint8 channels[4 * 5];
	if (block == nullptr || block->length < 4)
		return 0;
	const size_t length = (size_t)std::min<uint64>(block->length, sizeof(channels)) / 4 * 4;
	if (!psdReadAt(context.in, block->offset, channels, length))
		return 0;
	uint8 restrictions = 0;
	for (size_t at = 0; at < length; at += 4) {
		const uint32 channel = psdBig32(channels + at);
		if (channel < (uint32)context.colours)
			restrictions |= (uint8)(1 << channel);
	}
	return restrictions;
}

// As stored: the composite gray's source and destination ranges, then a
// pair for each channel, 4 bytes a range. Hostile ranges may cross; each
// side keeps its own order.
PSDBlendIfRanges readBlendIf(const std::vector<uint8>& stored)
{
	PSDBlendIfRanges ranges;
	for (int index = 0; index < 6; index++) {
		const size_t at = (size_t)index * 8;
		if (at + 8 > stored.size())
			break;
		PSDBlendIfRange* pair[2] = {&ranges.source[index], &ranges.below[index]};
		for (int k = 0; k < 2; k++) {
			const uint8* b = &stored[at + (size_t)k * 4];
			PSDBlendIfRange& range = *pair[k];
			range.blackLow = b[0];
			range.blackHigh = std::max(b[0], b[1]);
			range.whiteHigh = b[3];
			range.whiteLow = std::min(b[2], b[3]);
		}
		ranges.count = index + 1;
	}
	return ranges;
}

PSDLayerChannel channelOf(const PSDLayer& record, int16 id, bool* found)
{
	const PSDLayerChannel* channel = record.Channel(id);
	*found = channel != nullptr;
	return channel != nullptr ? *channel : PSDLayerChannel{id, 0, 0};
}

// A mask Photoshop rendered from other data (the vector mask) is no user
// mask of its own; where a vector mask is kept too, channel -3 holds it.
void readUserMask(const PSDLayer& record, PSDModelUserMask* mask)
{
	const PSDUserMask& user = record.mask.user;
	const PSDLayerChannel* channel = record.Channel(PSD_CHANNEL_REAL_USER_MASK);
	if (channel == nullptr)
		channel = record.Channel(PSD_CHANNEL_USER_MASK);
	if (channel == nullptr || !user.present ||
	    (user.flags & (PSD_MASK_DISABLED | PSD_MASK_FROM_RENDERING)))
		return;
	mask->present = true;
	mask->channel = *channel;
	mask->rect = user.rect;
	mask->defaultColour = user.defaultColour;
	mask->density = record.mask.userDensity;
	mask->feather = record.mask.userFeather;
}

// False, with the reason, for a path past the context's limits.
bool readVectorMask(const PSDModelContext& context, const PSDLayer& record,
                    PSDModelVectorMask* mask, std::string* reason)
{
	const PSDBlock* block = record.Block(psdKey("vmsk"));
	if (block == nullptr)
		block = record.Block(psdKey("vsms"));
	std::vector<uint8> data;
	if (block == nullptr || !psdReadBlock(context.in, *block, &data, kLargestPathBlock))
		return true;
	const status_t status =
	    psdReadVectorPath(data.data(), data.size(), context.width, context.height,
	                      context.limits.knotsPerPath, context.limits.pointsPerPath, &mask->path);
	if (status == B_NO_MEMORY) {
		// Not std::to_string: its digit table is a unique symbol, which
		// would keep the add-on loaded past the host's unload.
		char text[120];
		snprintf(text, sizeof(text),
		         "a layer's path has more than %u knots, or curves that flatten to more than %zu "
		         "points",
		         context.limits.knotsPerPath, context.limits.pointsPerPath);
		*reason = text;
		return false;
	}
	mask->present = status == B_OK;
	mask->density = record.mask.vectorDensity;
	mask->feather = record.mask.vectorFeather;
	return true;
}

// A gray of the 0-255 RGB scale as the stored values of the document's mode;
// false for modes that have no such conversion.
bool grayOfMode(double value, uint16 mode, float* stored)
{
	PSDDescriptor colour;
	for (const char* key : {"Rd  ", "Grn ", "Bl  "}) {
		colour.items.emplace_back();
		colour.items.back().key = key;
		colour.items.back().value.type = "doub";
		colour.items.back().value.number = value;
	}
	return psdDescriptorColor(colour, mode, stored) > 0;
}

// The artboard block, by the version of Photoshop that wrote it: the
// rectangle and the background (white where no type is given, black,
// transparent, or the colour of its own).
void readArtboard(const PSDModelContext& context, const PSDLayer& record,
                  PSDModelArtboard* artboard)
{
	PSDDescriptor descriptor;
	if (!psdReadDescriptorBlock(context, record, psdKey("artb"), 0, &descriptor) &&
	    !psdReadDescriptorBlock(context, record, psdKey("artd"), 0, &descriptor) &&
	    !psdReadDescriptorBlock(context, record, psdKey("abdd"), 0, &descriptor))
		return;
	const PSDDescriptor* rect = descriptor.Child("artboardRect");
	if (rect == nullptr)
		return;
	auto side = [rect](const char* key) {
		const double limit = 1 << 30;
		return (int32)std::lround(std::max(-limit, std::min(limit, rect->Number(key, 0))));
	};
	artboard->present = true;
	artboard->rect = {side("Left"), side("Top "), side("Rght"), side("Btom")};
	const double type = descriptor.Number("artboardBackgroundType", 1);
	const PSDDescriptor* colour = descriptor.Child("Clr ");
	bool painted = false;
	if (type == 4)
		painted = colour != nullptr &&
		          psdDescriptorColor(*colour, context.mode, artboard->background) > 0;
	else if (type != 3)
		painted = grayOfMode(type == 2 ? 0 : 255, context.mode, artboard->background);
	artboard->transparent = !painted;
}

// A type layer's text box ('TySh': a version, the text's transform, the
// text's versions, then its descriptor): the box its effects align with.
void readTextBox(const PSDModelContext& context, const PSDLayer& record, PSDRect* box)
{
	const size_t kTransformAt = 2, kDescriptorAt = 52;
	const PSDBlock* block = record.Block(psdKey("TySh"));
	uint8 transform[48];
	PSDDescriptor text;
	if (block == nullptr || block->length < kDescriptorAt ||
	    !psdReadAt(context.in, block->offset + kTransformAt, transform, sizeof(transform)) ||
	    !psdReadDescriptorBlock(context, record, psdKey("TySh"), kDescriptorAt, &text))
		return;
	const PSDDescriptor* bounds = text.Child("bounds");
	if (bounds == nullptr)
		return;
	double m[6];
	for (int i = 0; i < 6; i++) {
		const uint64 bits = psdBig64(transform + 8 * i);
		std::memcpy(&m[i], &bits, sizeof(double));
	}
	// The box's corners through the transform, as whole pixels.
	const double left = bounds->Number("Left", 0), top = bounds->Number("Top ", 0);
	const double right = bounds->Number("Rght", 0), bottom = bounds->Number("Btom", 0);
	double low[2] = {HUGE_VAL, HUGE_VAL}, high[2] = {-HUGE_VAL, -HUGE_VAL};
	for (double x : {left, right}) {
		for (double y : {top, bottom}) {
			const double at[2] = {m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
			for (int i = 0; i < 2; i++) {
				low[i] = std::min(low[i], at[i]);
				high[i] = std::max(high[i], at[i]);
			}
		}
	}
	const double limit = 1 << 30;
	auto side = [limit](double v) {
		return (int32)std::lround(std::max(-limit, std::min(limit, v)));
	};
	if (!(high[0] - low[0] < 2 * limit && high[1] - low[1] < 2 * limit && low[0] <= high[0] &&
	      low[1] <= high[1]))
		return;
	*box = {side(low[0]), side(low[1]), side(high[0]), side(high[1])};
}

bool hasFillBlock(const PSDLayer& record)
{
	return record.Block(psdKey("SoCo")) != nullptr || record.Block(psdKey("GdFl")) != nullptr ||
	       record.Block(psdKey("PtFl")) != nullptr || record.Block(psdKey("vscg")) != nullptr;
}

// A fill or shape layer whose pixels Photoshop kept shows them: they are its
// fill, shape and stroke as Photoshop drew them, a vector mask's density and
// feather aside.
bool showsKeptPixels(const PSDLayer& record)
{
	const PSDLayerChannel* transparency = record.Channel(PSD_CHANNEL_TRANSPARENCY);
	return transparency != nullptr && transparency->length > 2 && !isEmpty(record.bounds) &&
	       record.mask.vectorDensity == 255 && record.mask.vectorFeather <= 0;
}

// A fill layer's, drawn from its description; where it cannot be, the
// layer shows its channels (a noise gradient's, a pattern's the file lacks).
void readFill(const PSDModelContext& context, const PSDLayer& record, PSDPatternTable& patterns,
              PSDModelLayer* layer)
{
	layer->fillPaint = psdReadFill(context, record, patterns);
	if (!layer->fillPaint.present) {
		layer->kind = PSD_LAYER_PIXELS;
		return;
	}
	const PSDUserMask& user = record.mask.user;
	if (user.present && !isEmpty(user.rect) && !(user.flags & PSD_MASK_DISABLED))
		layer->fillBox = user.rect;
}

// A shape's stroke follows one outline: shapes combined by path operations
// are stroked along the outline of what they make, which strokes of their
// own outlines would not give.
void readStroke(const PSDModelContext& context, const PSDLayer& record, PSDModelLayer* layer)
{
	layer->stroke = psdReadShapeStroke(context, record);
	size_t shapes = 0;
	for (const PSDOutline& outline : layer->vectorMask.path.outlines)
		shapes += outline.operation != kPSDPathSameShape;
	if (shapes > 1)
		layer->stroke.enabled = false;
}

// Where the anchors of a shape shown by its kept pixels lie; its path is not
// its mask, and one past the limits only leaves the bounds empty.
void readKeptShapeBounds(const PSDModelContext& context, const PSDLayer& record, PSDBounds* bounds)
{
	PSDModelVectorMask path;
	std::string overLimits;
	if (readVectorMask(context, record, &path, &overLimits) && path.present)
		*bounds = path.path.anchorBounds;
}

// False, with the reason, for a layer past the context's limits.
bool readLayer(const PSDModelContext& context, const PSDLayers& records, int index,
               uint32 blendMode, bool group, PSDPatternTable& patterns, PSDModelLayer* read,
               std::string* reason)
{
	const PSDLayer& record = records.layers[(size_t)index];
	PSDModelLayer& layer = *read;
	layer.record = index;
	layer.kind = group ? PSD_LAYER_GROUP : PSD_LAYER_PIXELS;
	layer.bounds = record.bounds;
	layer.blendMode = psdBlendModeFromKey(blendMode);
	layer.opacity = record.opacity / 255.0f;
	uint8 value;
	if (readSmallBlock(context, record, psdKey("iOpa"), &value, 1))
		layer.fill = value / 255.0f;
	layer.clipped = record.clipping != 0;
	layer.hidden = record.Hidden();
	if (readSmallBlock(context, record, psdKey("knko"), &value, 1))
		layer.knockout = std::min<uint8>(value, 2);
	layer.restrictions = readRestrictions(context, record);
	layer.blendIf = readBlendIf(record.blendingRanges);

	bool found;
	for (int c = 0; c < context.colours; c++)
		layer.colour.push_back(channelOf(record, (int16)c, &found));
	layer.transparency = channelOf(record, PSD_CHANNEL_TRANSPARENCY, &layer.hasTransparency);
	readUserMask(record, &layer.userMask);
	if (group)
		readArtboard(context, record, &layer.artboard);
	const bool drawnFill = !group && hasFillBlock(record) && !showsKeptPixels(record);
	if (drawnFill)
		layer.kind = PSD_LAYER_FILL;
	if (!group && psdIsAdjustmentLayer(record)) {
		layer.kind = PSD_LAYER_ADJUSTMENT;
		layer.adjustment = psdReadAdjustmentSettings(context, record);
	}
	// A fill layer shown by its kept pixels has its shape in them already.
	if ((group || drawnFill || !hasFillBlock(record)) &&
	    !readVectorMask(context, record, &layer.vectorMask, reason))
		return false;
	if (!group && !drawnFill && hasFillBlock(record))
		readKeptShapeBounds(context, record, &layer.keptShapeBounds);
	if (layer.kind == PSD_LAYER_FILL) {
		readFill(context, record, patterns, &layer);
		if (layer.kind == PSD_LAYER_FILL && layer.vectorMask.present)
			readStroke(context, record, &layer);
	}
	if (layer.kind != PSD_LAYER_GROUP && layer.kind != PSD_LAYER_ADJUSTMENT) {
		layer.style = psdReadLayerStyle(context, record, patterns);
		if (layer.style.enabled)
			readTextBox(context, record, &layer.textBox);
	}
	return true;
}

} // namespace

status_t psdReadModel(const PSDModelContext& context, const PSDLayers& records, PSDModel* model,
                      std::string* reason)
{
	model->depth = records.depth;
	model->records = records.layers.size();
	model->document = PSDModelLayer();
	model->document.kind = PSD_LAYER_GROUP;
	// The records come bottom first with a group's end marker below its
	// layers and the group's own record above them.
	// Patterns are decoded once each, the first time a layer asks for one.
	PSDPatternTable patterns(context);
	std::vector<PSDModelLayer> open(1); // open[0] is the document
	int flattened = 0;                  // group ends met past the depth limit, still open
	for (size_t i = 0; i < records.layers.size(); i++) {
		const PSDLayer& record = records.layers[i];
		uint32 blendMode = record.blendMode;
		const int type = dividerType(context, record, &blendMode);
		if (type == kGroupEnd) {
			if (open.size() > (size_t)PSD_MAX_GROUP_DEPTH)
				flattened++;
			else
				open.emplace_back();
			continue;
		}
		const bool group = type == kOpenGroup || type == kClosedGroup;
		if (group && flattened > 0) {
			flattened--;
			continue;
		}
		PSDModelLayer layer;
		if (!readLayer(context, records, (int)i, blendMode, group, patterns, &layer, reason))
			return B_ERROR;
		// A group without its end marker holds nothing.
		if (group && open.size() > 1) {
			layer.children = std::move(open.back().children);
			open.pop_back();
		}
		open.back().children.push_back(std::move(layer));
	}
	// End markers without a group: their layers belong to the level below.
	while (open.size() > 1) {
		std::vector<PSDModelLayer> children = std::move(open.back().children);
		open.pop_back();
		for (PSDModelLayer& child : children)
			open.back().children.push_back(std::move(child));
	}
	model->document.children = std::move(open[0].children);
	return B_OK;
}
