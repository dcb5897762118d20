#ifndef PSD_EFFECT_H
#define PSD_EFFECT_H

// One layer effect made from its settings: how far it reaches and looks,
// how it blends, and its coverage row by row from the layer's shape.

#include "PSDLayerShape.h"
#include <render/PSDRenderTarget.h>
#include <render/paint/PSDFill.h>

#include <layers/style/PSDLayerStyle.h>

#include <memory>

// Largest size, distance or spread honoured, in canvas pixels; Photoshop's
// own limits are lower.
const double kPSDEffectMaxSize = 1000;

class PSDEffect {
public:
	PSDEffect(const PSDEffectSettings& settings, const PSDRenderTarget& target);
	virtual ~PSDEffect() {}

	// How far past the layer's pixels it may paint.
	virtual int32 Reach() const = 0;
	// How far from a pixel it looks at the shape (or its distance) to decide
	// its coverage there.
	virtual int32 Sight() const { return Reach(); }
	// How far from the shape's edge the distance must be right; 0 when the
	// effect does not use it.
	virtual int32 DistanceRange() const { return 0; }
	// The bytes its blurs hold over a shape's area `width` wide.
	virtual uint64 HeldBytes(int32 /* width */) const { return 0; }
	// The rows of the shape and of its distance it asks for while making a
	// row.
	virtual void Looks(PSDRowSpan* alpha, PSDRowSpan* distance) const = 0;
	// Takes the shape its rows come from and makes its paint; before Row.
	virtual void Start(PSDLayerShape& shape);
	// Its coverage (0 to 1, before opacity) along canvas row y, over the
	// shape's area; rows in order, each once.
	virtual const float* Row(int32 y) = 0;

	// Where it paints at all, along the row Row last made, for the blend
	// modes whose opacity Photoshop takes as a fill (the linear dodge and
	// burn of a bevel's light); null where the opacity is the alpha.
	virtual const float* Region() const { return nullptr; }
	// How much it cuts away of the layer's pixels and the effects that
	// colour them, along the row Row last made (an inner stroke shows what
	// lies below the layer where it fades); null where it cuts nothing.
	virtual const float* Knockout() const { return nullptr; }
	// Whether the layer's shape cuts it away beneath the layer (a drop
	// shadow's "layer knocks out"): its coverage is not yet cut.
	virtual bool KnockedOut() const { return false; }
	// Whether it lies beneath the layer's pixels where both are (an outside
	// stroke, which the shape's soft edge covers as far as it reaches).
	virtual bool UnderPixels() const { return false; }

	PSDEffectKind Kind() const { return fSettings.kind; }
	PSDBlendMode BlendMode() const { return fSettings.blendMode; }
	float Opacity() const { return fSettings.opacity; }
	PSDFill* Paint() const { return fPaint.get(); }

protected:
	// A size or distance from the settings on the canvas, bounded.
	double Size(double documentPixels) const;

	const PSDEffectSettings fSettings;
	const PSDRenderTarget fTarget;
	PSDLayerShape* fShape = nullptr;
	std::unique_ptr<PSDFill> fPaint;
	std::vector<float> fCoverage; // a row of the shape's area
};

// Effect sizes are Photoshop's pixels of spread; its blur fits a Gaussian of
// this radius (see psdBlurSigma): size / sqrt(6), as the corpus's drop
// shadows show.
double psdEffectBlurRadius(double size);

// The effect the settings describe.
std::unique_ptr<PSDEffect> psdMakeEffect(const PSDEffectSettings& settings,
                                         const PSDRenderTarget& target);

// Each kind's maker, in the file of its kind.
std::unique_ptr<PSDEffect> psdMakeShadow(const PSDEffectSettings& s, const PSDRenderTarget& t);
std::unique_ptr<PSDEffect> psdMakeGlow(const PSDEffectSettings& s, const PSDRenderTarget& t);
std::unique_ptr<PSDEffect> psdMakeSatin(const PSDEffectSettings& s, const PSDRenderTarget& t);
std::unique_ptr<PSDEffect> psdMakeStroke(const PSDEffectSettings& s, const PSDRenderTarget& t);
std::unique_ptr<PSDEffect> psdMakeOverlay(const PSDEffectSettings& s, const PSDRenderTarget& t);
// A bevel's highlight, or its shadow.
std::unique_ptr<PSDEffect> psdMakeBevel(const PSDEffectSettings& s, const PSDRenderTarget& t,
                                        bool shadow);

#endif
