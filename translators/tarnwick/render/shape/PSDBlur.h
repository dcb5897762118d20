#ifndef PSD_BLUR_H
#define PSD_BLUR_H

#include <SupportDefs.h>

#include <cstddef>
#include <memory>
#include <vector>

// What lies beyond the plane's edges while it is blurred.
enum PSDBlurEdge {
	kPSDBlurEdgeClamp,    // the edge pixels go on
	kPSDBlurEdgeConstant, // one value all round: a layer mask's default colour
};

// Photoshop's mask feather stops here (effect sizes stop lower); larger radii
// blur no more.
const double kPSDBlurMaxRadius = 1000;

// The Gaussian's standard deviation for a feather radius in pixels: the radius
// itself, as feathered masks of the corpus show. Effect sizes map otherwise
// (psdEffectBlurRadius).
double psdBlurSigma(double radius);

// How far, in pixels, a pixel's value spreads under the blur of this radius:
// a rectangle blurred alone matches the whole plane when it has this much
// more of the plane around it.
int32 psdBlurReach(double radius);

// How many rows past the one it gives a rolling blur of this radius may have
// read from its source.
int32 psdBlurReadAhead(double radius);

// The bytes a rolling blur of this radius over planes `width` wide holds.
uint64 psdBlurHeldBytes(int32 width, double radius);

// Rows of a plane as a rolling blur reads them.
class PSDBlurSource {
public:
	// Fills row y (0 <= y < the plane's height) of width floats; rows are
	// asked for once each, in order.
	virtual void ReadRow(int32 y, float* row) = 0;

protected:
	~PSDBlurSource() {}
};

// The Gaussian psdBlurSigma(radius) of a width x height plane that arrives
// row by row from a source and leaves row by row, so that only a window of
// rows is ever held: rows are asked for in order (band by band, say), and
// each asks the source for rows up to psdBlurReadAhead(radius) further
// down. Beyond the edges lies `outside` for kPSDBlurEdgeConstant. Three box
// passes each way, so that the cost per pixel does not grow with the radius;
// the rows held are about 2 x psdBlurReach(radius) / 3 rows of 20 bytes a
// pixel. A radius of 0 or less (or not a number) passes rows through.
class PSDRollingBlur {
public:
	PSDRollingBlur(PSDBlurSource& source, int32 width, int32 height, double radius,
	               PSDBlurEdge edge, float outside = 0);
	~PSDRollingBlur();

	// Blurred row y, width floats, valid until the next call; y never goes
	// back (asking again for the last row is fine).
	const float* Row(int32 y);

private:
	class LineBlur;

	const float* SourceRow(int32 y);
	void Make(int level, int32 i);

	PSDBlurSource& fSource;
	int32 fWidth;
	int32 fHeight;
	bool fBlurs;
	PSDBlurEdge fEdge;
	float fOutside;
	int32 fReach; // of each box pass
	double fEdgeWeight;
	double fScale;
	int32 fPad;  // rows of edge above and below the plane
	int32 fHeld; // rows each level keeps
	std::unique_ptr<LineBlur> fRows;
	// Source rows blurred along, a group of lines at a time.
	std::vector<float> fStaged;
	int32 fStagedFirst = 0;
	int32 fStagedCount = 0;
	// Level 0 the source rows padded with their edges; levels 1 and 2 after
	// one and two box passes down; level 3 the output. Row i of a level is
	// row i - fPad of the plane.
	std::vector<float> fLevel0;
	std::vector<double> fLevel1, fLevel2;
	std::vector<double> fSums[3];
	int32 fNext[4] = {0, 0, 0, 0};
	std::vector<float> fOut;
	int32 fOutRow = -1;
};

// Blurs a plane of width x height floats, rows stride floats apart, in place,
// as PSDRollingBlur does. B_BAD_VALUE for a missing plane or a stride below
// width.
status_t psdBlurPlane(float* plane, int32 width, int32 height, size_t stride, double radius,
                      PSDBlurEdge edge, float outside = 0);

#endif
