#ifndef _TRANSLATOR_ADD_ON_H
#define _TRANSLATOR_ADD_ON_H

#include <DataIO.h>
#include <Rect.h>
#include <TranslationDefs.h>

class BMessage;
class BView;

// What an add-on exports, looked up by these names with dlsym. The first
// five and the two functions are required; MakeConfig and GetConfigMessage
// are optional.
extern "C" {

_EXPORT extern char translatorName[];
_EXPORT extern char translatorInfo[];
_EXPORT extern int32 translatorVersion;
_EXPORT extern translation_format inputFormats[];
_EXPORT extern translation_format outputFormats[];

_EXPORT status_t Identify(BPositionIO* inSource, const translation_format* inFormat,
                          BMessage* ioExtension, translator_info* outInfo, uint32 outType);
_EXPORT status_t Translate(BPositionIO* inSource, const translator_info* inInfo,
                           BMessage* ioExtension, uint32 outType, BPositionIO* outDestination);
_EXPORT status_t MakeConfig(BMessage* ioExtension, BView** outView, BRect* outExtent);
_EXPORT status_t GetConfigMessage(BMessage* ioExtension);
}

#endif
