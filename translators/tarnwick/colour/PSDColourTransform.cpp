#include "PSDColourTransform.h"

#include "PSDColourFormulas.h"
#include "PSDColourThreads.h"

#include <core/PSDPixel.h>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Nodes a side. CMYK's grid interpolates SWOP to within a tenth of a level
// on average and 1 level for 98 % of the colours; an RGB grid must follow
// wide gamuts to where sRGB clips them, which takes a finer one.
const int kFourInputNodes = 25;
const int kThreeInputNodes = 65;
// Photoshop's own sRGB profile strays half a level from lcms2's sRGB.
const double kSrgbTolerance = 0.75 / 255;
// A matrix-shaper's curves and matrix must give lcms2's result to within
// this, or the profile is sampled on a grid like any other.
const double kMatrixTolerance = 0.1 / 255;
// Nodes sampled at a time on each thread, in buffers on its stack.
const uint32 kNodesAtOnce = 1024;

struct Profile {
	cmsHPROFILE handle = nullptr;
	~Profile()
	{
		if (handle != nullptr)
			cmsCloseProfile(handle);
	}
};

struct Transform {
	cmsHTRANSFORM handle = nullptr;
	~Transform()
	{
		if (handle != nullptr)
			cmsDeleteTransform(handle);
	}
};

cmsColorSpaceSignature spaceSignature(PSDColourSpace space)
{
	switch (space) {
	case PSD_COLOUR_SPACE_GRAY:
		return cmsSigGrayData;
	case PSD_COLOUR_SPACE_RGB:
		return cmsSigRgbData;
	default:
		return cmsSigCmykData;
	}
}

cmsUInt32Number floatFormat(PSDColourSpace space)
{
	switch (space) {
	case PSD_COLOUR_SPACE_GRAY:
		return TYPE_GRAY_FLT;
	case PSD_COLOUR_SPACE_RGB:
		return TYPE_RGB_FLT;
	default:
		return TYPE_CMYK_FLT;
	}
}

// Samples given as fractions of their range, in lcms2's float encoding:
// CMYK as ink percentages (documents store ink inverted).
void encodeSamples(PSDColourSpace space, const float* fractions, float* encoded)
{
	for (int c = 0; c < psdColourSpacePlanes(space); c++)
		encoded[c] = space == PSD_COLOUR_SPACE_CMYK ? 100 * (1 - fractions[c]) : fractions[c];
}

double clamp01(double x)
{
	return std::min(1.0, std::max(0.0, x));
}

uint8 byteOf(float x)
{
	return (uint8)std::floor(255 * clamp01(x) + 0.5);
}

// Opens the profile and makes its float transform into sRGB.
PSDProfileVerdict openTransform(PSDColourSpace space, const uint8* bytes, size_t size,
                                Profile& profile, Transform& transform)
{
	if (size > 0)
		profile.handle = cmsOpenProfileFromMem(bytes, (cmsUInt32Number)size);
	if (profile.handle == nullptr)
		return PSD_PROFILE_DAMAGED;
	if (cmsGetColorSpace(profile.handle) != spaceSignature(space))
		return PSD_PROFILE_OTHER_SPACE;
	Profile srgb;
	srgb.handle = cmsCreate_sRGBProfile();
	if (srgb.handle == nullptr)
		return PSD_PROFILE_DAMAGED;
	transform.handle = cmsCreateTransform(profile.handle, floatFormat(space), srgb.handle,
	                                      TYPE_RGB_FLT, INTENT_RELATIVE_COLORIMETRIC,
	                                      cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE);
	return transform.handle != nullptr ? PSD_PROFILE_CONVERTS : PSD_PROFILE_DAMAGED;
}

// Sample fractions spread over [0, 1] for checks: a 9^3 lattice of RGB, or
// every eighth-bit step of gray.
std::vector<float> checkPoints(PSDColourSpace space)
{
	std::vector<float> points;
	if (space == PSD_COLOUR_SPACE_GRAY) {
		for (int v = 0; v <= 255; v++)
			points.push_back(v / 255.0f);
		return points;
	}
	const int steps = 9;
	for (int r = 0; r < steps; r++) {
		for (int g = 0; g < steps; g++) {
			for (int b = 0; b < steps; b++) {
				points.push_back(r / (steps - 1.0f));
				points.push_back(g / (steps - 1.0f));
				points.push_back(b / (steps - 1.0f));
			}
		}
	}
	return points;
}

