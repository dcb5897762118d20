// Layer effects on small hand-built shapes: where strokes, shadows and glows
// fall, and that absurd descriptors stay bounded.

#include <render/effects/PSDEffect.h>
#include <render/shape/PSDDistance.h>

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDPatterns.h>

#include <gtest/gtest.h>

#include <DataIO.h>

#include <cmath>
#include <random>

namespace {

const PSDRenderTarget kTarget = {64, 64, 3, PSD_MODE_RGB, 8, false};

void add(PSDDescriptor& d, const char* key, double number)
{
	d.items.emplace_back();
	d.items.back().key = key;
	d.items.back().value.type = "doub";
	d.items.back().value.number = number;
}

void addEnum(PSDDescriptor& d, const char* key, const char* id)
{
	d.items.emplace_back();
	d.items.back().key = key;
	d.items.back().value.type = "enum";
	d.items.back().value.id = id;
}

void addBool(PSDDescriptor& d, const char* key, bool value)
{
	d.items.emplace_back();
	d.items.back().key = key;
	d.items.back().value.type = "bool";
	d.items.back().value.integer = value;
}

// A side x side square at (at, at) in a 64 x 64 area at the origin.
PSDEffectShape square(int32 at, int32 side)
{
	PSDPlane alpha(64 * 64, 0.0f);
	for (int32 y = at; y < at + side; y++)
		for (int32 x = at; x < at + side; x++)
			alpha[(size_t)y * 64 + x] = 1;
	PSDEffectShape shape;
	shape.Init({0, 0, 64, 64}, std::move(alpha), {0, 0, 0, 0});
	return shape;
}

PSDPlane prepared(std::unique_ptr<PSDEffect> effect, PSDEffectShape& shape)
{
	EXPECT_TRUE(effect != nullptr);
	EXPECT_EQ(B_OK, effect->Prepare(shape));
	return effect->Coverage();
}

const PSDEffectContext kContext = {nullptr, kTarget, 90, 1, nullptr};

TEST(PSDDistance, MatchesBruteForce)
{
	std::mt19937 random(7);
	const int32 width = 23, height = 17;
	std::vector<uint8> seeds((size_t)width * height);
	for (uint8& seed : seeds)
		seed = random() % 11 == 0;
	std::vector<float> distance(seeds.size());
	ASSERT_EQ(B_OK, psdSquaredDistance(seeds.data(), width, height, distance.data()));
	for (int32 y = 0; y < height; y++) {
		for (int32 x = 0; x < width; x++) {
			double best = 1e30;
			for (int32 v = 0; v < height; v++)
				for (int32 u = 0; u < width; u++)
					if (seeds[(size_t)v * width + u])
						best = std::min(best, double((x - u) * (x - u) + (y - v) * (y - v)));
			ASSERT_EQ(best, distance[(size_t)y * width + x]) << x << "," << y;
		}
	}
	std::fill(seeds.begin(), seeds.end(), 0);
	ASSERT_EQ(B_OK, psdSquaredDistance(seeds.data(), width, height, distance.data()));
	EXPECT_GT(distance[0], 1e6f);
}

TEST(PSDEffect, StrokesLieOutsideInsideOrAcrossTheEdge)
{
	// Along the square's row 30: its pixels are columns 20 to 39.
	struct Case {
		const char* style;
		int32 first, last; // columns the stroke covers left of the square
	} cases[] = {{"OutF", 17, 19}, {"InsF", 20, 22}, {"CtrF", 19, 20}};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.style);
		PSDDescriptor d;
		addEnum(d, "Styl", c.style);
		add(d, "Sz  ", c.style[0] == 'C' ? 2 : 3);
		PSDEffectShape shape = square(20, 20);
		PSDPlane coverage = prepared(psdStroke(d, kContext), shape);
		for (int32 x = 10; x < 30; x++) {
			const bool in = x >= c.first && x <= c.last;
			EXPECT_NEAR(in ? 1 : 0, coverage[30 * 64 + x], 1e-4) << x;
		}
	}
}

