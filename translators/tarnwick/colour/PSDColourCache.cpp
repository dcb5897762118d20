#include "PSDColourCache.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// A CMYK grid is a MiB and a half, an RGB one a MiB, a 16-bit
// matrix-shaper's curves three quarters: a handful of profiles stay within
// ten MiB or so.
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

// The entry, made most recent; null when there is none.
Entry* find(PSDColourSpace space, int sampleBytes, bool linear, const uint8* profile, size_t size)
{
	for (size_t i = 0; i < sEntries.size(); i++) {
		if (!sEntries[i].Is(space, sampleBytes, linear, profile, size))
			continue;
		std::rotate(sEntries.begin() + i, sEntries.begin() + i + 1, sEntries.end());
		return &sEntries.back();
	}
	return nullptr;
}

// Keeps what was found out, unless another reading kept it meanwhile.
void keep(Entry&& found)
{
	std::lock_guard<std::mutex> lock(sLock);
	Entry* entry = find(found.space, found.sampleBytes, found.linear, found.profile.data(),
	                    found.profile.size());
	if (entry != nullptr) {
		if (!entry->transform)
			entry->transform = found.transform;
		return;
	}
	if (sEntries.size() >= kCachedTransforms)
		sEntries.erase(sEntries.begin());
	sEntries.push_back(std::move(found));
}

} // namespace

PSDProfileVerdict psdColourCachedVerdict(PSDColourSpace space, int sampleBytes, bool linear,
                                         const uint8* profile, size_t size,
                                         std::shared_ptr<const PSDColourTransform>* made)
{
	{
		std::lock_guard<std::mutex> lock(sLock);
		if (Entry* entry = find(space, sampleBytes, linear, profile, size)) {
			*made = entry->transform;
			return entry->verdict;
		}
	}
	made->reset();
	const PSDProfileVerdict verdict = psdColourJudgeProfile(space, linear, profile, size);
	try {
		keep({space, sampleBytes, linear, std::vector<uint8>(profile, profile + size), verdict,
		      nullptr});
	} catch (const std::bad_alloc&) {
		// Not kept; judged again next time.
	}
	return verdict;
}

// Made outside the lock: a grid takes a while, and other profiles' readings
// need not wait for it. Two readings of one new profile may both make it.
std::shared_ptr<const PSDColourTransform> psdColourCachedTransform(PSDColourSpace space,
                                                                   int sampleBytes, bool linear,
                                                                   const uint8* profile,
                                                                   size_t size)
{
	{
		std::lock_guard<std::mutex> lock(sLock);
		Entry* entry = find(space, sampleBytes, linear, profile, size);
		if (entry != nullptr && entry->transform)
			return entry->transform;
	}
	std::shared_ptr<const PSDColourTransform> made =
	    psdColourMakeTransform(space, sampleBytes, profile, size);
	if (!made)
		return made;
	try {
		keep({space, sampleBytes, linear, std::vector<uint8>(profile, profile + size),
		      PSD_PROFILE_CONVERTS, made});
	} catch (const std::bad_alloc&) {
		// Not kept; made again next time.
	}
	return made;
}
