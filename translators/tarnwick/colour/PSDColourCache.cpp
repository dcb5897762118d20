#include "PSDColourCache.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// A CMYK grid is a third of a MiB, a 16-bit matrix-shaper's curves three
// quarters: a handful of profiles stay within a few MiB.
const size_t kCachedTransforms = 8;

struct Entry {
	PSDColourSpace space;
	int sampleBytes;
	bool linear;
	std::vector<uint8> profile;
	PSDProfileVerdict verdict;
	std::shared_ptr<const PSDColourTransform> transform;

	bool Is(PSDColourSpace s, int bytes, bool l, const uint8* p, size_t size) const
	{
		return space == s && sampleBytes == bytes && linear == l && profile.size() == size &&
		       (size == 0 || memcmp(profile.data(), p, size) == 0);
	}
};

std::mutex sLock;
std::vector<Entry> sEntries; // least recently used first

} // namespace

PSDProfileVerdict psdColourCachedTransform(PSDColourSpace space, int sampleBytes, bool linear,
                                           const uint8* profile, size_t size,
                                           std::shared_ptr<const PSDColourTransform>* transform)
{
	{
		std::lock_guard<std::mutex> lock(sLock);
		for (size_t i = 0; i < sEntries.size(); i++) {
			if (!sEntries[i].Is(space, sampleBytes, linear, profile, size))
				continue;
			std::rotate(sEntries.begin() + i, sEntries.begin() + i + 1, sEntries.end());
			*transform = sEntries.back().transform;
			return sEntries.back().verdict;
		}
	}
	// Made outside the lock: a grid takes a while, and other profiles'
	// readings need not wait for it. Two readings of one new profile may
	// both make it.
	std::shared_ptr<const PSDColourTransform> made;
	const PSDProfileVerdict verdict =
	    psdColourMakeTransform(space, sampleBytes, linear, profile, size, &made);
	*transform = made;
	if (verdict == PSD_PROFILE_NO_MEMORY)
		return verdict;
	try {
		Entry entry = {space,   sampleBytes, linear, std::vector<uint8>(profile, profile + size),
		               verdict, made};
		std::lock_guard<std::mutex> lock(sLock);
		for (const Entry& other : sEntries) {
			if (other.Is(space, sampleBytes, linear, profile, size))
				return verdict;
		}
		if (sEntries.size() >= kCachedTransforms)
			sEntries.erase(sEntries.begin());
		sEntries.push_back(std::move(entry));
	} catch (const std::bad_alloc&) {
		// Not kept; made again next time.
	}
	return verdict;
}
