#include "FontCache.h"

#include <Font.h>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace BPrivate {

namespace {

typedef std::map<std::pair<std::string, std::string>, cairo_font_face_t*> FaceMap;
typedef std::map<std::tuple<std::string, std::string, float>, cairo_scaled_font_t*> ScaledFontMap;

// Kept for the life of the process, static destruction included: views may
// still draw or measure text while it runs.
std::mutex& gLock = *new std::mutex;
FaceMap& gFaces = *new FaceMap;
ScaledFontMap& gScaledFonts = *new ScaledFontMap;

cairo_font_face_t* face_for(const std::string& family, const std::string& style)
{
	auto key = std::make_pair(family, style);
	auto found = gFaces.find(key);
	if (found != gFaces.end())
		return found->second;
	FcPattern* pattern = FcPatternCreate();
	FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)family.c_str());
	FcPatternAddString(pattern, FC_STYLE, (const FcChar8*)style.c_str());
	FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
	FcDefaultSubstitute(pattern);
	FcResult result;
	FcPattern* match = FcFontMatch(nullptr, pattern, &result);
	cairo_font_face_t* face =
	    cairo_ft_font_face_create_for_pattern(match != nullptr ? match : pattern);
	if (match != nullptr)
		FcPatternDestroy(match);
	FcPatternDestroy(pattern);
	gFaces[key] = face;
	return face;
}

} // namespace

cairo_scaled_font_t* scaled_font_for(const BFont& font)
{
	std::lock_guard<std::mutex> guard(gLock);
	auto key = std::make_tuple(std::string(font.Family()), std::string(font.Style()), font.Size());
	auto found = gScaledFonts.find(key);
	if (found != gScaledFonts.end())
		return found->second;
	cairo_matrix_t size, identity;
	cairo_matrix_init_scale(&size, font.Size(), font.Size());
	cairo_matrix_init_identity(&identity);
	// Whole-pixel metrics keep baselines and line heights on pixel rows.
	cairo_font_options_t* options = cairo_font_options_create();
	cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
	cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
	cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
	cairo_scaled_font_t* scaled = cairo_scaled_font_create(
	    face_for(std::get<0>(key), std::get<1>(key)), &size, &identity, options);
	cairo_font_options_destroy(options);
	gScaledFonts[key] = scaled;
	return scaled;
}

} // namespace BPrivate
