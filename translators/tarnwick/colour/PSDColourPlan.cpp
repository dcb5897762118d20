#include "PSDColourPlan.h"

#include "PSDColourCache.h"

#include <core/PSDBytes.h>
#include <core/PSDCore.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

namespace {

const char* const kSystemCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
// Past any real profile: Photoshop's CMYK ones take half a MiB.
const uint32 kMaxProfileBytes = 16 << 20;

std::vector<uint8> readProfileFile(const char* path)
{
	std::vector<uint8> bytes;
	FILE* file = path[0] != '\0' ? fopen(path, "rb") : nullptr;
	if (file == nullptr)
		return bytes;
	uint8 block[64 * 1024];
	size_t read;
	try {
		while ((read = fread(block, 1, sizeof(block), file)) > 0 &&
		       bytes.size() + read <= kMaxProfileBytes)
			bytes.insert(bytes.end(), block, block + read);
	} catch (const std::bad_alloc&) {
		bytes.clear();
	}
	fclose(file);
	return bytes;
}

// The profile for CMYK documents without one, read once for the life of
// the add-on; empty when there is none.
struct SystemCmykProfile {
	std::vector<uint8> bytes;

	SystemCmykProfile()
	{
		const char* path = getenv("TARNWICK_CMYK_PROFILE");
		bytes = readProfileFile(path != nullptr ? path : kSystemCmykProfile);
	}
};

const std::vector<uint8>& systemCmykProfile()
{
	static const SystemCmykProfile profile;
	return profile.bytes;
}

bool spaceOf(uint16 mode, PSDColourSpace* space)
{
	switch (mode) {
	case PSD_MODE_GRAYSCALE:
		*space = PSD_COLOUR_SPACE_GRAY;
		return true;
	case PSD_MODE_RGB:
		*space = PSD_COLOUR_SPACE_RGB;
		return true;
	case PSD_MODE_CMYK:
		*space = PSD_COLOUR_SPACE_CMYK;
		return true;
	case PSD_MODE_LAB:
		*space = PSD_COLOUR_SPACE_LAB;
		return true;
	default:
		return false;
	}
}

const char* spaceName(PSDColourSpace space)
{
	switch (space) {
	case PSD_COLOUR_SPACE_GRAY:
		return "grayscale";
	case PSD_COLOUR_SPACE_RGB:
		return "RGB";
	default:
		return "CMYK";
	}
}

// The document's profile; false when it has one that cannot be read whole.
bool readProfile(BPositionIO* in, const PSDDocument& document, std::vector<uint8>* bytes)
{
	const PSDResource* resource = document.Resource(PSD_RESOURCE_ICC_PROFILE);
	if (resource == nullptr || resource->length == 0)
		return true;
	if (resource->length > kMaxProfileBytes)
		return false;
	try {
		bytes->resize(resource->length);
	} catch (const std::bad_alloc&) {
		return false;
	}
	return psdReadAt(in, resource->offset, bytes->data(), bytes->size());
}

// The transform of a profile judged to convert: from the cache, or made on
// a thread of its own while the reading starts.
std::unique_ptr<PSDColourPending> pending(PSDColourSpace space, int sampleBytes, bool linear,
                                          const std::vector<uint8>& profile,
                                          std::shared_ptr<const PSDColourTransform> made)
{
	if (made)
		return std::unique_ptr<PSDColourPending>(new PSDColourPending(std::move(made)));
	return std::unique_ptr<PSDColourPending>(new PSDColourPending([=] {
		return psdColourCachedTransform(space, sampleBytes, linear, profile.data(), profile.size());
	}));
}

// Documents without a usable profile of their own: Lab needs none, CMYK
// takes the system's.
void planUntagged(PSDColourSpace space, int sampleBytes, PSDColourPlan* plan)
{
	plan->srgb = true;
	if (space == PSD_COLOUR_SPACE_GRAY || space == PSD_COLOUR_SPACE_RGB)
		return;
	const std::vector<uint8> none;
	const std::vector<uint8>& profile = space == PSD_COLOUR_SPACE_CMYK ? systemCmykProfile() : none;
	std::shared_ptr<const PSDColourTransform> made;
	if (space == PSD_COLOUR_SPACE_CMYK &&
	    (profile.empty() ||
	     psdColourCachedVerdict(space, sampleBytes, false, profile.data(), profile.size(), &made) !=
	         PSD_PROFILE_CONVERTS)) {
		plan->transform.reset(new PSDColourPending(psdColourInkTransform()));
		return;
	}
	plan->transform = pending(space, sampleBytes, false, profile, std::move(made));
}

} // namespace

void psdColourPlan(BPositionIO* in, const PSDDocument& document, PSDColourRequest request,
                   int sampleBytes, PSDColourPlan* plan)
{
	*plan = PSDColourPlan();
	PSDColourSpace space;
	// A document with fewer channels than its mode's colours is read as it
	// always was.
	if (request == PSD_COLOUR_AS_STORED || !spaceOf(document.mode, &space) ||
	    document.channels < psdColourSpacePlanes(space))
		return;
	plan->space = space;
	std::vector<uint8> profile;
	const bool readable = space == PSD_COLOUR_SPACE_LAB || readProfile(in, document, &profile);
	const std::string ignored = std::string("the embedded colour profile ");
	if (!readable) {
		plan->note = ignored + "is damaged and was ignored";
		profile.clear();
	}
	if (profile.empty()) {
		planUntagged(space, sampleBytes, plan);
		return;
	}

	const bool linear = document.depth == 32;
	std::shared_ptr<const PSDColourTransform> made;
	switch (
	    psdColourCachedVerdict(space, sampleBytes, linear, profile.data(), profile.size(), &made)) {
	case PSD_PROFILE_IS_SRGB:
		plan->srgb = true;
		return;
	case PSD_PROFILE_CONVERTS:
		// Linear samples are made bytes through the sRGB curve, so only a
		// conversion shows them right.
		if (request == PSD_COLOUR_KEEP_PROFILE && !linear && space != PSD_COLOUR_SPACE_CMYK) {
			plan->kept = std::move(profile);
			return;
		}
		plan->srgb = true;
		plan->transform = pending(space, sampleBytes, linear, profile, std::move(made));
		return;
	case PSD_PROFILE_DAMAGED:
		plan->note = ignored + "is damaged and was ignored";
		break;
	case PSD_PROFILE_OTHER_SPACE:
		plan->note = ignored + "is not for " + spaceName(space) + " images and was ignored";
		break;
	}
	planUntagged(space, sampleBytes, plan);
}
