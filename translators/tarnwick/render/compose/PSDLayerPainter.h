#ifndef PSD_LAYER_PAINTER_H
#define PSD_LAYER_PAINTER_H

// What one layer paints onto the canvas, before its opacity and blend mode:
// colour (stored channel values) and shape (its transparency times its
// masks), for any rectangle, row after row, without holding the layer.
//
// A painter is made once for the whole rendering: Init works out where the
// layer paints and builds what its settings describe; Begin opens its
// channels when the first band it reaches comes; Finish closes them once the
// bands have passed it.

#include <layers/PSDModel.h>
#include <render/PSDRenderSource.h>
#include <render/PSDRenderTarget.h>
#include <render/effects/PSDShapeSource.h>
#include <render/paint/PSDFill.h>
#include <render/shape/PSDFeather.h>
#include <render/shape/PSDMaskParameters.h>

#include <memory>
#include <vector>

class PSDAdjustment;
class PSDLayerEffects;
class PSDScaledRows;

class PSDLayerPainter : public PSDShapeSource {
public:
	PSDLayerPainter(const PSDModelLayer& layer, const PSDRenderTarget& target,
	                PSDRenderSource& source);
	~PSDLayerPainter();

	status_t Init();
	void Begin();
	void Finish();
	bool Begun() const { return fBegun; }

	const PSDModelLayer& Layer() const { return fLayer; }
	// The canvas area outside which the layer paints nothing.
	PSDRect Extent() const override { return fExtent; }
	// The area its effects may reach too; the extent without effects.
	PSDRect Reach() const { return fReach; }
	// Where Paint can be asked for the layer's pixels: the extent and, past
	// the canvas, as far as its own pixels or its fill go (effects of a
	// layer that leaves the canvas still see its shape there).
	PSDRect Paintable() const override { return fPaintable; }
	// The box its effects align with: a shape's path anchors, a type
	// layer's text box, else the layer's bounds.
	PSDBounds Box() const override;
	// An adjustment layer's transform; its Paint gives the masks' shape.
	const PSDAdjustment* Adjustment() const { return fAdjustment.get(); }
	bool IsAdjustment() const { return fIsAdjustment; }
	PSDLayerEffects* Effects() const { return fEffects.get(); }
	bool HasMasks() const { return fLayer.userMask.present || fLayer.vectorMask.present; }
	// What reading its channels and drawing its paths will cost, in pixel
	// operations: every sample of the part of a channel that is read, but
	// never more than its data can hold, and every row each path's edges
	// cross.
	uint64 ReadWork() const;
	// Colour planes and shape of `area` (inside Paintable()), rows `stride`
	// floats apart; rows come top to bottom from band to band.
	void Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride) override;
	// The shape alone, for the layer's effects, which look ahead of the
	// bands: it reads the channels it needs on its own, so that neither it
	// nor Paint ever goes back.
	void Shape(const PSDRect& area, float* shape, size_t stride) override;

private:
	// The channels one way of reading the layer has open, and its scratch.
	struct Readers {
		std::vector<std::unique_ptr<PSDScaledRows>> colour;
		std::unique_ptr<PSDScaledRows> transparency;
		std::unique_ptr<PSDScaledRows> maskRows;
		std::unique_ptr<PSDFeatheredMask> feathered;
		std::vector<float> row;
		bool open = false;
	};

	void InitFill();
	// The canvas pixels the layer's channels are read for.
	PSDRect ChannelWindow() const;
	void Open(Readers& readers, bool colour);
	void OpenUserMask(Readers& readers);
	void Draw(Readers& readers, const PSDRect& area, float* const colour[], float* shape,
	          size_t stride);
	void PaintPixels(Readers& readers, const PSDRect& area, int32 y, float* const colour[],
	                 float* shape);
	void SharpMaskRow(Readers& readers, int32 y, int32 left, int32 count, float* row);
	void ApplyUserMask(Readers& readers, const PSDRect& area, float* shape, size_t stride);
	void PaintShape(const PSDRect& area, float* const colour[], float* shape, size_t stride);

	const PSDModelLayer& fLayer;
	PSDRenderTarget fTarget;
	PSDRenderSource& fSource;
	bool fGroup;
	bool fBegun = false;
	PSDRect fExtent = {0, 0, 0, 0};
	PSDRect fReach = {0, 0, 0, 0};
	PSDRect fPaintable = {0, 0, 0, 0};
	PSDRect fBounds = {0, 0, 0, 0}; // the layer's pixels on the canvas
	PSDRect fWindow = {0, 0, 0, 0}; // the part of them its channels are opened for
	bool fIsAdjustment = false;
	std::unique_ptr<PSDAdjustment> fAdjustment;
	std::unique_ptr<PSDLayerEffects> fEffects;
	std::unique_ptr<PSDFill> fFill;

	// The user mask on the canvas: its pixels, the default colour around
	// them, and, feathered, how far the blur reaches.
	PSDRect fMaskRect = {0, 0, 0, 0};
	PSDRect fMaskWindow = {0, 0, 0, 0}; // the part of it its rows are opened for
	float fMaskOutside = 0;
	int32 fFeatheredReach = 0;

	PSDMaskParameters fVectorParameters;

	// The layer's own pixels read band by band, and its shape read ahead of
	// them for its effects.
	Readers fContent;
	Readers fShape;
	std::vector<float> fShapeColour; // what Shape paints and leaves
};

#endif
