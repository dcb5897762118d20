#include "Convert.h"

#include "BitmapOutput.h"
#include "IdentifiedInput.h"
#include "OutputFile.h"

#include <Screen.h>
#include <TranslatorFormats.h>

#include <cstdio>

namespace {

bool fail(const std::string& message)
{
	fprintf(stderr, "translate: %s\n", message.c_str());
	return false;
}

std::string output_display_name(const std::string& path)
{
	return path == "-" ? "standard output" : path;
}

std::string describe_failure(const std::string& translator, status_t status)
{
	std::string who = "the translator " + translator;
	switch (status) {
		case B_NO_TRANSLATOR: return who + " recognised the file but could not convert it";
		case B_NO_MEMORY: return who + " ran out of memory";
		default: return who + " reported an error";
	}
}

}  // namespace

bool convert_file(BTranslatorRoster& roster, const std::string& input, const std::string& output,
	OutputFormat format, const PngCompression& compression, const BMessage& options)
{
	InputSource source;
	translator_info info;
	if (!open_identified(roster, input, &source, &info))
		return false;
	std::string shownInput = input_display_name(input);
	std::string translator = translator_name(roster, info.translator);

	std::string reason;
	OutputFile out;
	if (!out.Open(output, &reason))
		return fail("cannot write " + output_display_name(output) + ": " + reason);
	BitmapOutput bitmap(format, out.Stream(), *BScreen().ColorMap(), compression);
	BMessage extension(options);
	status_t status;
	if (output == "-") {
		// Nothing reaches standard output before the add-on has succeeded.
		BMallocIO memory;
		status = roster.Translate(source.Stream(), &info, &extension, &memory, B_TRANSLATOR_BITMAP);
		if (status == B_OK && memory.BufferLength() > 0)
			bitmap.Write(memory.Buffer(), memory.BufferLength());
	} else {
		status = roster.Translate(source.Stream(), &info, &extension, &bitmap, B_TRANSLATOR_BITMAP);
	}

	const char* why = nullptr;
	if (!bitmap.OutputFailed() && status != B_OK
		&& extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &why) == B_OK)
		return fail(shownInput + ": " + why);
	if (!bitmap.OutputFailed() && status != B_OK)
		return fail(shownInput + ": " + describe_failure(translator, status));
	BitmapOutput::Failure failure = bitmap.Finish(&reason);
	if (failure == BitmapOutput::Failure::kBitmap) {
		return fail(shownInput + ": the translator " + translator
			+ " produced a bitmap that cannot be written as PNG: " + reason);
	}
	if (failure == BitmapOutput::Failure::kOutput || !out.Commit(&reason))
		return fail("cannot write " + output_display_name(output) + ": " + reason);
	return true;
}
