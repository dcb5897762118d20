#include "PSDPatternTable.h"

PSDPatternTable::PSDPatternTable(const PSDModelContext& context) : fContext(context) {}

std::shared_ptr<const PSDPattern> PSDPatternTable::Find(const std::string& id)
{
	const std::string key = psdPatternID(id);
	auto decoded = fDecoded.find(key);
	if (decoded != fDecoded.end())
		return decoded->second;
	if (!fListed) {
		fListed = true;
		if (fContext.globalBlocks != nullptr)
			fRecords =
			    psdFindPatterns(fContext.in, *fContext.globalBlocks, fContext.limits.patterns);
	}
	std::shared_ptr<PSDPattern> pattern;
	auto record = fRecords.find(key);
	if (record != fRecords.end()) {
		// Not make_shared: its tag is a unique symbol, which would keep the
		// add-on loaded, and its settings, past the host's unload.
		pattern.reset(new PSDPattern());
		if (!psdReadPattern(fContext.in, record->second, pattern.get()) ||
		    fBytes + pattern->samples.size() * 2 > fContext.limits.patternBytes)
			pattern.reset();
		else
			fBytes += pattern->samples.size() * 2;
	}
	fDecoded.emplace(key, pattern);
	return pattern;
}
