#include "CorpusBlocks.h"
#include <core/PSDBytes.h>
#include <core/PSDCore.h>
#include <core/PSDMergedImage.h>
#include <layers/PSDDescriptor.h>
#include <layers/style/PSDFillSettings.h>
#include <layers/style/PSDPatternTable.h>
#include <render/paint/PSDFill.h>
#include <render/paint/PSDGradient.h>
#include <render/paint/PSDGradientGeometry.h>

#include <DataIO.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::string kCorpus = SHARED_CORPUS_DIR;

int Byte(double value)
{
	return (int)std::floor(value * 255 + 0.5);
}

float At(const PSDGradientRamp& ramp, double t)
{
	float value;
	ramp.Evaluate(t, &value);
	return value;
}

TEST(PSDGradient, StopsBlendAsPhotoshopDoes)
{
	// Full smoothness eases in and out; these bytes are Photoshop's own, the
	// alpha of layers__gradient-fill.psd at t = 1/32 ... 8/32.
	PSDGradientRamp smooth({{0, 0.5, {0}}, {1, 0.5, {1}}}, 1, 1);
	const int photoshop[] = {4, 9, 15, 21, 28, 36, 44, 52};
	for (int i = 0; i < 8; i++)
		EXPECT_EQ(Byte(At(smooth, (i + 1) / 32.0)), photoshop[i]) << i;
	EXPECT_FLOAT_EQ(At(smooth, 0.5), 0.5f);

	// No smoothness is straight; the midpoint (on the later stop) moves the half-way mark.
	PSDGradientRamp straight({{1, 0.25, {1}}, {0, 0.5, {0}}}, 1, 0);
	EXPECT_FLOAT_EQ(At(straight, 0.25), 0.5f);
	EXPECT_FLOAT_EQ(At(straight, 0.125), 0.25f);
	EXPECT_FLOAT_EQ(At(straight, 0.625), 0.75f);
	EXPECT_FLOAT_EQ(At(straight, -1), 0);
	EXPECT_FLOAT_EQ(At(straight, 2), 1);
	EXPECT_FLOAT_EQ(At(straight, NAN), 0);

	// The curve runs through an inner stop without stopping there (its slope
	// is the neighbours'), yet never leaves the range of the two stops around it.
	PSDGradientRamp through({{0, 0.5, {0}}, {0.5, 0.5, {0.5}}, {1, 0.5, {1}}}, 1, 1);
	double slope = (At(through, 0.501) - At(through, 0.499)) / 0.002;
	EXPECT_NEAR(slope, 1, 0.01);
	PSDGradientRamp clamped({{0, 0.5, {0.2f}}, {0.2, 0.5, {0.25f}}, {0.4, 0.5, {1}}}, 1, 1);
	for (double t = 0; t <= 0.2; t += 0.01) {
		EXPECT_GE(At(clamped, t), 0.2f) << t;
		EXPECT_LE(At(clamped, t), 0.25f) << t;
	}
}

void AddItem(PSDDescriptor* d, const char* key, const char* type, double number,
             const char* id = "")
{
	d->items.emplace_back();
	d->items.back().key = key;
	d->items.back().value.type = type;
	d->items.back().value.number = number;
	d->items.back().value.id = id;
}

// A colour stop; colorKey names the one component of its colour, if any.
PSDDescriptorValue Stop(const char* kind, double location, const char* colorKey = nullptr,
                        double component = 0)
{
	PSDDescriptorValue value;
	value.type = "Objc";
	value.descriptor.reset(new PSDDescriptor);
	AddItem(value.descriptor.get(), "Type", "enum", 0, kind);
	AddItem(value.descriptor.get(), "Lctn", "doub", location);
	if (colorKey != nullptr) {
		AddItem(value.descriptor.get(), "Clr ", "Objc", 0);
		PSDDescriptor* color = new PSDDescriptor;
		value.descriptor->items.back().value.descriptor.reset(color);
		AddItem(color, colorKey, "doub", component);
	}
	return value;
}

