// Bevel and emboss: the shape raised into a slope (its blurred shape, or its
// distance to the edge for chiseled ones), lit from the light's angle and
// altitude. Facets turned to the light take the highlight, those turned away
// the shadow, and a flat surface neither; each side is an effect of its own.

#include "PSDEffect.h"
#include "PSDEffectSpread.h"

#include <algorithm>
#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

// The slope's height over the area, 0 to 1, before it is blurred.
class PSDBevelHeight final : private PSDBlurSource {
public:
	PSDBevelHeight(PSDLayerShape& shape, const PSDBevelSettings& bevel, double size, double radius)
	    : fShape(shape), fStyle(bevel.style), fSmooth(bevel.smooth), fSize(std::max(size, 1.0)),
	      fBlur(*this, shape.Width(), shape.Height(), radius, kPSDBlurEdgeClamp)
	{
	}

	const float* Row(int32 y) { return fBlur.Row(y - fShape.Area().top); }

private:
	void ReadRow(int32 y, float* row) override
	{
		const int32 width = fShape.Width();
		const int32 canvasY = fShape.Area().top + y;
		if (fSmooth) {
			const float* alpha = fShape.Alpha(canvasY);
			std::copy(alpha, alpha + width, row);
			return;
		}
		// Chiseled: straight up from the edge (inner), up to it (outer), or
		// across it (emboss), a size wide.
		const float* distance = fShape.Distance(canvasY);
		for (int32 x = 0; x < width; x++) {
			const double d = distance[x] / fSize;
			double h;
			switch (fStyle) {
			case PSD_BEVEL_INNER:
				h = -d;
				break;
			case PSD_BEVEL_OUTER:
				h = 1 - d;
				break;
			default:
				h = 0.5 - d;
				break;
			}
			row[x] = (float)std::min(1.0, std::max(0.0, h));
		}
	}

	PSDLayerShape& fShape;
	PSDBevelStyle fStyle;
	bool fSmooth;
	double fSize;
	PSDRollingBlur fBlur;
};

// The settings with the shadow's mode, opacity and colour as the effect's.
PSDEffectSettings shadowSide(const PSDEffectSettings& s)
{
	PSDEffectSettings shadow = s;
	shadow.blendMode = s.bevel.shadow.blendMode;
	shadow.opacity = s.bevel.shadow.opacity;
	shadow.paint = PSDPaintSettings();
	shadow.paint.colour = s.bevel.shadow.colour;
	return shadow;
}

class PSDBevel : public PSDEffect {
public:
	PSDBevel(const PSDEffectSettings& s, const PSDRenderTarget& t, bool shadow)
	    : PSDEffect(shadow ? shadowSide(s) : s, t), fShadow(shadow), fSize(Size(s.size)),
	      fSoften(Size(s.bevel.soften))
	{
		// A smooth slope is the shape blurred as other effects blur, which
		// the corpus's bevels fit best.
		const double sigma = s.bevel.smooth ? psdEffectBlurRadius(fSize) : 0;
		fRadius = std::sqrt(sigma * sigma + fSoften * fSoften);
		const double angle = std::isfinite(s.angle) ? s.angle * kPi / 180 : 0;
		const double altitude = s.bevel.altitude * kPi / 180;
		fLight[0] = std::cos(altitude) * std::cos(angle);
		fLight[1] = -std::cos(altitude) * std::sin(angle);
		fLight[2] = std::sin(altitude);
		// The slope rises by its size at a depth of 100 %; down turns it over.
		fRise = std::max(fSize, 1.0) * s.bevel.depth * (s.bevel.up ? 1 : -1);
	}

	int32 Reach() const override
	{
		if (fSettings.bevel.style == PSD_BEVEL_INNER)
			return 0;
		return psdBlurReach(fRadius) + (int32)std::ceil(fSize) + 2;
	}
	int32 Sight() const override { return psdBlurReach(fRadius) + (int32)std::ceil(fSize) + 2; }
	uint64 HeldBytes(int32 width) const override { return psdBlurHeldBytes(width, fRadius); }
	int32 DistanceRange() const override
	{
		return fSettings.bevel.smooth ? 0 : (int32)std::ceil(fSize) + 2;
	}

