// A stand-in add-on for the roster tests, built several times with
// different names, qualities and misbehaviours (see CMakeLists.txt).

#include <DataIO.h>
#include <Message.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const uint32 kFakeType = 0x46414B45; // 'FAKE'

// Appends this add-on's name to the file named by FAKE_ADDON_UNLOAD_LOG
// when the add-on's image is finalised, so a test can see unloading.
struct UnloadLog {
	~UnloadLog()
	{
		const char* path = getenv("FAKE_ADDON_UNLOAD_LOG");
		if (path == nullptr)
			return;
		if (FILE* f = fopen(path, "a")) {
			fprintf(f, "%s\n", FAKE_NAME);
			fclose(f);
		}
	}
} gUnloadLog;

} // namespace

char translatorName[] = FAKE_NAME;
char translatorInfo[] = "A stand-in add-on for tests";
int32 translatorVersion = 123;

translation_format inputFormats[] = {
    {kFakeType, B_TRANSLATOR_BITMAP, FAKE_QUALITY, FAKE_CAPABILITY, "test/x-fake", "Fake"},
    {kFakeType, B_TRANSLATOR_BITMAP, 0.1f, 0.1f, "test/x-fake-2", "Fake 2"},
    {0, 0, 0, 0, "", ""},
};

translation_format outputFormats[] = {
    {B_TRANSLATOR_BITMAP, B_TRANSLATOR_BITMAP, 0.5f, 0.5f, "image/x-be-bitmap", "Be bitmap"},
    {0, 0, 0, 0, "", ""},
};

#ifndef FAKE_NO_IDENTIFY
// Accepts streams that start with "FAKE"; the wanderer reads and always declines.
status_t Identify(BPositionIO* inSource, const translation_format*, BMessage*,
                  translator_info* outInfo, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	char magic[4];
	ssize_t n = inSource->Read(magic, sizeof(magic));
#ifdef FAKE_WANDER
	(void)n;
	(void)outInfo;
	return B_NO_TRANSLATOR;
#else
	if (n != 4 || memcmp(magic, "FAKE", 4) != 0)
		return B_NO_TRANSLATOR;
	outInfo->type = kFakeType;
	outInfo->group = B_TRANSLATOR_BITMAP;
	outInfo->quality = FAKE_QUALITY;
	outInfo->capability = FAKE_CAPABILITY;
	strcpy(outInfo->name, "Fake");
	strcpy(outInfo->MIME, "test/x-fake");
	return B_OK;
#endif
}
#endif

// Writes "NAME:" and then everything it can read from the stream.
status_t Translate(BPositionIO* inSource, const translator_info*, BMessage*, uint32,
                   BPositionIO* outDestination)
{
	outDestination->Write(FAKE_NAME ":", strlen(FAKE_NAME ":"));
	char buffer[256];
	ssize_t n;
	while ((n = inSource->Read(buffer, sizeof(buffer))) > 0)
		outDestination->Write(buffer, (size_t)n);
	return B_OK;
}

#ifdef FAKE_WITH_CONFIG
status_t MakeConfig(BMessage*, BView** outView, BRect* outExtent)
{
	*outView = nullptr;
	outExtent->Set(0, 0, 99, 49);
	return B_OK;
}

status_t GetConfigMessage(BMessage* ioExtension)
{
	return ioExtension->AddInt32("fake/setting", 7);
}
#endif