// Whether the profile's transform leaves the samples as they are (linear
// samples: as the sRGB curve makes them).
bool isSrgb(cmsHTRANSFORM transform, PSDColourSpace space, bool linear)
{
	const std::vector<float> points = checkPoints(space);
	const int planes = psdColourSpacePlanes(space);
	const size_t count = points.size() / planes;
	std::vector<float> out(count * 3);
	cmsDoTransform(transform, points.data(), out.data(), (cmsUInt32Number)count);
	for (size_t i = 0; i < count; i++) {
		for (int c = 0; c < 3; c++) {
			const double x = points[i * planes + (planes == 1 ? 0 : c)];
			const double expected = linear ? psdColourSrgbEncode(x) : x;
			if (std::fabs(clamp01(out[i * 3 + c]) - expected) > kSrgbTolerance)
				return false;
		}
	}
	return true;
}

PSDColourTransform* grayTable(cmsHTRANSFORM transform, int sampleBytes)
{
	const uint32 values = sampleBytes == 1 ? 256 : 65536;
	std::unique_ptr<PSDColourTransform> table(new PSDColourTransform(PSDColourTransform::kGray));
	std::vector<float> in(values), out(values * 3);
	for (uint32 v = 0; v < values; v++)
		in[v] = (float)v / (values - 1);
	cmsDoTransform(transform, in.data(), out.data(), values);
	table->gray.resize(values);
	for (uint32 v = 0; v < values; v++) {
		const float* rgb = &out[v * 3];
		table->gray[v] = psdCorePixel(byteOf(rgb[2]), byteOf(rgb[1]), byteOf(rgb[0]), 0);
	}
	return table.release();
}

bool invert(const double m[9], double inverse[9])
{
	const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
	                   m[2] * (m[3] * m[7] - m[4] * m[6]);
	if (!(std::fabs(det) > 1e-12))
		return false;
	for (int row = 0; row < 3; row++) {
		for (int column = 0; column < 3; column++) {
			// The cofactor of the transposed position.
			const int r1 = (column + 1) % 3, r2 = (column + 2) % 3;
			const int c1 = (row + 1) % 3, c2 = (row + 2) % 3;
			inverse[row * 3 + column] =
			    (m[r1 * 3 + c1] * m[r2 * 3 + c2] - m[r1 * 3 + c2] * m[r2 * 3 + c1]) / det;
		}
	}
	return true;
}

// A matrix-shaper's colorants as the columns of a matrix into XYZ, and its
// curves; false when a tag is missing.
bool readMatrixShaper(cmsHPROFILE profile, double matrix[9], cmsToneCurve* curves[3])
{
	const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
	                                      cmsSigBlueColorantTag};
	const cmsTagSignature trcs[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
	for (int c = 0; c < 3; c++) {
		const cmsCIEXYZ* xyz = (const cmsCIEXYZ*)cmsReadTag(profile, colorants[c]);
		if (curves != nullptr)
			curves[c] = (cmsToneCurve*)cmsReadTag(profile, trcs[c]);
		if (xyz == nullptr || (curves != nullptr && curves[c] == nullptr))
			return false;
		matrix[c] = xyz->X;
		matrix[3 + c] = xyz->Y;
		matrix[6 + c] = xyz->Z;
	}
	return true;
}

// The profile's colorants into linear sRGB: sRGB's own colorants inverted.
bool matrixToSrgb(cmsHPROFILE profile, cmsToneCurve* curves[3], float out[9])
{
	Profile srgb;
	srgb.handle = cmsCreate_sRGBProfile();
	double from[9], to[9], inverse[9];
	if (srgb.handle == nullptr || !readMatrixShaper(profile, from, curves) ||
	    !readMatrixShaper(srgb.handle, to, nullptr) || !invert(to, inverse))
		return false;
	for (int row = 0; row < 3; row++) {
		for (int column = 0; column < 3; column++) {
			double sum = 0;
			for (int k = 0; k < 3; k++)
				sum += inverse[row * 3 + k] * from[k * 3 + column];
			out[row * 3 + column] = (float)sum;
		}
	}
	return true;
}

// Whether curves and matrix give what lcms2 gives; black point
// compensation, for one, can make them differ.
bool matrixAgrees(cmsHTRANSFORM transform, const float matrix[9], cmsToneCurve* curves[3])
{
	const std::vector<float> points = checkPoints(PSD_COLOUR_SPACE_RGB);
	const size_t count = points.size() / 3;
	std::vector<float> out(count * 3);
	cmsDoTransform(transform, points.data(), out.data(), (cmsUInt32Number)count);
	for (size_t i = 0; i < count; i++) {
		double linear[3];
		for (int c = 0; c < 3; c++)
			linear[c] = cmsEvalToneCurveFloat(curves[c], points[i * 3 + c]);
		for (int row = 0; row < 3; row++) {
			const float* k = matrix + 3 * row;
			const double ours = psdColourSrgbEncode(
			    clamp01(k[0] * linear[0] + k[1] * linear[1] + k[2] * linear[2]));
			if (std::fabs(ours - clamp01(out[i * 3 + row])) > kMatrixTolerance)
				return false;
		}
	}
	return true;
}

