#ifndef PSD_COMPOSITOR_H
#define PSD_COMPOSITOR_H

// Stacks the layers of a document band by band: each layer's colour and
// shape are painted for the band's rows and composited with its opacity,
// fill opacity, blend mode, "blend if" ranges, channel restrictions and
// clipping; groups are composited into a band of their own (isolated) or
// onto a copy of what lies below (pass-through), an artboard's over its
// background and inside its rectangle. Layers clipped to a group are clipped
// to what its own layers cover. A layer that knocks out is composited onto
// what lay below its group (shallow) or the document (deep) instead of the
// layers under it, and replaces them as far as its shape goes.

#include "PSDBand.h"
#include "PSDBlendIf.h"
#include "PSDLayerPainter.h"

#include <layers/PSDModel.h>

#include <memory>
#include <vector>

class PSDCompositor {
public:
	PSDCompositor(const PSDModel& model, const PSDRenderTarget& target, PSDRenderSource& source);

	// Works out where every layer paints, before any band is rendered.
	status_t Init();

	// What rendering every band would cost, in pixel operations: each layer
	// over the part of the canvas it reaches, more for its effects and
	// masks, a group over whole rows of the canvas, and a fixed share for
	// setting a layer up. Known once Init has run, before anything is drawn.
	uint64 Work() const;

	// Rows that a band should hold for this document.
	static int32 BandRows(const PSDRenderTarget& target);

	// Renders the band's rows into it, from transparent. Bands come top to
	// bottom.
	status_t Render(PSDBand& band);

private:
	void Collect(const std::vector<PSDModelLayer>& layers, PSDRenderSource& source);
	status_t Compose(const std::vector<PSDModelLayer>& nodes, PSDBand& target, int depth);
	// Paints a node onto the target; with clip, its alpha is limited to the
	// clip's shape; with shapeOut, the node's own shape is kept there.
	status_t PaintNode(const PSDModelLayer& node, PSDBand& target, int depth, const PSDBand* clip,
	                   PSDBand* shapeOut);
	status_t PaintLayer(const PSDModelLayer& node, PSDBand& target, const PSDBand* clip,
	                    PSDBand* shapeOut, const PSDBand* knockout);
	status_t PaintEffectsAbove(const PSDModelLayer& base, PSDBand& target);
	status_t PaintGroup(const PSDModelLayer& node, PSDBand& target, int depth, const PSDBand* clip,
	                    PSDBand* shapeOut, const PSDBand* knockout);
	// Composites one row of source over the target at canvas row y from
	// column left: the alpha holds every factor but the fill opacity. With
	// knockout, onto that band's row instead of the target's.
	void CompositeRow(const PSDModelLayer& layer, const PSDBand* knockout, float fill,
	                  const float* const source[], float* alpha, int32 left, int32 y, uint32 count,
	                  PSDBand& target);
	void KnockOut(PSDBlendMode blendMode, const PSDBand* knockout, const PSDBlendIf* blendIf,
	              float fill, const float* const source[], float* alpha, int32 left, int32 y,
	              uint32 count, float* const backdrop[], float* backdropAlpha);
	status_t Adjust(const PSDLayerPainter& painter, PSDBlendMode blendMode, float opacity,
	                const PSDRect& area, const float* shape, const PSDBand* clip, PSDBand& target);
	PSDLayerPainter* Painter(const PSDModelLayer& layer);
	// Room for an area's colour planes and shape, and a row of blending.
	status_t Scratch(int32 width, size_t planeSize, float* colour[], float** shape);
	status_t BandAt(std::vector<std::unique_ptr<PSDBand>>& bands, size_t index, PSDBand** band,
	                int colours);
	void PaintBackground(const PSDModelArtboard& artboard, const PSDRect& extent, PSDBand& group,
	                     PSDBand* covered);
	// Clears the alpha plane of a clipping base's shape over the band.
	void ClearShape(PSDBand* shape);
	void Track(const float* alpha, const float* weight, float scale, int32 left, int32 y,
	           uint32 count);

	const PSDModel& fModel;
	PSDRenderTarget fTarget;
	int32 fTop;
	int32 fRows;
	// By record: made before the first band, dropped past the layer's last
	// row, never made again.
	std::vector<std::unique_ptr<PSDLayerPainter>> fPainters;
	std::vector<std::unique_ptr<PSDBand>> fGroupBands; // one per nesting depth
	std::vector<std::unique_ptr<PSDBand>> fShapeBands; // clipping bases, one per depth
	// What the layers of a pass-through group cover (an alpha plane), one
	// per depth; fTrack is the innermost open one, which layers composited
	// anywhere in the group add to.
	std::vector<std::unique_ptr<PSDBand>> fTrackBands;
	PSDBand* fTrack = nullptr;
	// What lay below each open group level, where a layer in it knocks out.
	std::vector<std::unique_ptr<PSDBand>> fKnockoutBands;
	// By record, where the ranges cut.
	std::vector<std::unique_ptr<PSDBlendIf>> fBlendIfs;
	bool fDeepKnockout = false;
	std::vector<float> fKnockoutRow;   // a row's colour planes, alpha, fill
	std::vector<float> fRestrictedRow; // the colour planes a layer leaves alone
	std::vector<float> fColour;        // a layer's painted area: colour planes, shape
	std::vector<float> fBlend;
};

#endif
