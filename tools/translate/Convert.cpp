#include "Convert.h"

#include "BitsOutput.h"
#include "CountedInput.h"
#include "FailureLine.h"
#include "IdentifiedInput.h"
#include "OutputFile.h"
#include "PngOutput.h"

#include <Screen.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <memory>

namespace {

bool fail(const std::string& message)
{
	print_failure(message);
	return false;
}

void warn(const std::string& message)
{
	fprintf(stderr, "translate: warning: %s\n", message.c_str());
}

std::string output_display_name(const std::string& path)
{
	return path == "-" ? "standard output" : path;
}

std::string describe_failure(const std::string& translator, status_t status)
{
	std::string text = BPrivate::translate_status_text(status, "file");
	return "the translator " + translator + " " + (text.empty() ? "reported an error" : text);
}

// Nothing reaches standard output before the add-on has succeeded: its
// stream is kept in memory and handed on whole.
status_t translate_into(BTranslatorRoster& roster, BPositionIO* source, const translator_info& info,
                        BMessage* extension, bool toStandardOutput, BPositionIO* destination)
{
	if (!toStandardOutput)
		return roster.Translate(source, &info, extension, destination, B_TRANSLATOR_BITMAP);
	BMallocIO memory;
	status_t status = roster.Translate(source, &info, extension, &memory, B_TRANSLATOR_BITMAP);
	if (status == B_OK && memory.BufferLength() > 0)
		destination->Write(memory.Buffer(), memory.BufferLength());
	return status;
}

} // namespace

bool convert_file(BTranslatorRoster& roster, const std::string& input, const std::string& output,
                  OutputFormat format, const PngCompression& compression, const BMessage& options,
                  FileProgress* progress)
{
	InputSource source;
	translator_info info;
	if (!open_identified(roster, input, &source, &info))
		return false;
	std::string shownInput = input_display_name(input);
	std::string translator = BPrivate::translator_name(roster, info.translator);

	std::string reason;
	OutputFile out;
	if (!out.Open(output, &reason))
		return fail("cannot write " + output_display_name(output) + ": " + reason);
	std::unique_ptr<CountedInput> counted;
	PngCompression told = compression;
	if (progress != nullptr) {
		counted.reset(new CountedInput(source.Stream(), progress));
		told.progress = progress;
	}
	BitsOutput bits(out.Stream());
	BMessage extension(options);
	PngOutput png(out.Stream(), *BScreen().ColorMap(), told, extension);
	const bool asBits = format == OutputFormat::kBits;
	status_t status =
	    translate_into(roster, counted ? counted.get() : source.Stream(), info, &extension,
	                   output == "-", asBits ? (BPositionIO*)&bits : &png);

	bool outputFailed = asBits ? bits.Failed() : png.Failed() == PngOutput::kHost;
	const char* why = nullptr;
	if (!outputFailed && status != B_OK &&
	    extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &why) == B_OK)
		return fail(shownInput + ": " + why);
	if (!outputFailed && status != B_OK)
		return fail(shownInput + ": " + describe_failure(translator, status));
	PngOutput::Fault fault = asBits ? PngOutput::kNone : png.Finish();
	if (fault == PngOutput::kBitmap) {
		return fail(shownInput + ": the translator " + translator +
		            " produced a bitmap that cannot be written as PNG: " + png.Reason());
	}
	reason = asBits ? bits.Reason() : png.Reason();
	if (outputFailed || fault == PngOutput::kHost || !out.Commit(&reason))
		return fail("cannot write " + output_display_name(output) + ": " + reason);
	const char* note = nullptr;
	if (extension.FindString(B_TRANSLATOR_EXT_COLOR_NOTE, &note) == B_OK)
		warn(shownInput + ": " + note);
	if (!asBits && !png.Warning().empty())
		warn(shownInput + ": " + png.Warning());
	return true;
}
