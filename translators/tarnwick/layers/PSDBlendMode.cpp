#include "PSDBlendMode.h"

#include "PSDLayers.h"

namespace {

struct Names {
	uint32 key;
	const char* name;
};

// In the enum's order.
const Names kNames[] = {
    {psdKey("norm"), "Nrml"},        {psdKey("diss"), "Dslv"},
    {psdKey("dark"), "Drkn"},        {psdKey("mul "), "Mltp"},
    {psdKey("idiv"), "CBrn"},        {psdKey("lbrn"), "linearBurn"},
    {psdKey("dkCl"), "darkerColor"}, {psdKey("lite"), "Lghn"},
    {psdKey("scrn"), "Scrn"},        {psdKey("div "), "CDdg"},
    {psdKey("lddg"), "linearDodge"}, {psdKey("lgCl"), "lighterColor"},
    {psdKey("over"), "Ovrl"},        {psdKey("sLit"), "SftL"},
    {psdKey("hLit"), "HrdL"},        {psdKey("vLit"), "vividLight"},
    {psdKey("lLit"), "linearLight"}, {psdKey("pLit"), "pinLight"},
    {psdKey("hMix"), "hardMix"},     {psdKey("diff"), "Dfrn"},
    {psdKey("smud"), "Xclu"},        {psdKey("fsub"), "blendSubtraction"},
    {psdKey("fdiv"), "blendDivide"}, {psdKey("hue "), "H   "},
    {psdKey("sat "), "Strt"},        {psdKey("colr"), "Clr "},
    {psdKey("lum "), "Lmns"},        {psdKey("pass"), "passThrough"},
};

static_assert(sizeof(kNames) / sizeof(kNames[0]) == PSD_BLEND_PASS_THROUGH + 1,
              "a key and a name for every blend mode");

} // namespace

PSDBlendMode psdBlendModeFromKey(uint32 key)
{
	for (size_t i = 0; i < sizeof(kNames) / sizeof(kNames[0]); i++) {
		if (kNames[i].key == key)
			return (PSDBlendMode)i;
	}
	return PSD_BLEND_NORMAL;
}

PSDBlendMode psdBlendModeFromName(const std::string& name)
{
	for (size_t i = 0; i < sizeof(kNames) / sizeof(kNames[0]); i++) {
		if (name == kNames[i].name)
			return (PSDBlendMode)i;
	}
	return PSD_BLEND_NORMAL;
}