TEST(PSDGradient, DescriptorStopsInTheDocumentsMode)
{
	PSDDescriptor gradient;
	AddItem(&gradient, "Clrs", "VlLs", 0);
	std::vector<PSDDescriptorValue>& stops = gradient.items.back().value.list;
	stops.push_back(Stop("FrgC", 0));
	stops.push_back(Stop("UsrS", 2048, "Cyn ", 100));
	stops.push_back(Stop("BckC", 4096));

	PSDGradient cmyk;
	ASSERT_TRUE(cmyk.SetFromDescriptor(gradient, PSD_MODE_CMYK, false));
	ASSERT_EQ(cmyk.Channels(), 4);
	float color[4], alpha;
	cmyk.Evaluate(0, color, &alpha);
	EXPECT_EQ(std::vector<float>(color, color + 4), std::vector<float>({1, 1, 1, 0}));
	EXPECT_EQ(alpha, 1); // no transparency stops: opaque
	cmyk.Evaluate(0.5, color, &alpha);
	EXPECT_EQ(std::vector<float>(color, color + 4), std::vector<float>({0, 1, 1, 1}));
	cmyk.Evaluate(1, color, &alpha);
	EXPECT_EQ(std::vector<float>(color, color + 4), std::vector<float>({1, 1, 1, 1}));

	PSDGradient gray;
	ASSERT_TRUE(gray.SetFromDescriptor(gradient, PSD_MODE_GRAYSCALE, true));
	gray.Evaluate(0.25, color, &alpha);
	// Half way in linear light between black and cyan's gray lies above half way in values.
	EXPECT_GT(color[0], 0.3f);

	PSDGradient none;
	EXPECT_FALSE(none.SetFromDescriptor(gradient, PSD_MODE_LAB, false));
	AddItem(&gradient, "GrdF", "enum", 0, "ClNs");
	EXPECT_FALSE(none.SetFromDescriptor(gradient, PSD_MODE_RGB, false));
	EXPECT_FALSE(none.SetFromDescriptor(PSDDescriptor(), PSD_MODE_RGB, false));
}

TEST(PSDGradient, GeometryPlacesStartAndEnd)
{
	const PSDBounds box = {0, 0, 32, 32};
	// 90 degrees points up; pixels are sampled at their integer coordinates.
	PSDGradientGeometry up(PSD_GRADIENT_LINEAR, 90, 1, 0, 0, false, box);
	EXPECT_DOUBLE_EQ(up.At(5, 0), 1);
	EXPECT_DOUBLE_EQ(up.At(5, 16), 0.5);
	EXPECT_DOUBLE_EQ(up.At(5, 31), 1 / 32.0);
	PSDGradientGeometry down(PSD_GRADIENT_LINEAR, 90, 1, 0, 0, true, box);
	EXPECT_DOUBLE_EQ(down.At(5, 31), 31 / 32.0);

	// At 30 degrees the ends, (0, 25.24) and (32, 6.76), round down to whole pixels.
	PSDGradientGeometry linear(PSD_GRADIENT_LINEAR, 30, 1, 0, 0, false, box);
	EXPECT_NEAR(linear.At(0, 25), 0, 1e-12);
	EXPECT_NEAR(linear.At(32, 6), 1, 1e-12);
	PSDGradientGeometry radial(PSD_GRADIENT_RADIAL, 30, 1, 0, 0, false, box);
	EXPECT_DOUBLE_EQ(radial.At(16, 16), 0);
	EXPECT_DOUBLE_EQ(radial.At(32, 6), 1);
	EXPECT_DOUBLE_EQ(radial.At(0, 26), 1);

	PSDGradientGeometry reflected(PSD_GRADIENT_REFLECTED, 0, 1, 0, 0, false, box);
	EXPECT_DOUBLE_EQ(reflected.At(8, 3), 0.5);
	EXPECT_DOUBLE_EQ(reflected.At(24, 3), 0.5);
	PSDGradientGeometry diamond(PSD_GRADIENT_DIAMOND, 0, 1, 0, 0, false, box);
	EXPECT_DOUBLE_EQ(diamond.At(24, 16), 0.5);
	EXPECT_DOUBLE_EQ(diamond.At(16, 8), 0.5);
	EXPECT_DOUBLE_EQ(diamond.At(20, 12), 0.5);
	// The angle gradient turns clockwise on screen from its seam.
	PSDGradientGeometry angle(PSD_GRADIENT_ANGLE, 0, 1, 0, 0, false, box);
	EXPECT_DOUBLE_EQ(angle.At(16, 24), 0.25);
	EXPECT_DOUBLE_EQ(angle.At(8, 16), 0.5);
	EXPECT_GT(angle.At(24, 15), 0.95);

	// A box where a polygon's anchors lie, between whole pixels: its ends
	// still round down, from (0.92, 0.93) and (29.61, 29.61).
	PSDGradientGeometry polygon(PSD_GRADIENT_LINEAR, -45, 1, 0, 0, false,
	                            {0.92, 0.93, 29.61, 29.61});
	EXPECT_NEAR(polygon.At(0, 0), 0, 1e-12);
	EXPECT_NEAR(polygon.At(29, 29), 1, 1e-12);

	// Scale and offset: half the reach, centred a quarter of the box to the right.
	PSDGradientGeometry moved(PSD_GRADIENT_LINEAR, 0, 0.5, 0.25, 0, false, box);
	EXPECT_DOUBLE_EQ(moved.At(16, 0), 0);
	EXPECT_DOUBLE_EQ(moved.At(24, 0), 0.5);

	// Nothing to spread over, or absurd numbers: still a number.
	PSDGradientGeometry empty(PSD_GRADIENT_RADIAL, 0, 1, 0, 0, false, {3, 3, 3, 3});
	EXPECT_TRUE(std::isfinite(empty.At(100, -100)));
	PSDGradientGeometry huge(PSD_GRADIENT_ANGLE, 1e300, 1e300, 1e300, 0, false, box);
	EXPECT_TRUE(std::isfinite(huge.At(0, 0)));
}

