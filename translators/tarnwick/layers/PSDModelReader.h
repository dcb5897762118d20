#ifndef PSD_MODEL_READER_H
#define PSD_MODEL_READER_H

#include "PSDModel.h"
#include "PSDModelContext.h"

#include <string>

// Reads the model of the section's records: the group tree, and each
// layer's blending, masks and paths. Damaged blocks leave what they would
// have set at its default. B_ERROR, with the reason, for a layer past the
// context's limits; running out of memory throws std::bad_alloc.
status_t psdReadModel(const PSDModelContext& context, const PSDLayers& records, PSDModel* model,
                      std::string* reason);

#endif
