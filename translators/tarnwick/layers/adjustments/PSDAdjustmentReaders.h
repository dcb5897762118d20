#ifndef PSD_ADJUSTMENT_READERS_H
#define PSD_ADJUSTMENT_READERS_H

// The readers of each kind of adjustment, from its block's bytes as stored
// (or its descriptor). Each gives nothing when its block cannot be read.

#include "PSDAdjustmentSettings.h"

#include <optional>
#include <vector>

class PSDAdjustmentBytes;
class PSDDescriptor;

typedef std::vector<uint8> PSDBlockData;

std::optional<PSDLevelsSettings> psdReadLevels(const PSDBlockData& block);
std::optional<PSDCurvesSettings> psdReadCurves(const PSDBlockData& block);
// 'brit' holds the legacy settings; 'CgEd', when there, the current ones.
std::optional<PSDBrightnessContrastSettings>
psdReadBrightnessContrast(const PSDBlockData& block, const PSDDescriptor* current);
std::optional<PSDExposureSettings> psdReadExposure(const PSDBlockData& block);
std::optional<PSDPosterizeSettings> psdReadPosterize(const PSDBlockData& block);
std::optional<PSDThresholdSettings> psdReadThreshold(const PSDBlockData& block);

// 'hue2', or the older 'hue ' of the same layout.
std::optional<PSDHueSaturationSettings> psdReadHueSaturation(const PSDBlockData& block);
std::optional<PSDColorBalanceSettings> psdReadColorBalance(const PSDBlockData& block);
std::optional<PSDPhotoFilterSettings> psdReadPhotoFilter(const PSDBlockData& block);
std::optional<PSDChannelMixerSettings> psdReadChannelMixer(const PSDBlockData& block);
std::optional<PSDSelectiveColorSettings> psdReadSelectiveColor(const PSDBlockData& block);
// Its colours in the stored values of a document of this mode.
std::optional<PSDGradientMapSettings> psdReadGradientMap(const PSDBlockData& block, uint16 mode);

std::optional<PSDVibranceSettings> psdReadVibrance(const PSDDescriptor& settings);
std::optional<PSDBlackWhiteSettings> psdReadBlackWhite(const PSDDescriptor& settings);
// Walks the block through the stream, past the table it locates.
std::optional<PSDColorLookupSettings> psdReadColorLookup(BPositionIO* in, const PSDBlock& block);

// Photoshop's colour structure (a colour space and four 16-bit components)
// in the stored values of a document of this mode, as psdDescriptorColor
// gives them: the number of values, 0 for spaces it has no conversion of.
int psdReadColorStructure(PSDAdjustmentBytes& bytes, uint16 mode, float* stored);

#endif