TEST(PSDEffect, DropShadowFallsAwayFromTheLightAndSpreadsWithItsSize)
{
	PSDDescriptor d;
	addBool(d, "uglg", false);
	add(d, "lagl", 90); // light from above: the shadow falls below
	add(d, "Dstn", 5);
	addBool(d, "layerConceals", false);
	PSDEffectShape shape = square(20, 10);
	PSDPlane sharp = prepared(psdDropShadow(d, kContext), shape);
	for (int32 y = 20; y < 40; y++)
		EXPECT_EQ(y >= 25 && y < 35 ? 1.0f : 0.0f, sharp[(size_t)y * 64 + 24]) << y;

	add(d, "blur", 8);
	PSDEffectShape large = square(15, 24);
	PSDPlane soft = prepared(psdDropShadow(d, kContext), large);
	// Half at the moved edge (row 43 | 44), whole in the middle, gone far off.
	const size_t column = 27;
	EXPECT_NEAR(1.0, soft[43 * 64 + column] + soft[44 * 64 + column], 0.1);
	EXPECT_GT(soft[32 * 64 + column], 0.95);
	EXPECT_GT(soft[49 * 64 + column], 0.02);
	EXPECT_LT(soft[60 * 64 + column], 0.01);
}

TEST(PSDEffect, GlowsReachAsFarAsTheirSize)
{
	PSDDescriptor outer;
	addEnum(outer, "GlwT", "PrBL");
	add(outer, "blur", 6);
	PSDEffectShape shape = square(20, 20);
	PSDPlane glow = prepared(psdOuterGlow(outer, kContext), shape);
	EXPECT_GT(glow[30 * 64 + 19], 0.8f);
	EXPECT_GT(glow[30 * 64 + 15], 0.0f);
	EXPECT_EQ(0.0f, glow[30 * 64 + 13]);

	PSDDescriptor inner;
	addEnum(inner, "GlwT", "PrBL");
	add(inner, "blur", 4);
	PSDPlane inside = prepared(psdInnerGlow(inner, kContext), shape);
	EXPECT_EQ(0.0f, inside[30 * 64 + 19]); // never outside the shape
	EXPECT_GT(inside[30 * 64 + 20], 0.7f);
	EXPECT_EQ(0.0f, inside[30 * 64 + 30]);
}

TEST(PSDEffect, AbsurdDescriptorsStayBounded)
{
	PSDDescriptor d;
	add(d, "blur", 1e12);
	add(d, "Dstn", 1e15);
	add(d, "Sz  ", 1e9);
	add(d, "Ckmt", -1e9);
	add(d, "lagl", NAN);
	addBool(d, "uglg", false);
	PSDEffectShape empty = square(0, 0);
	for (auto reader :
	     {psdDropShadow, psdInnerShadow, psdOuterGlow, psdInnerGlow, psdSatin, psdStroke}) {
		std::unique_ptr<PSDEffect> effect = reader(d, kContext);
		ASSERT_TRUE(effect != nullptr);
		EXPECT_LT(effect->Reach(), 4 * kPSDEffectMaxSize);
		EXPECT_EQ(B_OK, effect->Prepare(empty));
		EXPECT_EQ(empty.Size(), effect->Coverage().size());
	}
}

TEST(PSDPatterns, DamagedBlocksAreRefused)
{
	// A pattern that claims 30000 x 30000 pixels, then one cut short.
	std::vector<uint8> data = {0, 0,    0,    40,   0,    0, 0, 1, 0, 0, 0,
	                           3, 0x75, 0x30, 0x75, 0x30, 0, 0, 0, 0, 1, 'a'};
	data.resize(44, 0);
	const uint8 cut[] = {0, 0, 0, 30, 0, 0, 0, 1, 0,   0, 0, 3, 0,
	                     4, 0, 4, 0,  0, 0, 0, 1, 'b', 0, 0, 0, 3};
	data.insert(data.end(), cut, cut + sizeof(cut));
	BMemoryIO in(data.data(), data.size());
	const std::vector<PSDBlock> blocks = {{psdKey("Patt"), 0, data.size()}};
	PSDPattern pattern;
	EXPECT_FALSE(psdReadPattern(&in, blocks, "a", &pattern));
	EXPECT_FALSE(psdReadPattern(&in, blocks, "b", &pattern));
	EXPECT_FALSE(psdReadPattern(&in, blocks, "c", &pattern));
}

} // namespace
