#include "Convert.h"

#include "BitmapImage.h"
#include "BitsWriter.h"
#include "InputSource.h"
#include "OutputFile.h"
#include "PngWriter.h"

#include <Screen.h>
#include <TranslatorFormats.h>

#include <cstdio>

namespace {

bool fail(const std::string& message)
{
	fprintf(stderr, "translate: %s\n", message.c_str());
	return false;
}

std::string shown_name(const std::string& path)
{
	return path == "-" ? "standard input" : path;
}

std::string shown_output(const std::string& path)
{
	return path == "-" ? "standard output" : path;
}

}  // namespace

std::string describe_translate_failure(BTranslatorRoster& roster, translator_id id,
	status_t status)
{
	const char* name = "?";
	roster.GetTranslatorInfo(id, &name, nullptr, nullptr);
	std::string who = std::string("the translator ") + name;
	switch (status) {
		case B_NO_TRANSLATOR: return who + " recognised the file but could not convert it";
		case B_NO_MEMORY: return who + " ran out of memory";
		default: return who + " reported an error";
	}
}

bool convert_file(BTranslatorRoster& roster, const std::string& input, const std::string& output,
	OutputFormat format)
{
	std::string reason;
	InputSource source;
	if (!source.Open(input, &reason))
		return fail("cannot open " + shown_name(input) + ": " + reason);

	translator_info info;
	if (roster.Identify(source.Stream(), nullptr, &info, 0, nullptr, B_TRANSLATOR_BITMAP) != B_OK)
		return fail(shown_name(input) + ": no translator recognises this file");

	BMallocIO bitmap;
	status_t status =
		roster.Translate(source.Stream(), &info, nullptr, &bitmap, B_TRANSLATOR_BITMAP);
	if (status != B_OK)
		return fail(shown_name(input) + ": " + describe_translate_failure(roster, info.translator, status));

	BitmapImage image;
	if (format == OutputFormat::kPng
		&& !read_bitmap_image(bitmap.Buffer(), bitmap.BufferLength(), &image, &reason)) {
		const char* name = "?";
		roster.GetTranslatorInfo(info.translator, &name, nullptr, nullptr);
		return fail(shown_name(input) + ": the translator " + name + " produced a bitmap that "
			+ "cannot be written as PNG: " + reason);
	}

	OutputFile out;
	if (!out.Open(output, &reason))
		return fail("cannot write " + shown_output(output) + ": " + reason);
	bool written;
	if (format == OutputFormat::kPng)
		written = write_png(image, *BScreen().ColorMap(), out.Stream(), &reason);
	else
		written = write_bits(bitmap.Buffer(), bitmap.BufferLength(), out.Stream(), &reason);
	if (!written || !out.Commit(&reason))
		return fail("cannot write " + shown_output(output) + ": " + reason);
	return true;
}
