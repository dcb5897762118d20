#include "PSDPaintReading.h"

#include "PSDPatternTable.h"

#include <core/PSDCore.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>

namespace {

const uint64 kLargestDescriptor = 16 << 20;
// Photoshop's locations and smoothness count in 4096ths.
const double kLocationScale = 4096.0;

double clamp(double value, double low, double high)
{
	return std::min(high, std::max(low, value));
}

// Black (ink 100 %) or white in the document's stored values.
int grayColour(double ink, uint16 mode, float* values)
{
	PSDDescriptor gray;
	PSDDescriptorItem& item = gray.items.emplace_back();
	item.key = "Gry ";
	item.value.type = "doub";
	item.value.number = ink;
	return psdDescriptorColor(gray, mode, values);
}

PSDGradientStop stopAt(const PSDDescriptor& stop)
{
	return {clamp(stop.Number("Lctn", 0) / kLocationScale, 0, 1),
	        stop.Number("Mdpn", 50) / 100,
	        {0, 0, 0, 0}};
}

bool readShape(const std::string& type, PSDGradientShape* shape)
{
	static const struct {
		const char* code;
		PSDGradientShape shape;
	} kShapes[] = {{"Lnr ", PSD_GRADIENT_LINEAR},
	               {"Rdl ", PSD_GRADIENT_RADIAL},
	               {"Angl", PSD_GRADIENT_ANGLE},
	               {"Rflc", PSD_GRADIENT_REFLECTED},
	               {"Dmnd", PSD_GRADIENT_DIAMOND}};
	for (const auto& entry : kShapes) {
		if (type == entry.code) {
			*shape = entry.shape;
			return true;
		}
	}
	return false;
}

} // namespace

bool psdReadDescriptorBlock(const PSDModelContext& context, const PSDLayer& layer, uint32 key,
                            size_t skip, PSDDescriptor* descriptor)
{
	const PSDBlock* block = layer.Block(key);
	std::vector<uint8> data;
	return block != nullptr && psdReadBlock(context.in, *block, &data, kLargestDescriptor) &&
	       data.size() > skip &&
	       psdParseVersionedDescriptor(data.data() + skip, data.size() - skip, descriptor, nullptr,
	                                   context.limits.descriptor);
}

PSDColour psdReadColour(const PSDDescriptor* colour, uint16 mode)
{
	PSDColour read;
	if (colour != nullptr)
		psdDescriptorColor(*colour, mode, read.value);
	return read;
}

bool psdReadGradientStops(const PSDDescriptor& grad, uint16 mode, PSDGradientSettings* gradient)
{
	if (grad.Enum("GrdF", "CstS") != "CstS")
		return false;
	float probe[PSD_GRADIENT_MAX_CHANNELS];
	const int channels = grayColour(0, mode, probe);
	if (channels == 0)
		return false;
	gradient->channels = channels;
	for (const PSDDescriptorValue& element : grad.List("Clrs")) {
		const PSDDescriptor* stop = element.AsDescriptor();
		if (stop == nullptr)
			continue;
		PSDGradientStop s = stopAt(*stop);
		// Stops of the foreground or background colour without a colour of
		// their own take black and white.
		const PSDDescriptor* colour = stop->Child("Clr ");
		if (colour == nullptr || psdDescriptorColor(*colour, mode, s.value) != channels)
			grayColour(stop->Enum("Type") == "BckC" ? 0 : 100, mode, s.value);
		gradient->colours.push_back(s);
	}
	if (gradient->colours.empty())
		return false;
	for (const PSDDescriptorValue& element : grad.List("Trns")) {
		const PSDDescriptor* stop = element.AsDescriptor();
		if (stop == nullptr)
			continue;
		PSDGradientStop s = stopAt(*stop);
		s.value[0] = (float)clamp(stop->Number("Opct", 100) / 100, 0, 1);
		gradient->alphas.push_back(s);
	}
	if (gradient->alphas.empty())
		gradient->alphas.push_back({0, 0.5, {1, 0, 0, 0}});
	gradient->smoothness = grad.Number("Intr", kLocationScale) / kLocationScale;
	return true;
}

bool psdReadGradient(const PSDDescriptor& owner, uint16 mode, PSDGradientSettings* gradient)
{
	*gradient = PSDGradientSettings();
	const PSDDescriptor* grad = owner.Child("Grad");
	if (grad == nullptr || !psdReadGradientStops(*grad, mode, gradient) ||
	    !readShape(owner.Enum("Type", "Lnr "), &gradient->shape))
		return false;
	// Newer files name how the colour blends; "Linear" means in linear light,
	// which only RGB and grayscale values have.
	gradient->linearLight = owner.Enum("gradientsInterpolationMethod") == "Lnr " &&
	                        (mode == PSD_MODE_RGB || mode == PSD_MODE_GRAYSCALE);
	gradient->angle = owner.Number("Angl", 90);
	gradient->scale = owner.Number("Scl ", 100) / 100;
	if (const PSDDescriptor* offset = owner.Child("Ofst")) {
		gradient->offsetX = offset->Number("Hrzn", 0) / 100;
		gradient->offsetY = offset->Number("Vrtc", 0) / 100;
	}
	gradient->reverse = owner.Bool("Rvrs", false);
	gradient->alignWithLayer = owner.Bool("Algn", true);
	return true;
}

bool psdReadPatternPaint(const PSDDescriptor& owner, PSDPatternTable& patterns,
                         PSDPatternSettings* pattern)
{
	*pattern = PSDPatternSettings();
	const PSDDescriptor* which = owner.Child("Ptrn");
	if (which == nullptr)
		return false;
	pattern->id = psdPatternID(which->String("Idnt"));
	pattern->pattern = patterns.Find(pattern->id);
	if (!pattern->pattern)
		return false;
	pattern->scale = clamp(owner.Number("Scl ", 100) / 100, 0.01, 100);
	if (const PSDDescriptor* phase = owner.Child("phase")) {
		pattern->phaseX = phase->Number("Hrzn", 0);
		pattern->phaseY = phase->Number("Vrtc", 0);
	}
	pattern->alignWithLayer = owner.Bool("Algn", true);
	return true;
}
