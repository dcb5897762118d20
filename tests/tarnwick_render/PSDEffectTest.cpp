// Layer effects made from settings on small hand-drawn shapes: where
// strokes, shadows and glows fall, that absurd settings stay bounded, and
// that a reduced rendering is the full one scaled down.

#include <render/compose/PSDBand.h>
#include <render/effects/PSDContour.h>
#include <render/effects/PSDEffect.h>
#include <render/effects/PSDLayerEffects.h>
#include <render/shape/PSDDistance.h>

#include <core/PSDCore.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

const PSDRenderTarget kTarget = {64, 64, 3, PSD_MODE_RGB, 8};

// An opaque square layer of one colour, on a canvas.
class Square : public PSDShapeSource {
public:
	Square(int32 at, int32 side) : fBounds({at, at, at + side, at + side}) {}

	PSDRect Extent() const override { return fBounds; }
	PSDRect Paintable() const override { return fBounds; }
	PSDBounds Box() const override { return toBounds(fBounds); }
	void Shape(const PSDRect& area, float* shape, size_t stride) override
	{
		for (int32 y = area.top; y < area.bottom; y++) {
			for (int32 x = area.left; x < area.right; x++) {
				const bool in = x >= fBounds.left && x < fBounds.right && y >= fBounds.top &&
				                y < fBounds.bottom;
				shape[(size_t)(y - area.top) * stride + (x - area.left)] = in ? 1 : 0;
			}
		}
	}
	void Paint(const PSDRect& area, float* const colour[], float* shape, size_t stride) override
	{
		Shape(area, shape, stride);
		for (int c = 0; c < 3; c++) {
			for (int32 y = area.top; y < area.bottom; y++)
				std::fill_n(colour[c] + (size_t)(y - area.top) * stride, area.right - area.left,
				            0.25f * (c + 1));
		}
	}

private:
	PSDRect fBounds;
};

// An effect's coverage over the whole canvas, row after row.
std::vector<float> coverage(const PSDEffectSettings& settings, PSDShapeSource& layer,
                            const PSDRenderTarget& target = kTarget)
{
	std::unique_ptr<PSDEffect> effect = psdMakeEffect(settings, target);
	const PSDRect canvas = {0, 0, target.width, target.height};
	PSDLayerShape shape(layer, canvas, effect->DistanceRange(), target.height, target.height);
	effect->Start(shape);
	std::vector<float> plane;
	for (int32 y = 0; y < target.height; y++) {
		const float* row = effect->Row(y);
		plane.insert(plane.end(), row, row + target.width);
	}
	return plane;
}

PSDEffectSettings effect(PSDEffectKind kind, double size, double distance = 0, double angle = 0)
{
	PSDEffectSettings settings;
	settings.kind = kind;
	settings.size = size;
	settings.distance = distance;
	settings.angle = angle;
	return settings;
}

TEST(PSDDistance, RowByRowMatchesBruteForceWithinItsRange)
{
	std::mt19937 random(7);
	const int32 width = 23, height = 31, range = 6;
	std::vector<uint8> seeds((size_t)width * height);
	for (uint8& seed : seeds)
		seed = random() % 29 == 0;
	PSDRollingDistance distance(width, range);
	std::vector<float> row(width);
	for (int32 y = 0; y < height; y++) {
		while (distance.RowsAdded() < std::min(height, y + range + 1))
			distance.AddRow(&seeds[(size_t)distance.RowsAdded() * width]);
		distance.Distances(y, row.data());
		for (int32 x = 0; x < width; x++) {
			double best = 1e30;
			for (int32 v = 0; v < height; v++)
				for (int32 u = 0; u < width; u++)
					if (seeds[(size_t)v * width + u])
						best = std::min(best, double((x - u) * (x - u) + (y - v) * (y - v)));
			if (best <= range * range)
				ASSERT_EQ(best, row[x]) << x << "," << y;
			else
				ASSERT_GT(row[x], range * range) << x << "," << y;
		}
	}
}

TEST(PSDEffect, StrokesLieOutsideInsideOrAcrossTheEdge)
{
	// Along the square's row 30: its pixels are columns 20 to 39.
	struct Case {
		PSDStrokePosition position;
		int32 first, last; // columns the stroke covers left of the square
	} cases[] = {
	    {PSD_STROKE_OUTSIDE, 17, 19}, {PSD_STROKE_INSIDE, 20, 22}, {PSD_STROKE_CENTRE, 19, 20}};
	Square square(20, 20);
	for (const Case& c : cases) {
		SCOPED_TRACE(c.position);
		PSDEffectSettings stroke =
		    effect(PSD_EFFECT_STROKE, c.position == PSD_STROKE_CENTRE ? 2 : 3);
		stroke.position = c.position;
		const std::vector<float> plane = coverage(stroke, square);
		for (int32 x = 10; x < 30; x++) {
			const bool in = x >= c.first && x <= c.last;
			EXPECT_NEAR(in ? 1 : 0, plane[30 * 64 + x], 1e-4) << x;
		}
	}
}

