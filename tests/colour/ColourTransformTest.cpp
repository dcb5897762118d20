// Each kind of sampled transform on random 8- and 16-bit samples: within a
// level of lcms2's floating-point conversion on average and two at worst
// but for a few in a thousand, and the same pixels, bit for bit, from the
// vector loops and the plain ones.
#include <TestProfiles.h>
#include <colour/PSDColourTransform.h>
#include <core/PSDVectorCode.h>

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

const char* const kSystemCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

int sampleTransform(const cmsUInt16Number in[], cmsUInt16Number out[], void* transform)
{
	cmsDoTransform((cmsHTRANSFORM)transform, in, out, 1);
	return TRUE;
}

// An RGB profile made of a table alone: the matrix-shaper one's way to Lab
// sampled on 9^3 points.
std::vector<uint8> tableRgb(const std::vector<uint8>& matrixShaper)
{
	cmsHPROFILE rgb = cmsOpenProfileFromMem(matrixShaper.data(), matrixShaper.size());
	cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
	cmsHTRANSFORM toLab =
	    cmsCreateTransform(rgb, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
	cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
	cmsStage* table = cmsStageAllocCLut16bit(nullptr, 9, 3, 3, nullptr);
	cmsStageSampleCLut16bit(table, sampleTransform, toLab, 0);
	// Curves around the table, as a v4 profile's tables have them.
	cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 3, nullptr));
	cmsPipelineInsertStage(pipeline, cmsAT_END, table);
	cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
	cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
	cmsSetProfileVersion(profile, 4.3);
	cmsSetDeviceClass(profile, cmsSigDisplayClass);
	cmsSetColorSpace(profile, cmsSigRgbData);
	cmsSetPCS(profile, cmsSigLabData);
	cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
	cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
	cmsPipelineFree(pipeline);
	cmsDeleteTransform(toLab);
	cmsCloseProfile(rgb);
	cmsCloseProfile(lab);
	return psdtest::savedProfile(profile);
}

struct Case {
	const char* name;
	PSDColourSpace space;
	std::vector<uint8> profile;
	PSDColourTransform::Kind kind;
};

std::vector<Case> cases()
{
	std::vector<Case> all = {
	    {"Adobe RGB", PSD_COLOUR_SPACE_RGB, psdtest::gammaProfile(563 / 256.0),
	     PSDColourTransform::kMatrix},
	    {"gray 2.2", PSD_COLOUR_SPACE_GRAY, psdtest::gammaProfile(2.2, true),
	     PSDColourTransform::kGray},
	    {"Lab", PSD_COLOUR_SPACE_LAB, {}, PSDColourTransform::kLab},
	};
	all.push_back(
	    {"RGB table", PSD_COLOUR_SPACE_RGB, tableRgb(all[0].profile), PSDColourTransform::kGrid});
	std::ifstream swop(kSystemCmyk, std::ios::binary);
	all.push_back({"SWOP", PSD_COLOUR_SPACE_CMYK,
	               std::vector<uint8>(std::istreambuf_iterator<char>(swop), {}),
	               PSDColourTransform::kGrid});
	return all;
}

// lcms2's encoding of samples of the space, given as fractions.
void encode(PSDColourSpace space, const double* fractions, float* out)
{
	for (int c = 0; c < psdColourSpacePlanes(space); c++) {
		const double f = fractions[c];
		out[c] = (float)(space == PSD_COLOUR_SPACE_CMYK  ? 100 * (1 - f)
		                 : space != PSD_COLOUR_SPACE_LAB ? f
		                 : c == 0                        ? 100 * f
		                                                 : 255 * f - 128);
	}
}

cmsUInt32Number format(PSDColourSpace space)
{
	switch (space) {
	case PSD_COLOUR_SPACE_GRAY:
		return TYPE_GRAY_FLT;
	case PSD_COLOUR_SPACE_RGB:
		return TYPE_RGB_FLT;
	case PSD_COLOUR_SPACE_CMYK:
		return TYPE_CMYK_FLT;
	default:
		return TYPE_Lab_FLT;
	}
}

TEST(ColourTransform, EveryKindMatchesLcms2BothWays)
{
	ASSERT_TRUE(std::filesystem::exists(kSystemCmyk))
	    << kSystemCmyk << " (Debian's libgs-common) is needed";
	std::mt19937 random(1);
	const uint32 count = 20003; // not a whole number of vectors
	for (const Case& c : cases()) {
		cmsHPROFILE in = c.space == PSD_COLOUR_SPACE_LAB
		                     ? cmsCreateLab4Profile(nullptr)
		                     : cmsOpenProfileFromMem(c.profile.data(), c.profile.size());
		cmsHPROFILE srgb = cmsCreate_sRGBProfile();
		cmsHTRANSFORM reference =
		    cmsCreateTransform(in, format(c.space), srgb, TYPE_RGB_FLT,
		                       INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
		const int planes = psdColourSpacePlanes(c.space);
		for (int bytes = 1; bytes <= 2; bytes++) {
			SCOPED_TRACE(std::string(c.name) + (bytes == 1 ? " 8-bit" : " 16-bit"));
			ASSERT_EQ(psdColourJudgeProfile(c.space, false, c.profile.data(), c.profile.size()),
			          PSD_PROFILE_CONVERTS);
			const std::shared_ptr<const PSDColourTransform> transform =
			    psdColourMakeTransform(c.space, bytes, c.profile.data(), c.profile.size());
			ASSERT_TRUE(transform);
			EXPECT_EQ(transform->kind, c.kind);
			const uint32 full = bytes == 1 ? 255 : 65535;
			std::vector<uint16> samples16[4];
			std::vector<uint8> samples8[4];
			PSDSamples samples = {};
			for (int p = 0; p < planes; p++) {
				for (uint32 i = 0; i < count; i++)
					samples16[p].push_back((uint16)(random() % (full + 1)));
				samples8[p].assign(samples16[p].begin(), samples16[p].end());
				samples.colours[p] =
				    bytes == 1 ? (const void*)samples8[p].data() : samples16[p].data();
			}
			samples.sampleBytes = bytes;
			samples.count = count;
			std::vector<uint32> vector(count), plain(count);
			transform->Pixels(samples, vector.data());
			psdCoreSetVectorCode(false);
			transform->Pixels(samples, plain.data());
			psdCoreSetVectorCode(true);
			EXPECT_EQ(vector, plain);

			double sum = 0;
			std::vector<int> worst;
			for (uint32 i = 0; i < count; i++) {
				double fractions[4];
				float in[4], out[3];
				for (int p = 0; p < planes; p++)
					fractions[p] = (double)samples16[p][i] / full;
				encode(c.space, fractions, in);
				cmsDoTransform(reference, in, out, 1);
				const uint8* pixel = (const uint8*)&vector[i];
				int largest = 0;
				for (int k = 0; k < 3; k++) {
					const double expected =
					    std::floor(255 * std::min(1.0f, std::max(0.0f, out[k])) + 0.5);
					const int d = (int)std::fabs(pixel[2 - k] - expected);
					sum += d;
					largest = std::max(largest, d);
				}
				worst.push_back(largest);
				EXPECT_EQ(pixel[3], 255);
			}
			std::sort(worst.begin(), worst.end());
			EXPECT_LE(sum / (3.0 * count), 0.5);
			EXPECT_LE(worst[count * 995 / 1000], 2);
		}
		cmsDeleteTransform(reference);
		cmsCloseProfile(in);
		cmsCloseProfile(srgb);
	}
}

} // namespace
