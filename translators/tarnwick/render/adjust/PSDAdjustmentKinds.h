#ifndef PSD_ADJUSTMENT_KINDS_H
#define PSD_ADJUSTMENT_KINDS_H

// The transform of each kind of adjustment, from its settings, for the
// document it applies to. Each gives null when the kind does not apply to
// the document's colour mode or changes nothing.

#include "PSDAdjustment.h"

#include <layers/adjustments/PSDAdjustmentSettings.h>

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDLevelsSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDCurvesSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDBrightnessContrastSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDExposureSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDVibranceSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDHueSaturationSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDColorBalanceSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDBlackWhiteSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDPhotoFilterSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDChannelMixerSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDInvertSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDPosterizeSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDThresholdSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDGradientMapSettings& settings,
                                                 const PSDRenderTarget& target);
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDSelectiveColorSettings& settings,
                                                 const PSDRenderTarget& target);
// The table is read when the adjustment is made, and held while it lives.
std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDColorLookupSettings& settings,
                                                 const PSDRenderTarget& target,
                                                 PSDRenderSource& source);

#endif