TEST(PSDEffect, DropShadowFallsAwayFromTheLightAndSpreadsWithItsSize)
{
	// The light from above: the shadow falls below.
	PSDEffectSettings shadow = effect(PSD_EFFECT_DROP_SHADOW, 0, 5, 90);
	shadow.knockedOut = false;
	Square small(20, 10);
	const std::vector<float> sharp = coverage(shadow, small);
	for (int32 y = 20; y < 40; y++)
		EXPECT_EQ(y >= 25 && y < 35 ? 1.0f : 0.0f, sharp[(size_t)y * 64 + 24]) << y;

	shadow.size = 8;
	Square large(15, 24);
	const std::vector<float> soft = coverage(shadow, large);
	// Half at the moved edge (row 43 | 44), whole in the middle, gone far off.
	const size_t column = 27;
	EXPECT_NEAR(1.0, soft[43 * 64 + column] + soft[44 * 64 + column], 0.1);
	EXPECT_GT(soft[32 * 64 + column], 0.95);
	EXPECT_GT(soft[49 * 64 + column], 0.02);
	EXPECT_LT(soft[60 * 64 + column], 0.01);
}

TEST(PSDEffect, GlowsReachAsFarAsTheirSize)
{
	Square square(20, 20);
	PSDEffectSettings outer = effect(PSD_EFFECT_OUTER_GLOW, 6);
	outer.precise = true;
	const std::vector<float> glow = coverage(outer, square);
	EXPECT_GT(glow[30 * 64 + 19], 0.8f);
	EXPECT_GT(glow[30 * 64 + 15], 0.0f);
	EXPECT_EQ(0.0f, glow[30 * 64 + 13]);

	PSDEffectSettings inner = effect(PSD_EFFECT_INNER_GLOW, 4);
	inner.precise = true;
	const std::vector<float> inside = coverage(inner, square);
	EXPECT_EQ(0.0f, inside[30 * 64 + 19]); // never outside the shape
	EXPECT_GT(inside[30 * 64 + 20], 0.7f);
	EXPECT_EQ(0.0f, inside[30 * 64 + 30]);
}

TEST(PSDEffect, BevelLightsTheFacetsTurnedToTheLight)
{
	// The light from the upper left: inside the square's left edge the
	// highlight, inside its right edge the shadow, the flat middle neither;
	// sunk (down), the two change places; an outer bevel stays outside.
	Square square(16, 32);
	PSDEffectSettings bevel = effect(PSD_EFFECT_BEVEL, 8, 0, 135);
	for (bool up : {true, false}) {
		SCOPED_TRACE(up);
		bevel.bevel.up = up;
		const std::vector<float> light = coverage(bevel, square);
		std::unique_ptr<PSDEffect> shadowSide = psdMakeBevel(bevel, kTarget, true);
		PSDLayerShape shape(square, {0, 0, 64, 64}, 0, 64, 64);
		shadowSide->Start(shape);
		std::vector<float> shadow;
		for (int32 y = 0; y < 64; y++)
			shadow.insert(shadow.end(), shadowSide->Row(y), shadowSide->Row(y) + 64);
		const size_t left = 32 * 64 + 18, right = 32 * 64 + 45, middle = 32 * 64 + 32;
		EXPECT_GT((up ? light : shadow)[left], 0.3f);
		EXPECT_EQ(0.0f, (up ? shadow : light)[left]);
		EXPECT_GT((up ? shadow : light)[right], 0.3f);
		EXPECT_EQ(0.0f, (up ? light : shadow)[right]);
		EXPECT_LT(light[middle] + shadow[middle], 0.01f);
		EXPECT_EQ(0.0f, light[32 * 64 + 10] + shadow[32 * 64 + 10]);
	}
	bevel.bevel.up = true;
	bevel.bevel.style = PSD_BEVEL_OUTER;
	const std::vector<float> outer = coverage(bevel, square);
	EXPECT_GT(outer[32 * 64 + 14], 0.1f);
	EXPECT_EQ(0.0f, outer[32 * 64 + 18]);
}

