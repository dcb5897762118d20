// Adjustment layers' blocks read into their settings: each kind's fields
// where they belong, a colour lookup's table located without being read, and
// damaged blocks refused or read within their caps.

#include "CorpusBlocks.h"
#include "DescriptorWriter.h"

#include <core/PSDCore.h>
#include <layers/adjustments/PSDAdjustmentSettings.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace {

const std::string kCorpus = SHARED_CORPUS_DIR;

// A file of a few bytes and then blocks, and a layer record that locates them.
struct Layer {
	std::vector<uint8> file = std::vector<uint8>(3, 0);
	PSDLayer record = {};

	Layer& Block(const std::string& key, const std::vector<uint8>& bytes)
	{
		uint32 code = 0;
		for (char c : key)
			code = code << 8 | (uint8)c;
		record.blocks.push_back({code, file.size(), bytes.size()});
		file.insert(file.end(), bytes.begin(), bytes.end());
		return *this;
	}

	std::unique_ptr<PSDAdjustmentSettings> Read(uint16 mode, BPositionIO* in = nullptr) const
	{
		BMemoryIO memory(file.data(), file.size());
		PSDModelContext context = {};
		context.in = in != nullptr ? in : &memory;
		context.mode = mode;
		context.colours = mode == PSD_MODE_CMYK ? 4 : mode == PSD_MODE_RGB ? 3 : 1;
		context.depth = 8;
		return psdReadAdjustmentSettings(context, record);
	}
};

template <class Kind>
std::optional<Kind> readAs(const std::string& key, const psdtest::DescriptorBytes& bytes,
                           uint16 mode = PSD_MODE_RGB)
{
	const std::unique_ptr<PSDAdjustmentSettings> settings =
	    Layer().Block(key, bytes.data).Read(mode);
	if (!settings || !std::holds_alternative<Kind>(settings->kind))
		return std::nullopt;
	return std::get<Kind>(settings->kind);
}

// A versioned descriptor of numbers, as 'CgEd', 'vibA' and 'blwh' are.
psdtest::DescriptorBytes descriptor(std::initializer_list<std::pair<const char*, double>> numbers,
                                    bool flag = false)
{
	psdtest::DescriptorBytes bytes;
	bytes.U32(16).Head("null", (uint32)numbers.size() + 1);
	for (const auto& number : numbers)
		bytes.Item(number.first, "doub").Double(number.second);
	return bytes.Item("useLegacy", "bool").U8(flag);
}

// One block of each binary kind, with settings of its own in every field.
psdtest::DescriptorBytes levelsBlock()
{
	psdtest::DescriptorBytes levels;
	levels.U16(2);
	for (int record = 0; record < 29; record++)
		levels.U16(record).U16(255 - record).U16(2 * record).U16(250).U16(record * 300);
	return levels;
}

psdtest::DescriptorBytes curvesBlock()
{
	// The composite, channel 1, and channel 5, which no document renders.
	psdtest::DescriptorBytes curves;
	curves.U8(0).U16(1).U32(0x45);
	curves.U16(2).U16(10).U16(0).U16(240).U16(250);
	curves.U16(3).U16(0).U16(0).U16(200).U16(100).U16(255).U16(255);
	curves.U16(1).U16(7).U16(9);
	return curves;
}

psdtest::DescriptorBytes hueSaturationBlock()
{
	psdtest::DescriptorBytes hue;
	hue.U16(2).U8(1).U8(0).U16(-90).U16(-20).U16(30).U16(15).U16(-300).U16(-40);
	for (int range = 0; range < 6; range++)
		hue.U16(range).U16(10 * range).U16(20 * range).U16(-range).U16(range).U16(-range).U16(0);
	return hue;
}

psdtest::DescriptorBytes gradientMapBlock()
{
	// Version 3 (an interpolation method), a name, white and then black.
	psdtest::DescriptorBytes map;
	map.U16(3).U8(1).U8(0).Code("Lnr ").U32(2).U16('g').U16('m').U16(2);
	map.U32(5000).U32(25).U16(0).U16(65535).U16(65535).U16(65535).U16(0).U16(0);
	map.U32(1024).U32(60).U16(8).U16(10000).U16(0).U16(0).U16(0).U16(0);
	return map.U16(1).U32(0).U32(50).U16(255).U16(2).U16(2048);
}

