#include "AddressSpaceLimit.h"
#include "CorpusBlocks.h"
#include "DescriptorWriter.h"
#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

namespace {

const std::string kCorpus = SHARED_CORPUS_DIR;

typedef psdtest::DescriptorBytes Bytes;

bool Parse(const Bytes& bytes, PSDDescriptor* descriptor)
{
	return psdParseDescriptor(bytes.data.data(), bytes.data.size(), descriptor);
}

// One item of every value type the parser knows.
psdtest::DescriptorBytes AllTypes()
{
	psdtest::DescriptorBytes b;
	b.Unicode(u"Name \u00e9\U0001F600").ID("longClassID").U32(16);
	b.Item("doub", "doub").Double(2.5);
	b.Item("Angl", "UntF").Code("#Ang").Double(-30);
	b.Item("redFloat", "long").U32(0xffffffff);
	b.Item("comp", "comp").U32(1).U32(2);
	b.Item("bool", "bool").data.push_back(1);
	b.Item("TEXT", "TEXT").Unicode(u"text");
	b.Item("Type", "enum").ID("GrdT").ID("Lnr ");
	b.Item("type", "type").Unicode(u"class").ID("Clr ");
	b.Item("GlbC", "GlbC").Unicode(u"").ID("longer class");
	b.Item("alis", "alis").U32(3).data.insert(b.data.end(), {'a', 'b', 'c'});
	b.Item("tdta", "tdta").U32(0);
	b.Item("Objc", "Objc").Head("RGBC", 1).Item("Rd  ", "doub").Double(255);
	b.Item("GlbO", "GlbO").Head("null", 0);
	b.Item("VlLs", "VlLs").U32(2).Code("long").U32(7).Code("Objc").Head("Clrt", 0);
	b.Item("UnFl", "ObAr")
	    .U32(2)
	    .Head("rationalPoint", 1)
	    .Item("Hrzn", "UnFl")
	    .Code("#Pxl")
	    .U32(2)
	    .Double(1)
	    .Double(2);
	b.Item("obj ", "obj ").U32(7);
	b.Code("prop").Unicode(u"").ID("Lyr ").ID("Nm  ");
	b.Code("Clss").Unicode(u"").ID("Chnl");
	b.Code("Enmr").Unicode(u"").ID("Lyr ").ID("Ordn").ID("Trgt");
	b.Code("rele").Unicode(u"").ID("Lyr ").U32((uint32)-2);
	b.Code("Idnt").U32(5);
	b.Code("indx").U32(6);
	b.Code("name").Unicode(u"").ID("Lyr ").Unicode(u"Layer 1");
	return b;
}

TEST(PSDDescriptor, EveryValueTypeReadsBack)
{
	psdtest::DescriptorBytes bytes = AllTypes();
	PSDDescriptor d;
	size_t consumed = 0;
	ASSERT_TRUE(psdParseDescriptor(bytes.data.data(), bytes.data.size(), &d, &consumed));
	EXPECT_EQ(consumed, bytes.data.size());
	EXPECT_EQ(d.className, "Name \xc3\xa9\xf0\x9f\x98\x80");
	EXPECT_EQ(d.classID, "longClassID");
	ASSERT_EQ(d.items.size(), 16u);

	EXPECT_EQ(d.Number("doub", 0), 2.5);
	EXPECT_EQ(d.Number("Angl", 0), -30);
	EXPECT_EQ(d.Unit("Angl"), "#Ang");
	EXPECT_EQ(d.Number("redFloat", 0), -1);
	EXPECT_EQ(d.Number("comp", 0), 4294967298.0);
	EXPECT_TRUE(d.Bool("bool", false));
	EXPECT_EQ(d.String("TEXT"), "text");
	EXPECT_EQ(d.Enum("Type"), "Lnr ");
	EXPECT_EQ(d.Find("Type")->enumType, "GrdT");
	EXPECT_EQ(d.Find("type")->id, "Clr ");
	EXPECT_EQ(d.Find("type")->text, "class");
	EXPECT_EQ(d.Find("GlbC")->id, "longer class");
	EXPECT_EQ(d.Find("alis")->data, std::vector<uint8>({'a', 'b', 'c'}));
	EXPECT_TRUE(d.Find("tdta")->data.empty());
	EXPECT_EQ(d.FindPath({"Objc", "Rd  "})->AsNumber(0), 255);
	ASSERT_NE(d.Child("GlbO"), nullptr);
	EXPECT_EQ(d.Child("GlbO")->classID, "null");
	ASSERT_EQ(d.List("VlLs").size(), 2u);
	EXPECT_EQ(d.List("VlLs")[0].AsNumber(0), 7);
	EXPECT_EQ(d.List("VlLs")[1].AsDescriptor()->classID, "Clrt");
	const PSDDescriptorValue* array = d.Find("UnFl");
	EXPECT_EQ(array->integer, 2);
	EXPECT_EQ(d.FindPath({"UnFl", "Hrzn"})->numbers, std::vector<double>({1, 2}));

	const std::vector<PSDReferenceItem>& ref = d.Find("obj ")->reference;
	ASSERT_EQ(ref.size(), 7u);
	EXPECT_EQ(ref[0].key + ref[1].classID + ref[2].enumID + ref[6].name, "Nm  ChnlTrgtLayer 1");
	EXPECT_EQ(ref[3].index + ref[5].index, -2 + 6);

	// Lookups of the wrong type or of absent keys give the fallback.
	EXPECT_EQ(d.Number("TEXT", 9), 9);
	EXPECT_EQ(d.Number("none", 9), 9);
	EXPECT_EQ(d.String("doub", "x"), "x");
	EXPECT_EQ(d.Enum("TEXT", "x"), "x");
	EXPECT_FALSE(d.Bool("doub", false));
	EXPECT_EQ(d.Child("doub"), nullptr);
	EXPECT_TRUE(d.List("Objc").empty());
	EXPECT_EQ(d.FindPath({"doub", "Rd  "}), nullptr);
}

TEST(PSDDescriptor, DamagedInputFailsCleanly)
{
	psdtest::DescriptorBytes whole = AllTypes();
	PSDDescriptor d;
	for (size_t size = 0; size < whole.data.size(); size++)
		EXPECT_FALSE(psdParseDescriptor(whole.data.data(), size, &d)) << size;
	EXPECT_TRUE(d.items.empty());

	psdtest::DescriptorBytes unknown;
	unknown.Head("null", 1).Item("Nm  ", "what").U32(0);
	psdtest::DescriptorBytes reference;
	reference.Head("null", 1).Item("Nm  ", "obj ").U32(1).Code("what").U32(0);
	psdtest::DescriptorBytes items; // claims more items than its bytes could hold
	items.Head("null", 0x0fffffff).Item("Nm  ", "bool").data.push_back(0);
	psdtest::DescriptorBytes list;
	list.Head("null", 1).Item("Nm  ", "VlLs").U32(0xffffffff).Code("long").U32(0);
	psdtest::DescriptorBytes text;
	text.Head("null", 1).Item("Nm  ", "TEXT").U32(0x80000001).U32(0);
	psdtest::DescriptorBytes floats;
	floats.Head("null", 1).Item("Nm  ", "UnFl").Code("#Pxl").U32(0x20000001).Double(0);
	psdtest::DescriptorBytes key;
	key.Head("null", 1).U32(0xfffffffc).Code("bool").data.push_back(0);
	psdtest::DescriptorBytes nan;
	nan.Head("null", 1).Item("Nm  ", "doub").U32(0x7ff80000).U32(0);
	for (const psdtest::DescriptorBytes* bytes :
	     {&unknown, &reference, &items, &list, &text, &floats, &key})
		EXPECT_FALSE(Parse(*bytes, &d));
	ASSERT_TRUE(Parse(nan, &d));
	EXPECT_EQ(d.Number("Nm  ", 3), 3);

	EXPECT_FALSE(psdParseVersionedDescriptor(items.data.data(), items.data.size(), &d));

	Bytes shallow, deep;
	for (int i = 0; i < PSDDescriptorLimits().depth; i++)
		shallow.Head("null", 1).Item("Objc", "Objc");
	shallow.Head("null", 0);
	for (int i = 0; i < PSDDescriptorLimits().depth + 1; i++)
		deep.Head("null", 1).Item("Objc", "Objc");
	deep.Head("null", 0);
	EXPECT_TRUE(Parse(shallow, &d));
	EXPECT_FALSE(Parse(deep, &d));
	psdtest::DescriptorBytes lists;
	lists.Head("null", 1).Item("VlLs", "VlLs");
	for (int i = 0; i < 100000; i++)
		lists.U32(1).Code("VlLs");
	lists.U32(0);
	EXPECT_FALSE(Parse(lists, &d));
}

TEST(PSDDescriptor, CountsHoldNothingBeforeTheirValuesAreRead)
{
	if (!psdtest::kAddressSpaceLimitWorks)
		GTEST_SKIP() << "no address space limit under a sanitizer";
	// Lists in one another, each claiming 60000 elements and holding one:
	// sized from their counts, they took 16 MiB each.
	Bytes lists;
	lists.Head("null", 1).Item("VlLs", "VlLs");
	for (int i = 0; i < PSDDescriptorLimits().depth - 1; i++)
		lists.U32(60000).Code("VlLs");
	lists.U32(0);
	lists.data.resize(400000, 0);
	EXPECT_TRUE(psdtest::runsWithin(64, [&] {
		PSDDescriptor d;
		return !Parse(lists, &d);
	}));
}

struct ColorCase {
	const char* name;
	psdtest::DescriptorBytes color;
	uint16 mode;
	std::vector<float> stored;
};

TEST(PSDDescriptor, ColorsBecomeStoredChannelValues)
{
	auto rgb = [](double r, double g, double b) {
		psdtest::DescriptorBytes c;
		c.Head("RGBC", 3).Item("Rd  ", "doub").Double(r).Item("Grn ", "doub").Double(g);
		c.Item("Bl  ", "long").U32((uint32)b);
		return c;
	};
	psdtest::DescriptorBytes cmyk, gray, hsb, lab, floats, book;
	cmyk.Head("CMYC", 4).Item("Cyn ", "doub").Double(20).Item("Mgnt", "doub").Double(0);
	cmyk.Item("Ylw ", "doub").Double(0).Item("Blck", "doub").Double(50);
	gray.Head("Grsc", 1).Item("Gry ", "doub").Double(30);
	hsb.Head("HSBC", 3).Item("H   ", "UntF").Code("#Ang").Double(240);
	hsb.Item("Strt", "doub").Double(100).Item("Brgh", "doub").Double(50);
	lab.Head("LbCl", 3).Item("Lmnc", "doub").Double(100).Item("A   ", "doub").Double(0);
	lab.Item("B   ", "doub").Double(0);
	floats.Head("RGBC", 3).Item("redFloat", "doub").Double(0.5);
	floats.Item("greenFloat", "doub").Double(2).Item("blueFloat", "doub").Double(0);
	book.Head("BkCl", 2).Item("Bk  ", "TEXT").Unicode(u"Book").Item("Gry ", "doub").Double(100);
	std::vector<ColorCase> cases = {
	    {"rgb", rgb(255, 51, 0), PSD_MODE_RGB, {1, 0.2f, 0}},
	    {"cmyk", cmyk, PSD_MODE_CMYK, {0.8f, 1, 1, 0.5f}},
	    {"cmyk in rgb", cmyk, PSD_MODE_RGB, {0.4f, 0.5f, 0.5f}},
	    {"gray", gray, PSD_MODE_GRAYSCALE, {0.7f}},
	    {"gray in cmyk", gray, PSD_MODE_CMYK, {1, 1, 1, 0.7f}},
	    {"rgb in cmyk", rgb(255, 0, 127.5), PSD_MODE_CMYK, {1, 0, 0.5f, 1}},
	    {"rgb in gray", rgb(255, 255, 255), PSD_MODE_GRAYSCALE, {1}},
	    {"hsb", hsb, PSD_MODE_RGB, {0, 0, 0.5f}},
	    {"lab white", lab, PSD_MODE_RGB, {1, 1, 1}},
	    {"float rgb", floats, PSD_MODE_RGB, {0.5f, 1, 0}},
	    {"book", book, PSD_MODE_GRAYSCALE, {0}},
	};
	for (const ColorCase& c : cases) {
		PSDDescriptor d;
		ASSERT_TRUE(Parse(c.color, &d)) << c.name;
		float stored[4] = {-1, -1, -1, -1};
		ASSERT_EQ(psdDescriptorColor(d, c.mode, stored), (int)c.stored.size()) << c.name;
		for (size_t i = 0; i < c.stored.size(); i++)
			EXPECT_NEAR(stored[i], c.stored[i], 0.003) << c.name << " " << i;
	}
	PSDDescriptor none;
	float stored[4];
	EXPECT_EQ(psdDescriptorColor(none, PSD_MODE_RGB, stored), 0);
	PSDDescriptor d;
	ASSERT_TRUE(Parse(gray, &d));
	EXPECT_EQ(psdDescriptorColor(d, PSD_MODE_LAB, stored), 0);
}

// Where each block's descriptor starts: after how many bytes of its own, and
// whether a second (warp) descriptor follows after two more.
const std::map<std::string, size_t> kDescriptorOffsets = {
    {"SoCo", 0}, {"GdFl", 0}, {"PtFl", 0}, {"CgEd", 0}, {"blwh", 0}, {"vibA", 0},
    {"vstk", 0}, {"artb", 0}, {"artd", 0}, {"cinf", 0}, {"pths", 0}, {"vogk", 4},
    {"lfx2", 4}, {"lmfx", 4}, {"vscg", 4}, {"SoLd", 8}, {"SoLE", 8}, {"TySh", 52}};

std::vector<std::string> DescriptorKeys()
{
	std::vector<std::string> keys;
	for (const auto& entry : kDescriptorOffsets)
		keys.push_back(entry.first);
	return keys;
}

TEST(PSDDescriptor, EveryCorpusDescriptorParses)
{
	if (!std::filesystem::exists(kCorpus))
		GTEST_SKIP() << "no corpus at " << kCorpus;
	std::vector<CorpusBlock> blocks = find_corpus_blocks(kCorpus, DescriptorKeys());
	ASSERT_GT(blocks.size(), 500u);
	for (const CorpusBlock& block : blocks) {
		size_t offset = kDescriptorOffsets.at(block.key);
		PSDDescriptor d;
		size_t consumed = 0;
		ASSERT_TRUE(psdParseVersionedDescriptor(block.data.data() + offset,
		                                        block.data.size() - offset, &d, &consumed))
		    << block.file << " " << block.key;
		offset += consumed;
		if (block.key == "TySh") {
			// The warp descriptor follows the text's, after its own version.
			offset += 2;
			ASSERT_TRUE(psdParseVersionedDescriptor(block.data.data() + offset,
			                                        block.data.size() - offset, &d, &consumed))
			    << block.file << " warp";
			offset += consumed;
		}
		EXPECT_LE(offset, block.data.size());
	}
}

const PSDDescriptor FirstCorpusDescriptor(const std::string& file, const std::string& key)
{
	std::vector<uint8> bytes = read_corpus_file(kCorpus + "/" + file);
	std::string signature = "8BIM" + key;
	auto at = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end());
	PSDDescriptor d;
	if (bytes.end() - at > 12)
		psdParseVersionedDescriptor(&at[12], bytes.end() - at - 12, &d);
	return d;
}