TEST(PSDEffect, ContoursBendCoverageThroughTheirPoints)
{
	// A cone: up from 0 to full at the middle and down again, smooth at
	// its peak; no points is the straight line.
	const PSDContour cone({{0, 0, true}, {0.5, 1, false}, {1, 0, true}});
	EXPECT_NEAR(0.0f, cone.Map(0), 1e-6);
	EXPECT_NEAR(1.0f, cone.Map(0.5f), 1e-6);
	EXPECT_NEAR(cone.Map(0.3f), cone.Map(0.7f), 1e-3);
	float last = -1;
	for (float x = 0; x <= 0.5f; x += 0.01f) {
		const float y = cone.Map(x);
		EXPECT_GE(y, last) << x;
		EXPECT_LE(y, 1.0f);
		last = y;
	}
	EXPECT_FLOAT_EQ(0.3f, PSDContour({}).Map(0.3f));
	// Points out of order, outside the square or not numbers stay bounded.
	const PSDContour wild({{1, 5, false}, {NAN, 0, false}, {0.2, -3, false}, {0.4, 2, false}});
	for (float x = -1; x <= 2; x += 0.05f) {
		const float y = wild.Map(x);
		ASSERT_TRUE(y >= 0 && y <= 1) << x;
	}
}

TEST(PSDEffect, AbsurdSettingsStayBounded)
{
	Square empty(0, 0);
	for (PSDEffectKind kind :
	     {PSD_EFFECT_DROP_SHADOW, PSD_EFFECT_INNER_SHADOW, PSD_EFFECT_OUTER_GLOW,
	      PSD_EFFECT_INNER_GLOW, PSD_EFFECT_SATIN, PSD_EFFECT_STROKE, PSD_EFFECT_BEVEL}) {
		SCOPED_TRACE(kind);
		PSDEffectSettings settings = effect(kind, 1e12, 1e15, 1e300);
		settings.spread = 1;
		settings.bevel.style = PSD_BEVEL_PILLOW_EMBOSS;
		settings.bevel.depth = 1e9;
		std::unique_ptr<PSDEffect> made = psdMakeEffect(settings, kTarget);
		EXPECT_LT(made->Reach(), 4 * kPSDEffectMaxSize);
		EXPECT_LT(made->Sight(), 4 * kPSDEffectMaxSize);
		for (float value : coverage(settings, empty))
			ASSERT_TRUE(value >= 0 && value <= 1);
	}
}

// A layer with a soft drop shadow and a stroke composited onto a white
// band: the band's colour planes and alpha.
std::vector<float> composited(const PSDRenderTarget& target, PSDShapeSource& layer)
{
	PSDLayerStyleSettings style;
	style.enabled = true;
	style.effects.push_back(effect(PSD_EFFECT_DROP_SHADOW, 8, 6, 45));
	style.effects.push_back(effect(PSD_EFFECT_STROKE, 4));
	style.effects.back().paint.colour.value[0] = 1;
	std::unique_ptr<PSDLayerEffects> effects = psdMakeLayerEffects(style, target);
	// Bands of a few rows, as the compositor gives them.
	const int32 rows = 5;
	std::vector<float> pixels;
	PSDBand band;
	EXPECT_EQ(B_OK, band.Allocate(3, target.width, rows));
	for (int32 top = 0; top < target.height; top += rows) {
		band.SetTop(top);
		for (int p = 0; p <= 3; p++)
			for (int32 y = top; y < top + rows; y++)
				std::fill_n(band.Row(p, y), target.width, 1.0f);
		EXPECT_EQ(B_OK, effects->Composite(layer, {PSD_BLEND_NORMAL, 1, 1}, nullptr, band));
		for (int32 y = top; y < std::min(target.height, top + rows); y++)
			for (int p = 0; p <= 3; p++)
				pixels.insert(pixels.end(), band.Row(p, y), band.Row(p, y) + target.width);
	}
	return pixels;
}

TEST(PSDEffect, ReducedRenderingIsTheFullOneScaledDown)
{
	Square full(16, 28);
	const std::vector<float> large = composited(kTarget, full);
	PSDRenderTarget half = kTarget;
	half.width = half.height = 32;
	half.scale = 0.5;
	Square reduced(8, 14);
	const std::vector<float> small = composited(half, reduced);
	double total = 0, worst = 0;
	for (int32 y = 0; y < 32; y++) {
		for (int p = 0; p <= 3; p++) {
			for (int32 x = 0; x < 32; x++) {
				double mean = 0;
				for (int32 v = 0; v < 2; v++)
					for (int32 u = 0; u < 2; u++)
						mean += large[((size_t)(2 * y + v) * 4 + p) * 64 + 2 * x + u] / 4;
				const double difference = std::fabs(small[((size_t)y * 4 + p) * 32 + x] - mean);
				total += difference;
				worst = std::max(worst, difference);
			}
		}
	}
	// Pixels at the stroke's round corners differ most: coverage by the
	// distance of a pixel's centre is not its area.
	EXPECT_LT(total / (32 * 32 * 4), 0.002);
	EXPECT_LT(worst, 0.1);
}

} // namespace