psdtest::DescriptorBytes mixerBlock()
{
	// Two records and a half.
	psdtest::DescriptorBytes mixer;
	mixer.U16(1).U16(1);
	for (int v : {100, -250, 0, 0, 20, 0, 0, 50, 0, 0, 1, 2})
		mixer.U16(v);
	return mixer;
}

// The block of every binary kind, by key.
std::map<std::string, psdtest::DescriptorBytes> binaryBlocks()
{
	psdtest::DescriptorBytes balance, filter, selective;
	for (int v : {0, 0, 0, 50, 0, -150, 0, 0, 0})
		balance.U16(v);
	balance.U8(1);
	filter.U16(2).U16(0).U16(65535).U16(32896).U16(0).U16(0).U32(150).U8(1);
	selective.U16(1).U16(1).U16(65535).U16(65535).U16(65535).U16(65535);
	for (int i = 0; i < 36; i++)
		selective.U16(i - 18);
	return {{"levl", levelsBlock()},
	        {"curv", curvesBlock()},
	        {"brit", psdtest::DescriptorBytes().U16(500).U16(-300).U16(300).U16(0)},
	        {"expA", psdtest::DescriptorBytes().U16(1).F32(1.5f).F32(-0.25f).F32(2).U16(0)},
	        {"hue2", hueSaturationBlock()},
	        {"blnc", balance},
	        {"phfl", filter},
	        {"mixr", mixerBlock()},
	        {"post", psdtest::DescriptorBytes().U16(4).U16(0)},
	        {"thrs", psdtest::DescriptorBytes().U16(200).U16(0)},
	        {"grdm", gradientMapBlock()},
	        {"selc", selective}};
}

const psdtest::DescriptorBytes& blockOf(const std::string& key)
{
	static const std::map<std::string, psdtest::DescriptorBytes> blocks = binaryBlocks();
	return blocks.at(key);
}

TEST(PSDAdjustmentSettings, ToneKindsKeepTheirFields)
{
	// The composite's record and four channels' of the 29; gamma in
	// hundredths, within 0.1 and 9.99.
	const auto levels = readAs<PSDLevelsSettings>("levl", blockOf("levl"));
	ASSERT_TRUE(levels);
	ASSERT_EQ(5u, levels->records.size());
	EXPECT_DOUBLE_EQ(252 / 255.0, levels->records[3].inputCeiling);
	EXPECT_DOUBLE_EQ(6 / 255.0, levels->records[3].outputFloor);
	EXPECT_DOUBLE_EQ(9, levels->records[3].gamma);
	EXPECT_DOUBLE_EQ(0.1, levels->records[0].gamma);
	EXPECT_DOUBLE_EQ(9.99, levels->records[4].gamma);

	// Points are stored output first; channel 5's curve is read past.
	const auto curves = readAs<PSDCurvesSettings>("curv", blockOf("curv"));
	ASSERT_TRUE(curves);
	ASSERT_EQ(2u, curves->curves[0].size());
	EXPECT_DOUBLE_EQ(10 / 255.0, curves->curves[0][0].output);
	EXPECT_DOUBLE_EQ(250 / 255.0, curves->curves[0][1].input);
	EXPECT_EQ(3u, curves->curves[2].size());
	EXPECT_TRUE(curves->curves[1].empty() && curves->curves[3].empty());
	// A curve drawn by hand: its value at every 8-bit input.
	psdtest::DescriptorBytes drawn;
	drawn.U8(1).U16(1).U32(0x2);
	for (int i = 0; i < 256; i++)
		drawn.U8((uint8)(255 - i));
	const auto map = readAs<PSDCurvesSettings>("curv", drawn);
	ASSERT_TRUE(map);
	ASSERT_EQ(256u, map->curves[1].size());
	EXPECT_DOUBLE_EQ(10 / 255.0, map->curves[1][10].input);
	EXPECT_DOUBLE_EQ(245 / 255.0, map->curves[1][10].output);

	// Legacy brightness/contrast, clamped to Photoshop's ranges; the current
	// form where 'CgEd' has it.
	Layer legacy;
	legacy.Block("brit", blockOf("brit").data);
	auto brightness = std::get<PSDBrightnessContrastSettings>(legacy.Read(PSD_MODE_RGB)->kind);
	EXPECT_TRUE(brightness.legacy);
	EXPECT_EQ(150, brightness.brightness);
	EXPECT_EQ(-100, brightness.contrast);
	EXPECT_EQ(255, brightness.mean);
	Layer current = legacy;
	current.Block("CgEd", descriptor({{"Brgh", -40}, {"Cntr", -80}}).data);
	brightness = std::get<PSDBrightnessContrastSettings>(current.Read(PSD_MODE_RGB)->kind);
	EXPECT_FALSE(brightness.legacy);
	EXPECT_EQ(-40, brightness.brightness);
	EXPECT_EQ(-50, brightness.contrast);
	legacy.Block("CgEd", descriptor({{"Brgh", -40}}, true).data);
	EXPECT_TRUE(std::get<PSDBrightnessContrastSettings>(legacy.Read(PSD_MODE_RGB)->kind).legacy);

	const auto exposure = readAs<PSDExposureSettings>("expA", blockOf("expA"));
	ASSERT_TRUE(exposure);
	EXPECT_EQ(1.5, exposure->exposure);
	EXPECT_EQ(-0.25, exposure->offset);
	EXPECT_EQ(2, exposure->gamma);
	EXPECT_FALSE(readAs<PSDExposureSettings>(
	    "expA", psdtest::DescriptorBytes().U16(1).F32(1).F32(0).F32(12).U16(0)));

	EXPECT_EQ(4, readAs<PSDPosterizeSettings>("post", blockOf("post"))->levels);
	EXPECT_FALSE(readAs<PSDPosterizeSettings>("post", psdtest::DescriptorBytes().U16(1).U16(0)));
	EXPECT_EQ(200, readAs<PSDThresholdSettings>("thrs", blockOf("thrs"))->level);
	EXPECT_FALSE(readAs<PSDThresholdSettings>("thrs", psdtest::DescriptorBytes().U16(0).U16(0)));
	EXPECT_TRUE(readAs<PSDInvertSettings>("nvrt", psdtest::DescriptorBytes()));
}

