#ifndef TARNWICK_VERSION_H
#define TARNWICK_VERSION_H

#include <SupportDefs.h>

// Version times 100: exported as translatorVersion and printed as 1.00 by the
// settings file and the configuration view.
static const int32 kTarnwickVersion = 100;

#endif