	void Looks(PSDRowSpan* alpha, PSDRowSpan* distance) const override
	{
		// Each row's slope needs the heights of the rows on either side.
		PSDRowSpan* read = fSettings.bevel.smooth ? alpha : distance;
		read->Add(-1, 1 + psdBlurReadAhead(fRadius));
		alpha->Add(0, 0);
	}

	void Start(PSDLayerShape& shape) override
	{
		PSDEffect::Start(shape);
		fHeight = std::make_unique<PSDBevelHeight>(shape, fSettings.bevel, fSize, fRadius);
		for (std::vector<float>& row : fRows)
			row.assign((size_t)shape.Width(), 0.0f);
		fRegion.resize((size_t)shape.Width());
	}

	const float* Row(int32 y) override
	{
		const PSDRect& area = fShape->Area();
		const int32 width = fShape->Width();
		// Rows y - 1, y and y + 1 of the height, the edge rows repeated.
		if (!fPrimed) {
			fPrimed = true;
			CopyHeight(area.top, fRows[0]);
			fRows[1] = fRows[0];
			if (area.top + 1 < area.bottom)
				CopyHeight(area.top + 1, fRows[2]);
			else
				fRows[2] = fRows[1];
			fNext = area.top + 2;
		}
		while (fNext <= y + 1) {
			std::swap(fRows[0], fRows[1]);
			std::swap(fRows[1], fRows[2]);
			if (fNext < area.bottom)
				CopyHeight(fNext, fRows[2]);
			else
				fRows[2] = fRows[1];
			fNext++;
		}
		const float* above = fRows[0].data();
		const float* here = fRows[1].data();
		const float* below = fRows[2].data();
		const float* alpha = fShape->Alpha(y);
		const PSDBevelStyle style = fSettings.bevel.style;
		const double flat = fLight[2];
		for (int32 x = 0; x < width; x++) {
			const int32 left = std::max(x - 1, 0), right = std::min(x + 1, width - 1);
			double dx = (here[right] - here[left]) * 0.5 * fRise;
			double dy = (below[x] - above[x]) * 0.5 * fRise;
			// A pillow's slope outside the shape falls back the other way.
			if (style == PSD_BEVEL_PILLOW_EMBOSS) {
				dx *= 2 * alpha[x] - 1;
				dy *= 2 * alpha[x] - 1;
			}
			const double lit =
			    (fLight[2] - dx * fLight[0] - dy * fLight[1]) / std::sqrt(1 + dx * dx + dy * dy);
			double amount;
			if (fShadow)
				amount = flat > 0 ? (flat - lit) / flat : 0;
			else
				amount = flat < 1 ? (lit - flat) / (1 - flat) : 0;
			amount = std::min(1.0, std::max(0.0, amount));
			const float region = style == PSD_BEVEL_INNER   ? alpha[x]
			                     : style == PSD_BEVEL_OUTER ? 1 - alpha[x]
			                                                : 1.0f;
			fRegion[x] = region;
			fCoverage[x] = (float)amount * region;
		}
		return fCoverage.data();
	}

	const float* Region() const override { return fRegion.data(); }

private:
	void CopyHeight(int32 y, std::vector<float>& to)
	{
		const float* row = fHeight->Row(y);
		std::copy(row, row + to.size(), to.begin());
	}

	bool fShadow;
	double fSize;
	double fSoften;
	double fRadius = 0;
	double fRise = 1;
	double fLight[3] = {0, 0, 1};
	std::unique_ptr<PSDBevelHeight> fHeight;
	std::vector<float> fRows[3];
	std::vector<float> fRegion;
	bool fPrimed = false;
	int32 fNext = 0;
};

} // namespace

std::unique_ptr<PSDEffect> psdMakeBevel(const PSDEffectSettings& s, const PSDRenderTarget& t,
                                        bool shadow)
{
	return std::make_unique<PSDBevel>(s, t, shadow);
}