TEST(PSDAdjustmentSettings, ColourKindsKeepTheirFields)
{
	// Colorize's hue goes round to 0 to 360, its saturation from 0.
	const auto hue = readAs<PSDHueSaturationSettings>("hue2", blockOf("hue2"));
	ASSERT_TRUE(hue);
	EXPECT_TRUE(hue->colorize);
	EXPECT_EQ(270, hue->colorization.hue);
	EXPECT_EQ(0, hue->colorization.saturation);
	EXPECT_EQ(-1, hue->master.saturation);
	EXPECT_DOUBLE_EQ(-0.4, hue->master.lightness);
	EXPECT_EQ(-3, hue->ranges[3].fadeOut);
	EXPECT_DOUBLE_EQ(-0.03, hue->ranges[3].amounts.saturation);
	// The older key reads the same.
	EXPECT_TRUE(readAs<PSDHueSaturationSettings>("hue ", blockOf("hue2")));

	const auto balance = readAs<PSDColorBalanceSettings>("blnc", blockOf("blnc"));
	ASSERT_TRUE(balance);
	EXPECT_DOUBLE_EQ(0.5, balance->amounts[1][0]);
	EXPECT_DOUBLE_EQ(-1, balance->amounts[1][2]);
	EXPECT_TRUE(balance->preserveLuminosity);

	// The filter's colour as red, green and blue whatever the document.
	const auto filter = readAs<PSDPhotoFilterSettings>("phfl", blockOf("phfl"), PSD_MODE_CMYK);
	ASSERT_TRUE(filter);
	EXPECT_FLOAT_EQ(1, filter->colour[0]);
	EXPECT_NEAR(0.502, filter->colour[1], 0.001);
	EXPECT_EQ(1, filter->density);
	psdtest::DescriptorBytes xyz = blockOf("phfl");
	xyz.data[1] = 3;
	EXPECT_FALSE(readAs<PSDPhotoFilterSettings>("phfl", xyz));

	// The whole records only; weights as fractions, within +-2.
	const auto mixer = readAs<PSDChannelMixerSettings>("mixr", blockOf("mixr"));
	ASSERT_TRUE(mixer);
	EXPECT_TRUE(mixer->monochrome);
	ASSERT_EQ(2u, mixer->mixes.size());
	EXPECT_EQ(-2, mixer->mixes[0].weight[1]);
	EXPECT_DOUBLE_EQ(0.2, mixer->mixes[0].constant);

	const auto selective = readAs<PSDSelectiveColorSettings>("selc", blockOf("selc"));
	ASSERT_TRUE(selective);
	EXPECT_FALSE(selective->relative);
	EXPECT_DOUBLE_EQ(-0.18, selective->inks[0][0]);
	EXPECT_DOUBLE_EQ(0.17, selective->inks[8][3]);

	// Stops in the document's stored values (CMYK: 1 is no ink), locations
	// within 0 and 1; the transparency stops play no part.
	const auto map = readAs<PSDGradientMapSettings>("grdm", blockOf("grdm"), PSD_MODE_CMYK);
	ASSERT_TRUE(map);
	EXPECT_TRUE(map->reversed && map->linear);
	EXPECT_EQ(0.5, map->smoothness);
	EXPECT_EQ(4, map->channels);
	ASSERT_EQ(2u, map->stops.size());
	EXPECT_EQ(1, map->stops[0].location);
	EXPECT_EQ(0.25, map->stops[0].midpoint);
	EXPECT_FLOAT_EQ(1, map->stops[0].colour[3]);
	EXPECT_FLOAT_EQ(0, map->stops[1].colour[3]);
	EXPECT_EQ(
	    1, readAs<PSDGradientMapSettings>("grdm", blockOf("grdm"), PSD_MODE_GRAYSCALE)->channels);

	// Descriptor kinds: vibrance within +-100; black & white's weights as
	// fractions, Photoshop's defaults where the descriptor has none.
	const auto vibrance =
	    readAs<PSDVibranceSettings>("vibA", descriptor({{"vibrance", 30}, {"Strt", -150}}));
	ASSERT_TRUE(vibrance);
	EXPECT_EQ(30, vibrance->vibrance);
	EXPECT_EQ(-100, vibrance->saturation);
	psdtest::DescriptorBytes tinted;
	tinted.U32(16).Head("null", 3).Item("Rd  ", "long").U32(500);
	tinted.Item("useTint", "bool").U8(1).Item("tintColor", "Objc").Head("RGBC", 3);
	tinted.Item("Rd  ", "doub").Double(255).Item("Grn ", "doub").Double(0);
	tinted.Item("Bl  ", "doub").Double(51);
	const auto blackWhite = readAs<PSDBlackWhiteSettings>("blwh", tinted);
	ASSERT_TRUE(blackWhite);
	EXPECT_EQ(3, blackWhite->weights[0]);
	EXPECT_DOUBLE_EQ(0.6, blackWhite->weights[1]);
	EXPECT_TRUE(blackWhite->tinted);
	EXPECT_FLOAT_EQ(0.2f, blackWhite->tint[2]);
}

