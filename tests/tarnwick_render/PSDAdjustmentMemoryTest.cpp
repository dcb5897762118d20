// An adjustment that cannot have the memory it needs fails the reading, with
// a reason: it is never left out of the picture without a word.

#include "AddressSpaceLimit.h"
#include "DescriptorWriter.h"
#include "PsdLayerWriter.h"

#include <DataIO.h>
#include <Message.h>
#include <Tarnwick.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A colour lookup whose table (blanks, which make no .cube) has `size` bytes.
psdtest::LayerBlock lookup(uint32 size)
{
	psdtest::DescriptorBytes block;
	block.U16(1).U32(16).Head("null", 2);
	block.Item("LUTFormat", "enum").ID("LUTFormatType").ID("LUTFormatCUBE");
	block.Item("LUT3DFileData", "tdta").U32(size);
	block.data.resize(block.data.size() + size, ' ');
	return {"clrL", block.data};
}

TEST(PSDAdjustmentMemory, AnAdjustmentWithoutMemoryFailsTheReading)
{
	if (!psdtest::kAddressSpaceLimitWorks)
		GTEST_SKIP() << "no address-space limit under a sanitizer";
	psdtest::LayerRecord pixels;
	pixels.right = pixels.bottom = 4;
	for (int16_t id = -1; id < 3; id++)
		pixels.channels.push_back({id, psdtest::Bytes(16, 100)});
	psdtest::LayerRecord adjustment;
	adjustment.blocks.push_back(lookup(48 << 20));
	psdtest::PsdLayout layout = psdtest::psdLayout(3, 8, 3, 4, 4);
	layout.layerInfo = psdtest::layerSection({pixels, adjustment});
	const psdtest::Bytes file =
	    psdtest::psdRaw(layout, std::vector<psdtest::Bytes>(3, psdtest::Bytes(16, 255)));

	auto translate = [&file](BMessage* extension) {
		BMemoryIO in(file.data(), file.size());
		BMallocIO out;
		extension->AddBool(TARNWICK_EXT_LAYERS, true);
		return Translate(&in, nullptr, extension, B_TRANSLATOR_BITMAP, &out);
	};
	// With the memory, the table is read, and is no table.
	BMessage extension;
	EXPECT_EQ(B_OK, translate(&extension));
	EXPECT_TRUE(psdtest::runsWithin(32, [&translate] {
		BMessage extension;
		const char* reason = "";
		return translate(&extension) == B_NO_MEMORY &&
		       extension.FindString(B_TRANSLATOR_EXT_FAILURE_REASON, &reason) == B_OK &&
		       std::string(reason) == "not enough memory to read the image";
	}));
}

} // namespace
