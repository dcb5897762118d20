#ifndef TRANSLATED_PIXELS_H
#define TRANSLATED_PIXELS_H

// A PSD's pixel words as Tarnwick's Translate gives them to a host, for the
// tests that link the add-on's objects in: the path a host takes, layers
// asked for or not.

#include <DataIO.h>
#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Empty, with a test failure naming the reason, when Translate fails.
inline std::vector<uint32> translatedPixels(const std::vector<uint8>& file, bool layers)
{
	BMemoryIO in(file.data(), file.size());
	BMallocIO out;
	BMessage extension;
	extension.AddBool(TARNWICK_EXT_LAYERS, layers);
	const status_t status = Translate(&in, nullptr, &extension, B_TRANSLATOR_BITMAP, &out);
	const char* reason = "";
	extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason);
	EXPECT_EQ(B_OK, status) << reason;
	if (status != B_OK || out.BufferLength() < 32)
		return {};
	std::vector<uint32> pixels((out.BufferLength() - 32) / 4);
	memcpy(pixels.data(), (const uint8*)out.Buffer() + 32, pixels.size() * 4);
	return pixels;
}

#endif
