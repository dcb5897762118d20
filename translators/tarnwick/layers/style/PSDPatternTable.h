#ifndef PSD_PATTERN_TABLE_H
#define PSD_PATTERN_TABLE_H

// The document's patterns by ID, each decoded once, the first time a fill,
// a stroke or an effect refers to it, and shared from then on.

#include <layers/PSDModelContext.h>
#include <layers/PSDPatterns.h>

#include <map>
#include <memory>
#include <string>

class PSDPatternTable {
public:
	explicit PSDPatternTable(const PSDModelContext& context);

	// The pattern with this ID; null when the document has none by it, it
	// cannot be read, or it would take the decoded patterns past the
	// limits' patternBytes.
	std::shared_ptr<const PSDPattern> Find(const std::string& id);

private:
	PSDModelContext fContext;
	bool fListed = false;
	std::map<std::string, PSDBlock> fRecords;
	std::map<std::string, std::shared_ptr<const PSDPattern>> fDecoded; // null: refused
	uint64 fBytes = 0;
};

#endif
