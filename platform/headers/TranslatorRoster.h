#ifndef _TRANSLATOR_ROSTER_H
#define _TRANSLATOR_ROSTER_H

#include <DataIO.h>
#include <Rect.h>
#include <TranslationDefs.h>

#include <vector>

class BMessage;
class BView;

// The host side of the Translation Kit: loads add-ons, picks one for a
// stream, and calls it. Identifiers count from 1 in load order; 0 is none.
class BTranslatorRoster {
public:
	BTranslatorRoster();
	// Unloads every add-on, so that their static finalisers run.
	~BTranslatorRoster();

	// Loads every add-on file in the directory, in file-name order. A file
	// that does not load, lacks a required export or repeats a loaded
	// add-on's name is skipped with a warning on stderr. Fails only when
	// the directory cannot be read.
	status_t AddTranslators(const char* directory);

	// Asks every add-on, the source rewound to its start before each, and
	// fills outInfo from the best quality x capability (the first loaded of
	// equals); B_NO_TRANSLATOR when none accepts.
	status_t Identify(BPositionIO* source, BMessage* ioExtension, translator_info* outInfo,
	                  uint32 hintType = 0, const char* hintMIME = nullptr, uint32 wantType = 0);

	// Converts with info->translator, or with the winner of Identify when
	// info is null; the source is rewound to its start first.
	status_t Translate(BPositionIO* source, const translator_info* info, BMessage* ioExtension,
	                   BPositionIO* destination, uint32 wantOutType, uint32 hintType = 0,
	                   const char* hintMIME = nullptr);

	// The caller delete[]s *outList.
	status_t GetAllTranslators(translator_id** outList, int32* outCount) const;
	status_t FindTranslator(const char* name, translator_id* outId) const;
	status_t GetTranslatorInfo(translator_id id, const char** outName, const char** outInfo,
	                           int32* outVersion) const;
	// The file the add-on was loaded from.
	status_t GetTranslatorPath(translator_id id, const char** outPath) const;
	// The add-on's own table, without its terminating row.
	status_t GetInputFormats(translator_id id, const translation_format** outFormats,
	                         int32* outCount) const;
	status_t GetOutputFormats(translator_id id, const translation_format** outFormats,
	                          int32* outCount) const;

	// B_NOT_SUPPORTED when the add-on does not export MakeConfig or
	// GetConfigMessage.
	status_t MakeConfigurationView(translator_id id, BMessage* ioExtension, BView** outView,
	                               BRect* outExtent);
	status_t GetConfigurationMessage(translator_id id, BMessage* ioExtension);

private:
	struct AddOn;

	const AddOn* _Find(translator_id id) const;
	status_t _GetFormats(translator_id id, bool input, const translation_format** outFormats,
	                     int32* outCount) const;
	status_t _Load(const char* path);

	std::vector<AddOn*> fAddOns;

	BTranslatorRoster(const BTranslatorRoster&) = delete;
	BTranslatorRoster& operator=(const BTranslatorRoster&) = delete;
};

#endif
