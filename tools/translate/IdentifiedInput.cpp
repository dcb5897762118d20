#include "IdentifiedInput.h"

#include "FailureLine.h"

#include <TranslatorFormats.h>

#include <strings.h>

std::string input_display_name(const std::string& path)
{
	return path == "-" ? "standard input" : path;
}

// SCREEN$ files carry no signature, and some of their lengths are those of
// any file: a name ending in .scr is the only sign of them, so it goes to the
// add-ons as the MIME type that desktops give such files.
static const char* format_hint(const std::string& path)
{
	const std::string suffix = ".scr";
	if (path.size() > suffix.size() &&
	    strcasecmp(path.c_str() + path.size() - suffix.size(), suffix.c_str()) == 0)
		return "image/x-zx-screen";
	return nullptr;
}

bool open_identified(BTranslatorRoster& roster, const std::string& path, InputSource* source,
                     translator_info* info)
{
	std::string reason;
	std::string shown = input_display_name(path);
	if (!source->Open(path, &reason)) {
		print_failure("cannot open " + shown + ": " + reason);
		return false;
	}
	if (roster.Identify(source->Stream(), nullptr, info, 0, format_hint(path),
	                    B_TRANSLATOR_BITMAP) != B_OK) {
		print_failure(shown + ": no translator recognises this file");
		return false;
	}
	return true;
}
