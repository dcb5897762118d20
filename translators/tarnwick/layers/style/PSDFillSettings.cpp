#include "PSDFillSettings.h"

#include "PSDPaintReading.h"
#include "PSDPatternTable.h"

#include <core/PSDBytes.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>

namespace {

// The paint of a fill's descriptor, of the kind its block's key names.
bool readFillPaint(uint32 kind, const PSDDescriptor& d, const PSDModelContext& context,
                   PSDPatternTable& patterns, PSDPaintSettings* paint)
{
	*paint = PSDPaintSettings();
	switch (kind) {
	case psdKey("SoCo"):
		paint->colour = psdReadColour(d.Child("Clr "), context.mode);
		return true;
	case psdKey("GdFl"):
		paint->kind = PSD_PAINT_GRADIENT;
		return psdReadGradient(d, context.mode, &paint->gradient);
	case psdKey("PtFl"):
		paint->kind = PSD_PAINT_PATTERN;
		return psdReadPatternPaint(d, patterns, &paint->pattern);
	default:
		return false;
	}
}

} // namespace

PSDFillSettings psdReadFill(const PSDModelContext& context, const PSDLayer& layer,
                            PSDPatternTable& patterns)
{
	PSDFillSettings fill;
	PSDDescriptor d;
	for (uint32 key : {psdKey("GdFl"), psdKey("SoCo"), psdKey("PtFl")}) {
		if (psdReadDescriptorBlock(context, layer, key, 0, &d)) {
			fill.present = readFillPaint(key, d, context, patterns, &fill.paint);
			return fill;
		}
	}
	// Newer shape layers keep their fill as vector content: the kind of
	// fill, then its descriptor.
	const PSDBlock* content = layer.Block(psdKey("vscg"));
	uint8 kind[4];
	if (content != nullptr && content->length > 4 &&
	    psdReadAt(context.in, content->offset, kind, 4) &&
	    psdReadDescriptorBlock(context, layer, psdKey("vscg"), 4, &d))
		fill.present = readFillPaint(psdBig32(kind), d, context, patterns, &fill.paint);
	return fill;
}

PSDShapeStrokeSettings psdReadShapeStroke(const PSDModelContext& context, const PSDLayer& layer)
{
	PSDShapeStrokeSettings stroke;
	PSDDescriptor d;
	if (!psdReadDescriptorBlock(context, layer, psdKey("vstk"), 0, &d))
		return stroke;
	stroke.fill = d.Bool("fillEnabled", true);
	// Points become pixels at the resolution the stroke was made for.
	const double scale =
	    d.Unit("strokeStyleLineWidth") == "#Pnt" ? d.Number("strokeStyleResolution", 72) / 72 : 1;
	stroke.width = std::min(d.Number("strokeStyleLineWidth", 0) * scale, 10000.0);
	const std::string alignment = d.Enum("strokeStyleLineAlignment");
	stroke.position = alignment == "strokeStyleAlignCenter"    ? PSD_STROKE_CENTRE
	                  : alignment == "strokeStyleAlignOutside" ? PSD_STROKE_OUTSIDE
	                                                           : PSD_STROKE_INSIDE;
	stroke.opacity = (float)std::min(1.0, std::max(0.0, d.Number("strokeStyleOpacity", 100) / 100));
	// Strokes of gradients and patterns are not drawn.
	const PSDDescriptor* content = d.Child("strokeStyleContent");
	const PSDDescriptor* colour = content != nullptr ? content->Child("Clr ") : nullptr;
	stroke.enabled = d.Bool("strokeEnabled", false) && stroke.width > 0 && colour != nullptr &&
	                 psdDescriptorColor(*colour, context.mode, stroke.colour.value) != 0;
	return stroke;
}
