#ifndef PSD_LAYER_PAINTER_H
#define PSD_LAYER_PAINTER_H

// What one layer paints onto the canvas, before its opacity and blend mode:
// colour (stored channel values) and shape (its transparency times its
// masks), for any rectangle, row after row, without holding the layer.

#include <render/PSDRenderTarget.h>
#include <render/effects/PSDShapeSource.h>
#include <render/paint/PSDFill.h>
#include <render/shape/PSDMaskParameters.h>

class PSDAdjustment;
class PSDLayerEffects;

#include <layers/PSDChannelReader.h>
#include <layers/PSDLayers.h>
#include <layers/PSDModelContext.h>
#include <layers/style/PSDFillSettings.h>

#include <memory>
#include <vector>

class PSDLayerPainter : public PSDShapeSource {
public:
	// A group's painter paints no colour, only its masks, over the canvas.
	PSDLayerPainter(BPositionIO* in, const PSDRenderTarget& target, const PSDLayer& layer,
	                bool group);
	~PSDLayerPainter();

	// B_NO_MEMORY when its readers or masks cannot be had.
	status_t Init();
	// The canvas area outside which the layer paints nothing.
	PSDRect Extent() const override { return fExtent; }
	// The area its effects may reach too; the extent without effects.
	PSDRect Reach() const { return fReach; }
	// Where Paint can be asked for the layer's pixels: the extent and, past
	// the canvas, as far as its own pixels or its fill go (effects of a
	// layer that leaves the canvas still see its shape there).
	PSDRect Paintable() const override { return fPaintable; }
	// The box its effects align with: a shape's path anchors, else the
	// layer's bounds.
	PSDRect Box() const override;
	// An adjustment layer's transform; its Paint gives the masks' shape.
	const PSDAdjustment* Adjustment() const { return fAdjustment.get(); }
	bool IsAdjustment() const { return fIsAdjustment; }
	PSDLayerEffects* Effects() const { return fEffects.get(); }
	bool HasMasks() const { return fHasUserMask || fHasVectorMask; }
	// Colour planes and shape of `area` (inside Extent()), rows `stride`
	// floats apart.
	void Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride) override;
	// The shape alone, row by row (for its effects).
	void Shape(const PSDRect& area, float* shape, size_t stride) override;

private:
	bool ReadVectorMask();
	status_t InitChannels();
	void PaintPixels(const PSDRect& area, int32 y, float* const colour[], float* shape);
	status_t InitUserMask();
	void ApplyUserMask(const PSDRect& area, float* shape, size_t stride);

	BPositionIO* fIn;
	PSDRenderTarget fTarget;
	const PSDLayer& fLayer;
	bool fGroup;
	PSDRect fExtent;
	PSDRect fReach;
	PSDRect fPaintable;
	PSDRect fWindow; // the part of the layer's pixels its readers hold
	bool fIsAdjustment;
	std::unique_ptr<PSDAdjustment> fAdjustment;
	std::unique_ptr<PSDLayerEffects> fEffects;
	std::unique_ptr<PSDFill> fFill;
	std::vector<std::unique_ptr<PSDChannelReader>> fColour;
	std::unique_ptr<PSDChannelReader> fTransparency;

	// The user mask: rows read from its channel, or, feathered, held whole.
	bool fHasUserMask;
	PSDUserMask fUserMask;
	std::unique_ptr<PSDChannelReader> fUserMaskReader;
	PSDRect fMaskWindow; // the part of the mask its reader holds
	std::vector<float> fFeatheredMask;
	PSDRect fFeatheredArea;

	bool fHasVectorMask;
	PSDVectorMask fVectorMask;
	PSDMaskParameters fVectorParameters;

	// A shape layer's stroke ('vstk'), drawn over its fill along the path.
	PSDShapeStrokeSettings fStroke;
	void ReadStroke(const PSDModelContext& context);
	void PaintShape(const PSDRect& area, float* const colour[], float* shape, size_t stride);

	std::vector<float> fRow;
	std::vector<float> fShapeColour; // what Shape paints and leaves
};

#endif