// Curves and a matrix for a matrix-shaper profile that lcms2 uses as one;
// null for any other.
PSDColourTransform* matrixShaper(cmsHPROFILE profile, cmsHTRANSFORM transform, int sampleBytes)
{
	if (!cmsIsMatrixShaper(profile) ||
	    cmsIsCLUT(profile, INTENT_RELATIVE_COLORIMETRIC, LCMS_USED_AS_INPUT))
		return nullptr;
	std::unique_ptr<PSDColourTransform> table(new PSDColourTransform(PSDColourTransform::kMatrix));
	cmsToneCurve* curves[3];
	if (!matrixToSrgb(profile, curves, table->matrix.matrix) ||
	    !matrixAgrees(transform, table->matrix.matrix, curves))
		return nullptr;
	const uint32 values = sampleBytes == 1 ? 256 : 65536;
	for (int c = 0; c < 3; c++) {
		table->matrix.curves[c].resize(values);
		for (uint32 v = 0; v < values; v++)
			table->matrix.curves[c][v] = cmsEvalToneCurveFloat(curves[c], (float)v / (values - 1));
	}
	return table.release();
}

// Lab (D50) to XYZ, as lcms2 computes it.
void labToXyz(const float* lab, double* xyz)
{
	auto finv = [](double t) { return t > 6.0 / 29 ? t * t * t : 108.0 / 841 * (t - 4.0 / 29); };
	const cmsCIEXYZ* white = cmsD50_XYZ();
	const double fy = (lab[0] + 16) / 116;
	xyz[0] = white->X * finv(fy + lab[1] / 500);
	xyz[1] = white->Y * finv(fy);
	xyz[2] = white->Z * finv(fy - lab[2] / 200);
}

// The sRGB curve from 0 to 2 in steps of 1/4096, read between its points:
// within a hundredth of a level, for a fraction of pow's time.
struct EncodeCurve {
	enum { kSteps = 8192 };
	float points[kSteps + 2];

	EncodeCurve()
	{
		for (int i = 0; i <= kSteps + 1; i++)
			points[i] = (float)psdColourSrgbEncode(2.0 * i / kSteps);
	}

	// Carried on past both ends, so that nodes out of gamut lie where
	// interpolation towards the gamut's edge wants them.
	float operator()(double linear) const
	{
		const double x = std::min(std::fabs(linear), 2.0) * (kSteps / 2);
		const int i = (int)x;
		const float value = points[i] + (float)(x - i) * (points[i + 1] - points[i]);
		return linear < 0 ? -value : value;
	}
};

// XYZ (D50) into linear sRGB: lcms2's sRGB colorants inverted.
bool srgbFromXyz(double matrix[9])
{
	Profile srgb;
	srgb.handle = cmsCreate_sRGBProfile();
	double colorants[9];
	return srgb.handle != nullptr && readMatrixShaper(srgb.handle, colorants, nullptr) &&
	       invert(colorants, matrix);
}

// Grids are sampled in two steps: lcms2 takes the samples to Lab (D50, with
// black point compensation, Lab's own black being zero as sRGB's is), and
// sRGB's matrix and curve take Lab on: the same result as lcms2's transform
// into sRGB, in less than half its time.
PSDColourTransform* sampledGrid(cmsHPROFILE profile, PSDColourSpace space)
{
	Profile lab;
	lab.handle = cmsCreateLab4Profile(nullptr);
	Transform toLab;
	double fromXyz[9];
	if (lab.handle == nullptr || !srgbFromXyz(fromXyz))
		return nullptr;
	toLab.handle = cmsCreateTransform(profile, floatFormat(space), lab.handle, TYPE_Lab_FLT,
	                                  INTENT_RELATIVE_COLORIMETRIC,
	                                  cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE);
	if (toLab.handle == nullptr)
		return nullptr;

	std::unique_ptr<PSDColourTransform> table(new PSDColourTransform(PSDColourTransform::kGrid));
	PSDColourGrid& grid = table->grid;
	grid.inputs = psdColourSpacePlanes(space);
	grid.nodes = grid.inputs == 4 ? kFourInputNodes : kThreeInputNodes;
	int32 stride = 1;
	for (int c = grid.inputs - 1; c >= 0; c--, stride *= grid.nodes)
		grid.strides[c] = stride;
	const uint64 count = (uint64)stride;
	grid.values.resize(count);
	const std::unique_ptr<EncodeCurve> encode(new EncodeCurve);
	psdColourInParallel(count, kNodesAtOnce, [&](uint64 first, uint64 end) {
		float in[kNodesAtOnce * 4], labs[kNodesAtOnce * 3];
		for (uint64 at = first; at < end; at += kNodesAtOnce) {
			const uint32 n = (uint32)std::min<uint64>(kNodesAtOnce, end - at);
			for (uint32 i = 0; i < n; i++) {
				float fractions[4];
				for (int c = 0; c < grid.inputs; c++)
					fractions[c] =
					    (float)((at + i) / grid.strides[c] % grid.nodes) / (grid.nodes - 1);
				encodeSamples(space, fractions, &in[(size_t)i * grid.inputs]);
			}
			cmsDoTransform(toLab.handle, in, labs, n);
			for (uint32 i = 0; i < n; i++) {
				double xyz[3];
				labToXyz(&labs[(size_t)i * 3], xyz);
				float rgb[3];
				for (int c = 0; c < 3; c++) {
					const double* k = fromXyz + 3 * c;
					rgb[c] = (*encode)(k[0] * xyz[0] + k[1] * xyz[1] + k[2] * xyz[2]);
				}
				grid.values[at + i] = psdColourGridNode(rgb);
			}
		}
	});
	return table.release();
}

