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
// averaged the same way, so they match a full rendering scaled down. Without
// the field, or when the image fits, the bitmap is the image's own size.
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

#endif
