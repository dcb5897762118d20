#ifndef TARNWICK_H
#define TARNWICK_H

// The fields of the extension message that Tarnwick's Translate reads and
// writes, for hosts.
//
// TARNWICK_EXT_LAYERS (bool): true renders the document from its layers,
// false reads the merged image as stored. Without the field Tarnwick decides:
// it renders the layers when the file says its merged image is not real
// (saved without "maximize compatibility") or has no merged image at all.
//
// B_TRANSLATOR_EXT_SIZE_BOX (point, TranslatorFormats.h): the bitmap is the
// image area-averaged down to fit the box, read a few rows at a time so that
// memory does not grow with the image; colours are averaged weighted by
// their alpha. Rendered layers are rendered at full size, band by band, and
// averaged the same way, so they match a full rendering scaled down, unless
// that costs more than the work limit (below). Without the field, or when
// the image fits, the bitmap is the image's own size.
//
// TARNWICK_EXT_WORK_LIMIT (int64): the work a rendering of the layers may
// cost, in pixel operations (a layer composited over an area costs that
// area; effects, feathers and groups more). Without the field the limit is
// PSD_DEFAULT_WORK_LIMIT plus 256 operations for every byte of the file, so
// real documents, whose channels fill their files, render whole while a
// small file that asks for vast areas does not. A reduced reading whose
// layers cost more than the limit (or, without the field, more than
// PSD_THUMBNAIL_WORK) renders them at the bitmap's size instead; one that
// would cost more even so, and a full-size reading that would, fail with a
// reason that names the limit.
//
// B_TRANSLATOR_EXT_COLOR_MANAGEMENT (int32, TranslatorFormats.h): grayscale,
// RGB, CMYK and Lab documents come in sRGB, converted through the ICC
// profile they carry (relative colorimetric with black point compensation,
// Photoshop's default); CMYK without one through the system's SWOP profile
// ($TARNWICK_CMYK_PROFILE names another), Lab without any. With
// B_TRANSLATOR_COLOR_KEEP_PROFILE, 8- and 16-bit RGB and grayscale documents
// keep their samples and hand their profile back. Tarnwick answers in
// B_TRANSLATOR_EXT_COLOR_SRGB or B_TRANSLATOR_EXT_COLOR_PROFILE, and says in
// B_TRANSLATOR_EXT_COLOR_NOTE why it ignored a profile. Bitmap, indexed,
// duotone and multichannel documents are read as without the request.
//
// B_TRANSLATOR_EXT_FAILURE_REASON (string, TranslatorFormats.h): written when
// Translate fails, one line saying why.

#define TARNWICK_EXT_LAYERS "psd /layers"
#define TARNWICK_EXT_WORK_LIMIT "psd /work_limit"

#endif