// The merged image's bytes (B, G, R, A) of an RGB corpus file.
std::vector<uint8> MergedRGBA(const std::vector<uint8>& file, uint32* width, uint32* height)
{
	BMemoryIO in(file.data(), file.size());
	PSDDocument document;
	std::string reason;
	std::vector<uint8> pixels;
	if (psdCoreDescribe(&in, &document, &reason) != B_OK || document.mode != PSD_MODE_RGB)
		return pixels;
	*width = document.width;
	*height = document.height;
	pixels.resize((size_t)*width * *height * 4);
	PSDPixelBufferSink sink((uint32*)pixels.data());
	if (psdCoreDecodeMerged(&in, document, document.channels > 3 ? PSD_MERGED_RGBA : PSD_MERGED_RGB,
	                        sink) != B_OK)
		pixels.clear();
	return pixels;
}

// The settings of every gradient fill block of a file, read as a layer
// holding the block.
std::vector<PSDFillSettings> GradientFills(const std::vector<uint8>& file)
{
	BMemoryIO in(file.data(), file.size());
	const PSDModelContext context = {&in,   1000, 1000, PSD_MODE_RGB, 3, 8,
	                                 false, 90,   30,   nullptr,      {}};
	PSDPatternTable patterns(context);
	std::vector<PSDFillSettings> fills;
	for (size_t i = 0; i + 12 < file.size(); i++) {
		if (memcmp(&file[i], "8BIMGdFl", 8) != 0)
			continue;
		PSDLayer layer = {};
		layer.blocks.push_back({psdKey("GdFl"), i + 12, psdBig32(&file[i + 8])});
		fills.push_back(psdReadFill(context, layer, patterns));
	}
	return fills;
}

// Colour planes, then alpha, of a fill rendered over rect.
std::vector<std::vector<float>> Render(const PSDGradientFill& fill, const PSDRect& rect)
{
	size_t width = rect.right - rect.left;
	std::vector<std::vector<float>> planes(fill.Channels() + 1,
	                                       std::vector<float>(width * (rect.bottom - rect.top)));
	std::vector<float*> pointers;
	for (std::vector<float>& plane : planes)
		pointers.push_back(plane.data());
	fill.Render(rect, pointers.data(), pointers.back(), width);
	return planes;
}