TEST(PSDDescriptor, CorpusValuesReadRight)
{
	if (!std::filesystem::exists(kCorpus))
		GTEST_SKIP() << "no corpus at " << kCorpus;
	float stored[4];
	PSDDescriptor solid = FirstCorpusDescriptor("layers/layers__solid-color-fill.psd", "SoCo");
	ASSERT_NE(solid.Child("Clr "), nullptr);
	ASSERT_EQ(psdDescriptorColor(*solid.Child("Clr "), PSD_MODE_RGB, stored), 3);
	EXPECT_EQ(std::vector<float>(stored, stored + 3), std::vector<float>({1, 0, 0}));

	// The merged image shows this fill as 144 of 255.
	PSDDescriptor gray = FirstCorpusDescriptor("layers/gray1.psd", "SoCo");
	ASSERT_NE(gray.Child("Clr "), nullptr);
	ASSERT_EQ(psdDescriptorColor(*gray.Child("Clr "), PSD_MODE_GRAYSCALE, stored), 1);
	EXPECT_NEAR(stored[0] * 255, 144, 0.5);

	PSDDescriptor gradient = FirstCorpusDescriptor("layers/gradient-fill.psd", "GdFl");
	EXPECT_EQ(gradient.Enum("Type"), "Lnr ");
	EXPECT_EQ(gradient.Number("Angl", 0), 90);
	EXPECT_EQ(gradient.FindPath({"Grad", "Nm  "})->AsString(), "Violet, Orange");
	const PSDDescriptor* grad = gradient.Child("Grad");
	ASSERT_NE(grad, nullptr);
	EXPECT_EQ(grad->List("Clrs").size(), 2u);
	EXPECT_EQ(grad->List("Trns").size(), 2u);
	EXPECT_EQ(grad->Number("Intr", 0), 4096);
}

} // namespace
