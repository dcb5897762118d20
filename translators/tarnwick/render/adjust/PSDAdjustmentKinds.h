#ifndef PSD_ADJUSTMENT_KINDS_H
#define PSD_ADJUSTMENT_KINDS_H

// The readers of each kind of adjustment, from its block's bytes as stored
// (or its descriptor), for the document they apply to. Each gives null when
// its block cannot be read or changes nothing. They may throw bad_alloc;
// psdReadAdjustment catches it.

#include "PSDAdjustment.h"

#include <vector>

class PSDDescriptor;

typedef std::vector<uint8> PSDBlockData;

std::unique_ptr<PSDAdjustment> psdReadLevels(const PSDBlockData& block,
                                             const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadCurves(const PSDBlockData& block,
                                             const PSDRenderTarget& target);
// 'brit' holds the legacy settings; 'CgEd', when there, the current ones.
std::unique_ptr<PSDAdjustment> psdReadBrightnessContrast(const PSDBlockData& block,
                                                         const PSDDescriptor* settings,
                                                         const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadExposure(const PSDBlockData& block,
                                               const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadVibrance(const PSDDescriptor& settings,
                                               const PSDRenderTarget& target);
// 'hue2', or the older 'hue ' of the same layout.
std::unique_ptr<PSDAdjustment> psdReadHueSaturation(const PSDBlockData& block,
                                                    const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadColorBalance(const PSDBlockData& block,
                                                   const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadBlackWhite(const PSDDescriptor& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadPhotoFilter(const PSDBlockData& block,
                                                  const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadChannelMixer(const PSDBlockData& block,
                                                   const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadInvert(const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadPosterize(const PSDBlockData& block,
                                                const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadThreshold(const PSDBlockData& block,
                                                const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadGradientMap(const PSDBlockData& block,
                                                  const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadSelectiveColor(const PSDBlockData& block,
                                                     const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdReadColorLookup(const PSDDescriptor& settings,
                                                  const PSDRenderTarget& target);

#endif
