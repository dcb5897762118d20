#ifndef _CONTROL_LOOK_H
#define _CONTROL_LOOK_H

#include <GraphicsDefs.h>

// The colours the controls share.
namespace BPrivate {

const rgb_color kControlText = {0, 0, 0, 255};
const rgb_color kControlFrame = {110, 110, 110, 255};
const rgb_color kControlFill = {255, 255, 255, 255};
const rgb_color kControlPressedFill = {200, 200, 200, 255};
const rgb_color kControlMark = {40, 40, 40, 255};
const rgb_color kEtchShadow = {150, 150, 150, 255};
const rgb_color kEtchLight = {255, 255, 255, 255};

} // namespace BPrivate

#endif
