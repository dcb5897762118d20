#ifndef PSD_EFFECT_H
#define PSD_EFFECT_H

// One layer effect as read, and what all of them share: where it lies in
// Photoshop's order, how it blends, and the coverage and paint it makes on
// first use from the layer's shape.

#include "PSDEffectShape.h"
#include <layers/PSDBlendMode.h>
#include <render/paint/PSDFill.h>

#include <memory>

class PSDDescriptor;

// Photoshop's order, from the bottom up; the layer's own pixels lie between
// the outer glow and the overlays.
enum PSDEffectStage {
	PSD_EFFECT_DROP_SHADOW,
	PSD_EFFECT_OUTER_GLOW,
	PSD_EFFECT_CONTENT,
	PSD_EFFECT_PATTERN_OVERLAY,
	PSD_EFFECT_GRADIENT_OVERLAY,
	PSD_EFFECT_COLOUR_OVERLAY,
	PSD_EFFECT_SATIN,
	PSD_EFFECT_INNER_GLOW,
	PSD_EFFECT_INNER_SHADOW,
	PSD_EFFECT_STROKE,
};

// What reading an effect needs beyond its descriptor.
struct PSDEffectContext {
	BPositionIO* in;
	PSDRenderTarget target;
	double globalAngle;                        // degrees, for effects that use it
	double scale;                              // the style's scale, 1 = as written
	const std::vector<PSDBlock>* globalBlocks; // where patterns are
};

// Largest size, distance or spread honoured, in pixels; Photoshop's own
// limits are lower.
const double kPSDEffectMaxSize = 1000;

class PSDEffect {
public:
	PSDEffect(PSDEffectStage stage, const PSDDescriptor& descriptor,
	          const PSDEffectContext& context);
	virtual ~PSDEffect() {}

	// How far past the layer's pixels it may paint.
	virtual int32 Reach() const = 0;
	// How far from a pixel the shape decides its coverage there.
	virtual int32 Sight() const { return Reach(); }
	// Makes the coverage (0 to 1, before opacity) over the shape's area,
	// and the paint.
	virtual status_t Prepare(PSDEffectShape& shape) = 0;

	PSDEffectStage Stage() const { return fStage; }
	PSDBlendMode BlendMode() const { return fBlendMode; }
	float Opacity() const { return fOpacity; }
	const PSDPlane& Coverage() const { return fCoverage; }
	PSDFill* Paint() const { return fPaint.get(); }

protected:
	// A size in pixels from the descriptor, scaled and bounded.
	double Size(const char* key, double fallback) const;
	status_t SolidPaint(const char* key = "Clr ");

	const PSDDescriptor& fDescriptor;
	PSDEffectContext fContext;
	PSDEffectStage fStage;
	PSDBlendMode fBlendMode;
	float fOpacity;
	PSDPlane fCoverage;
	std::unique_ptr<PSDFill> fPaint;
};

// Each effect's reader, in the file of its kind; null for what is not drawn.
std::unique_ptr<PSDEffect> psdDropShadow(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdInnerShadow(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdOuterGlow(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdInnerGlow(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdSatin(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdStroke(const PSDDescriptor& d, const PSDEffectContext& c);
std::unique_ptr<PSDEffect> psdOverlay(PSDEffectStage stage, const PSDDescriptor& d,
                                      const PSDEffectContext& c);

// The paint of an overlay or a stroke: its colour, gradient or pattern,
// aligned with the layer's box where the effect asks.
std::unique_ptr<PSDFill> psdEffectPaint(const PSDDescriptor& d, const PSDEffectContext& c,
                                        const std::string& kind, const PSDRect& layerBox);

#endif