// An input that counts the bytes read from it.
class ByteCountingInput : public BMemoryIO {
public:
	explicit ByteCountingInput(const std::vector<uint8>& bytes)
	    : BMemoryIO(bytes.data(), bytes.size())
	{
	}
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		const ssize_t read = BMemoryIO::ReadAt(position, buffer, size);
		fRead += read > 0 ? (size_t)read : 0;
		return read;
	}
	size_t Read() const { return fRead; }

private:
	size_t fRead = 0;
};

// A colour lookup block around a table of `size` bytes, with `format`.
psdtest::DescriptorBytes lookupBlock(size_t size, const std::string& format, bool nested = false)
{
	psdtest::DescriptorBytes lookup;
	lookup.U16(1).U32(16).Head("null", nested ? 7 : 6);
	lookup.Item("lookupType", "enum").ID("colorLookupType").ID("3DLUT");
	lookup.Item("Nm  ", "TEXT").Unicode(u"film.cube").Item("profile", "tdta").U32(2).U16(7);
	if (nested)
		lookup.Item("Clr ", "Objc").Head("RGBC", 0);
	lookup.Item("LUTFormat", "enum").ID("LUTFormatType").ID(format);
	lookup.Item("LUT3DFileName", "TEXT").Unicode(u"film.cube");
	lookup.Item("LUT3DFileData", "tdta").U32((uint32)size);
	lookup.data.resize(lookup.data.size() + size, '0');
	return lookup;
}