// Lab by its formula: sRGB's matrix with D50's white taken in.
PSDColourTransform* labFormula()
{
	double fromXyz[9];
	if (!srgbFromXyz(fromXyz))
		return nullptr;
	std::unique_ptr<PSDColourTransform> table(new PSDColourTransform(PSDColourTransform::kLab));
	const cmsCIEXYZ* white = cmsD50_XYZ();
	const double columns[3] = {white->X, white->Y, white->Z};
	for (int i = 0; i < 9; i++)
		table->lab.matrix[i] = (float)(fromXyz[i] * columns[i % 3]);
	return table.release();
}

} // namespace

int psdColourSpacePlanes(PSDColourSpace space)
{
	switch (space) {
	case PSD_COLOUR_SPACE_GRAY:
		return 1;
	case PSD_COLOUR_SPACE_CMYK:
		return 4;
	default:
		return 3;
	}
}

void PSDColourTransform::Pixels(const PSDSamples& samples, uint32* pixels) const
{
	switch (kind) {
	case kGray:
		psdColourGrayPixels(gray.data(), samples, pixels);
		break;
	case kMatrix:
		psdColourMatrixPixels(matrix, samples, pixels);
		break;
	case kGrid:
		psdColourGridPixels(grid, samples, pixels);
		break;
	case kLab:
		psdColourLabPixels(lab, samples, pixels);
		break;
	case kInk:
		psdColourInkPixels(samples, pixels);
		break;
	}
}

std::shared_ptr<const PSDColourTransform> psdColourInkTransform()
{
	// Not make_shared: its type tag is a unique symbol, which would keep the
	// add-on loaded past the host's unload.
	return std::shared_ptr<const PSDColourTransform>(
	    new PSDColourTransform(PSDColourTransform::kInk));
}

PSDProfileVerdict psdColourJudgeProfile(PSDColourSpace space, bool linear, const uint8* bytes,
                                        size_t size)
{
	if (space == PSD_COLOUR_SPACE_LAB)
		return PSD_PROFILE_CONVERTS;
	Profile profile;
	Transform lcms;
	const PSDProfileVerdict verdict = openTransform(space, bytes, size, profile, lcms);
	const bool canBeSrgb = space == PSD_COLOUR_SPACE_GRAY || space == PSD_COLOUR_SPACE_RGB;
	if (verdict == PSD_PROFILE_CONVERTS && canBeSrgb && isSrgb(lcms.handle, space, linear))
		return PSD_PROFILE_IS_SRGB;
	return verdict;
}

std::shared_ptr<const PSDColourTransform>
psdColourMakeTransform(PSDColourSpace space, int sampleBytes, const uint8* bytes, size_t size)
{
	try {
		if (space == PSD_COLOUR_SPACE_LAB)
			return std::shared_ptr<const PSDColourTransform>(labFormula());
		Profile profile;
		Transform lcms;
		if (openTransform(space, bytes, size, profile, lcms) != PSD_PROFILE_CONVERTS)
			return nullptr;
		PSDColourTransform* table = nullptr;
		if (space == PSD_COLOUR_SPACE_GRAY)
			table = grayTable(lcms.handle, sampleBytes);
		else if (space == PSD_COLOUR_SPACE_RGB)
			table = matrixShaper(profile.handle, lcms.handle, sampleBytes);
		if (table == nullptr)
			table = sampledGrid(profile.handle, space);
		return std::shared_ptr<const PSDColourTransform>(table);
	} catch (const std::bad_alloc&) {
		return nullptr;
	}
}
