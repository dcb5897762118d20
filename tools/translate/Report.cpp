#include "Report.h"

#include "IdentifiedInput.h"

#include <TranslatorHelpers.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A type code as its four characters, most significant first.
std::string type_text(uint32 type)
{
	std::string text;
	for (int shift = 24; shift >= 0; shift -= 8) {
		char c = (char)((type >> shift) & 0xFF);
		text += (c >= 0x20 && c < 0x7F) ? c : '?';
	}
	return text;
}

std::string version_text(int32 version)
{
	char text[32];
	snprintf(text, sizeof(text), "%s%d.%02d", version < 0 ? "-" : "", abs(version / 100),
	         abs(version % 100));
	return text;
}

void print_formats(const char* label, const translation_format* formats, int32 count)
{
	for (int32 i = 0; i < count; i++) {
		const translation_format& f = formats[i];
		printf("  %-6s '%s'  %s  %s  (quality %.2f, capability %.2f)\n", label,
		       type_text(f.type).c_str(), f.MIME, f.name, f.quality, f.capability);
	}
}

} // namespace

bool identify_file(BTranslatorRoster& roster, const std::string& path)
{
	InputSource source;
	translator_info info;
	if (!open_identified(roster, path, &source, &info))
		return false;
	printf("%s: %s, '%s', %s, %s\n", path.c_str(),
	       BPrivate::translator_name(roster, info.translator).c_str(), type_text(info.type).c_str(),
	       info.MIME, info.name);
	return true;
}

void list_translators(BTranslatorRoster& roster)
{
	translator_id* ids = nullptr;
	int32 count = 0;
	if (roster.GetAllTranslators(&ids, &count) != B_OK)
		return;
	for (int32 i = 0; i < count; i++) {
		const char* name;
		const char* info;
		int32 version;
		roster.GetTranslatorInfo(ids[i], &name, &info, &version);
		printf("%s %s: %s\n", name, version_text(version).c_str(), info);
		const translation_format* formats;
		int32 formatCount;
		if (roster.GetInputFormats(ids[i], &formats, &formatCount) == B_OK)
			print_formats("input", formats, formatCount);
		if (roster.GetOutputFormats(ids[i], &formats, &formatCount) == B_OK)
			print_formats("output", formats, formatCount);
	}
	delete[] ids;
}
