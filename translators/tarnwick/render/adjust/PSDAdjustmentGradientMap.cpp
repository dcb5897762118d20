// Gradient map: each pixel's luminosity picks its colour from a gradient,
// black end first (or reversed). The gradient's transparency plays no part.

#include "PSDAdjustmentColor.h"
#include "PSDAdjustmentKinds.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>
#include <render/paint/PSDGradient.h>

#include <layers/PSDDescriptor.h>

#include <algorithm>

namespace {

// Photoshop keeps far fewer; more is no gradient of its.
const uint16 kMostStops = 1024;

class GradientMap : public PSDAdjustment {
public:
	GradientMap(PSDGradient gradient, int colours, bool reversed)
	    : fGradient(std::move(gradient)), fColours(colours), fReversed(reversed)
	{
	}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			float rgb[3];
			psdPixelRGB(colour, fColours, i, rgb);
			double t = std::min(1.0f, std::max(0.0f, psdLuminosity(rgb[0], rgb[1], rgb[2])));
			if (fReversed)
				t = 1 - t;
			float value[PSD_GRADIENT_MAX_CHANNELS], alpha;
			fGradient.Evaluate(t, value, &alpha);
			for (int c = 0; c < fColours; c++)
				colour[c][i] = value[c];
		}
	}

private:
	PSDGradient fGradient;
	int fColours;
	bool fReversed;
};

// A colour stop as the descriptor that gradient fills hold.
bool readStop(PSDAdjustmentBytes& bytes, PSDDescriptorValue* stop)
{
	stop->type = "Objc";
	stop->descriptor.reset(new PSDDescriptor);
	PSDDescriptor& descriptor = *stop->descriptor;
	psdAddNumber(&descriptor, "Lctn", bytes.Big32());
	psdAddNumber(&descriptor, "Mdpn", bytes.Big32());
	descriptor.items.emplace_back();
	descriptor.items.back().key = "Clr ";
	PSDDescriptorValue& colour = descriptor.items.back().value;
	colour.type = "Objc";
	colour.descriptor.reset(new PSDDescriptor);
	const bool known = psdReadColorStructure(bytes, colour.descriptor.get());
	bytes.Big16();
	return known && !bytes.Failed();
}

} // namespace

std::unique_ptr<PSDAdjustment> psdReadGradientMap(const PSDBlockData& block,
                                                  const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	const uint16 version = bytes.Big16();
	const bool reversed = bytes.Uint8() != 0;
	bytes.Uint8(); // dithered
	bool linear = false;
	if (version >= 3)
		linear = bytes.Big32() == psdKey("Lnr ");
	const uint32 nameLength = bytes.Big32();
	if (nameLength > bytes.Left() / 2)
		return nullptr;
	bytes.Skip(nameLength * 2);

	PSDDescriptor gradient;
	gradient.items.emplace_back();
	gradient.items.back().key = "Clrs";
	PSDDescriptorValue& stops = gradient.items.back().value;
	stops.type = "VlLs";
	const uint16 count = bytes.Big16();
	if (count > kMostStops || count * 20u > bytes.Left())
		return nullptr;
	stops.list.resize(count);
	for (PSDDescriptorValue& stop : stops.list) {
		if (!readStop(bytes, &stop))
			return nullptr;
	}
	const uint16 transparencyStops = bytes.Big16();
	if (transparencyStops * 10u > bytes.Left())
		return nullptr;
	bytes.Skip(transparencyStops * 10u);
	bytes.Big16(); // expansion count
	psdAddNumber(&gradient, "Intr", bytes.Big16());
	PSDGradient colours;
	if (bytes.Failed() || !colours.SetFromDescriptor(gradient, target.mode, linear) ||
	    colours.Channels() != target.colours)
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(
	    new GradientMap(std::move(colours), target.colours, reversed));
}