TEST(PSDAdjustmentSettings, ColourLookupTablesAreLocatedNotRead)
{
	const size_t size = 4 << 20;
	Layer layer;
	layer.Block("clrL", lookupBlock(size, "LUTFormatCUBE").data);
	ByteCountingInput in(layer.file);
	const std::unique_ptr<PSDAdjustmentSettings> settings = layer.Read(PSD_MODE_RGB, &in);
	ASSERT_TRUE(settings);
	const PSDBlock& table = std::get<PSDColorLookupSettings>(settings->kind).table;
	EXPECT_EQ(size, table.length);
	EXPECT_EQ(layer.file.size() - size, table.offset);
	EXPECT_LT(in.Read(), size / 8);

	// The file cut inside the table: it is no longer there to locate.
	layer.file.resize(layer.file.size() - size / 2);
	EXPECT_FALSE(layer.Read(PSD_MODE_RGB));

	// Tables of other formats, blocks of values Photoshop does not write
	// there, a table past the block's end and a lookup without a table give
	// nothing.
	EXPECT_FALSE(Layer().Block("clrL", lookupBlock(10, "LUTFormat3DL").data).Read(PSD_MODE_RGB));
	EXPECT_FALSE(
	    Layer().Block("clrL", lookupBlock(10, "LUTFormatCUBE", true).data).Read(PSD_MODE_RGB));
	psdtest::DescriptorBytes cut = lookupBlock(100, "LUTFormatCUBE");
	cut.data.resize(cut.data.size() - 50);
	EXPECT_FALSE(Layer().Block("clrL", cut.data).Read(PSD_MODE_RGB));
	EXPECT_FALSE(Layer()
	                 .Block("clrL", psdtest::DescriptorBytes().U16(1).U32(16).Head("null", 0).data)
	                 .Read(PSD_MODE_RGB));
}

// Lists within their caps, whatever the block said.
void expectBounded(const PSDAdjustmentSettings& settings)
{
	if (const auto* levels = std::get_if<PSDLevelsSettings>(&settings.kind)) {
		EXPECT_LE(levels->records.size(), 5u);
	}
	if (const auto* curves = std::get_if<PSDCurvesSettings>(&settings.kind)) {
		for (const auto& curve : curves->curves)
			EXPECT_LE(curve.size(), 256u);
	}
	if (const auto* mixer = std::get_if<PSDChannelMixerSettings>(&settings.kind)) {
		EXPECT_LE(mixer->mixes.size(), 4u);
	}
	if (const auto* map = std::get_if<PSDGradientMapSettings>(&settings.kind)) {
		EXPECT_GE(map->stops.size(), 1u);
		EXPECT_LE(map->stops.size(), 1024u);
	}
}

// Every block cut short at every length, and read as every kind: nothing,
// or settings within their caps.
TEST(PSDAdjustmentSettings, DamagedBlocksGiveNothingOrBoundedSettings)
{
	std::set<std::vector<uint8>> blocks;
	for (const auto& block : binaryBlocks())
		blocks.insert(block.second.data);
	for (const CorpusBlock& block :
	     find_corpus_blocks(kCorpus, {"levl", "curv", "brit", "expA", "hue2", "selc", "grdm"})) {
		// Whole, the corpus's blocks all read.
		EXPECT_TRUE(Layer().Block(block.key, block.data).Read(PSD_MODE_RGB)) << block.file;
		blocks.insert(block.data);
	}
	for (const std::vector<uint8>& whole : blocks) {
		for (size_t length = 0; length <= whole.size(); length++) {
			const std::vector<uint8> cut(whole.begin(), whole.begin() + length);
			for (const auto& kind : binaryBlocks()) {
				for (uint16 mode : {PSD_MODE_RGB, PSD_MODE_CMYK, PSD_MODE_GRAYSCALE}) {
					const auto settings = Layer().Block(kind.first, cut).Read(mode);
					if (settings)
						expectBounded(*settings);
				}
			}
		}
	}

	// Counts far past what the block holds.
	EXPECT_FALSE(readAs<PSDCurvesSettings>(
	    "curv", psdtest::DescriptorBytes().U8(0).U16(1).U32(1).U16(65535).U16(0).U16(0)));
	EXPECT_FALSE(readAs<PSDCurvesSettings>(
	    "curv", psdtest::DescriptorBytes().U8(0).U16(1).U32(1).U16(0).U16(0).U16(0)));
	EXPECT_FALSE(readAs<PSDGradientMapSettings>(
	    "grdm", psdtest::DescriptorBytes().U16(1).U8(0).U8(0).U32(0x7fffffff)));
	EXPECT_FALSE(readAs<PSDGradientMapSettings>(
	    "grdm", psdtest::DescriptorBytes().U16(1).U8(0).U8(0).U32(0).U16(65535).U32(0)));
}

} // namespace
