#include "IdentifiedInput.h"

#include <TranslatorFormats.h>

#include <cstdio>

std::string input_display_name(const std::string& path)
{
	return path == "-" ? "standard input" : path;
}

bool open_identified(BTranslatorRoster& roster, const std::string& path, InputSource* source,
	translator_info* info)
{
	std::string reason;
	std::string shown = input_display_name(path);
	if (!source->Open(path, &reason)) {
		fprintf(stderr, "translate: cannot open %s: %s\n", shown.c_str(), reason.c_str());
		return false;
	}
	if (roster.Identify(source->Stream(), nullptr, info, 0, nullptr, B_TRANSLATOR_BITMAP)
		!= B_OK) {
		fprintf(stderr, "translate: %s: no translator recognises this file\n", shown.c_str());
		return false;
	}
	return true;
}