TEST(PSDGradient, FillsMatchPhotoshopsMergedImage)
{
	if (!std::filesystem::exists(kCorpus))
		GTEST_SKIP() << "no corpus at " << kCorpus;
	// Fifteen 32 x 32 shapes in rows 50 pixels apart: linear, radial, angle,
	// reflected and diamond at 30 degrees, at 60 reversed, at -60 scaled 50 %;
	// then five noise gradients.
	std::vector<uint8> file = read_corpus_file(kCorpus + "/layers/gradient-styles.psd");
	uint32 width, height;
	std::vector<uint8> merged = MergedRGBA(file, &width, &height);
	std::vector<PSDFillSettings> fills = GradientFills(file);
	ASSERT_FALSE(merged.empty());
	ASSERT_EQ(fills.size(), 20u);
	PSDRect document = {0, 0, (int32)width, (int32)height};
	double total = 0, worst = 0;
	for (size_t k = 0; k < 15; k++) {
		PSDRect box = {(int32)(k % 5) * 32, (int32)(k / 5) * 50, 0, 0};
		box.right = box.left + 32;
		box.bottom = box.top + 32;
		ASSERT_TRUE(fills[k].present) << k;
		PSDGradientFill fill(fills[k].paint.gradient, document, toBounds(box));
		std::vector<std::vector<float>> planes = Render(fill, box);
		// One pixel in from the shape's antialiased edges.
		double difference = 0;
		int count = 0;
		for (int32 y = 1; y < 31; y++) {
			for (int32 x = 1; x < 31; x++) {
				const uint8* pixel = &merged[((size_t)(box.top + y) * width + box.left + x) * 4];
				for (int c = 0; c < 3; c++)
					difference += std::abs(Byte(planes[c][y * 32 + x]) - pixel[2 - c]);
				count += 3;
			}
		}
		difference /= count;
		total += difference;
		worst = std::max(worst, difference);
	}
	// Photoshop dithered most of these: a quarter level of noise on average.
	// The diamond at 60 degrees and the scaled linear one end a pixel away
	// from where these rules put them.
	EXPECT_LT(total / 15, 1.0);
	EXPECT_LT(worst, 6.0);
	for (size_t k = 15; k < 20; k++)
		EXPECT_FALSE(fills[k].present);

	// Colour to transparent, full canvas: the merged alpha is the fill's.
	file = read_corpus_file(kCorpus + "/layers/layers__gradient-fill.psd");
	merged = MergedRGBA(file, &width, &height);
	fills = GradientFills(file);
	ASSERT_EQ(fills.size(), 1u);
	ASSERT_EQ(merged.size(), (size_t)width * height * 4);
	document = {0, 0, (int32)width, (int32)height};
	ASSERT_TRUE(fills[0].present);
	PSDGradientFill fill(fills[0].paint.gradient, document, toBounds(document));
	std::vector<std::vector<float>> planes = Render(fill, document);
	for (size_t i = 0; i < (size_t)width * height; i++) {
		ASSERT_EQ(Byte(planes[3][i]), merged[i * 4 + 3]) << i;
		ASSERT_EQ(Byte(planes[0][i]), 255);
	}
}

// Rendered at half the size, a gradient is the full-size one averaged down.
TEST(PSDGradient, ReducedRenderingIsTheFullOneScaledDown)
{
	PSDPaintSettings paint;
	paint.kind = PSD_PAINT_GRADIENT;
	PSDGradientSettings& gradient = paint.gradient;
	gradient.channels = 3;
	gradient.colours = {
	    {0, 0.5, {1, 0, 0.2f}}, {0.6, 0.3, {0, 1, 0.5f}}, {1, 0.5, {0.3f, 0.3f, 1}}};
	gradient.alphas = {{0, 0.5, {1}}, {1, 0.5, {0.2f}}};
	PSDRenderTarget full = {64, 64, 3, PSD_MODE_RGB, 8};
	PSDRenderTarget half = full;
	half.width = half.height = 32;
	half.scale = 0.5;
	for (PSDGradientShape shape :
	     {PSD_GRADIENT_LINEAR, PSD_GRADIENT_RADIAL, PSD_GRADIENT_DIAMOND}) {
		gradient.shape = shape;
		gradient.angle = 30;
		std::unique_ptr<PSDFill> large = psdMakeFill(paint, full, {8, 4, 56, 60});
		std::unique_ptr<PSDFill> small = psdMakeFill(paint, half, {4, 2, 28, 30});
		double total = 0, worst = 0;
		std::vector<float> rows(64 * 4 * 2), row(32 * 4);
		for (int32 y = 0; y < 32; y++) {
			for (int32 v = 0; v < 2; v++) {
				float* planes[3] = {&rows[v * 256], &rows[v * 256 + 64], &rows[v * 256 + 128]};
				large->Row(0, 2 * y + v, 64, planes, &rows[v * 256 + 192]);
			}
			float* planes[3] = {&row[0], &row[32], &row[64]};
			small->Row(0, y, 32, planes, &row[96]);
			for (int p = 0; p < 4; p++) {
				for (int32 x = 0; x < 32; x++) {
					double mean = 0;
					for (int32 v = 0; v < 2; v++)
						mean +=
						    (rows[v * 256 + p * 64 + 2 * x] + rows[v * 256 + p * 64 + 2 * x + 1]) /
						    4;
					const double difference = std::fabs(row[p * 32 + x] - mean);
					total += difference;
					worst = std::max(worst, difference);
				}
			}
		}
		// A sample at a cusp (the centre, a diamond's diagonals) is not the
		// mean around it.
		EXPECT_LT(total / (32 * 32 * 4), 0.002) << shape;
		EXPECT_LT(worst, 0.06) << shape;
	}
}

} // namespace
