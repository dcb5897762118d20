#ifndef TESTS_TEST_PROFILES_H
#define TESTS_TEST_PROFILES_H

// ICC profiles made by lcms2, for tests, fuzz seeds and benchmarks: the
// bytes a document's image resources would carry.

#include <lcms2.h>

#include <cstdint>
#include <vector>

namespace psdtest {

// The profile's bytes; the profile is closed.
inline std::vector<uint8_t> savedProfile(cmsHPROFILE profile)
{
	std::vector<uint8_t> bytes;
	cmsUInt32Number size = 0;
	if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &size)) {
		bytes.resize(size);
		cmsSaveProfileToMem(profile, bytes.data(), &size);
	}
	if (profile != nullptr)
		cmsCloseProfile(profile);
	return bytes;
}

// Adobe RGB (1998): its primaries and white, curves of the gamma (Adobe's
// own is 563/256); with gray, a gray profile of the gamma instead.
inline std::vector<uint8_t> gammaProfile(double gamma, bool gray = false)
{
	cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
	cmsToneCurve* curves[3] = {curve, curve, curve};
	const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
	cmsCIExyY white;
	cmsWhitePointFromTemp(&white, 6504);
	std::vector<uint8_t> bytes =
	    savedProfile(gray ? cmsCreateGrayProfile(cmsD50_xyY(), curve)
	                      : cmsCreateRGBProfile(&white, &primaries, curves));
	cmsFreeToneCurve(curve);
	return bytes;
}

} // namespace psdtest

#endif
