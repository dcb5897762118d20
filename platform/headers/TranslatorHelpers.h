#ifndef _TRANSLATOR_HELPERS_H
#define _TRANSLATOR_HELPERS_H

// What add-ons and hosts would otherwise each write for themselves.

#include <TranslationDefs.h>
#include <TranslatorRoster.h>

#include <string>
#include <vector>

namespace BPrivate {

// An add-on's Identify answer from one of its own format rows; the roster
// fills in the translator.
void fill_translator_info(const translation_format& format, translator_info* info);

// The add-on's name for messages; "?" for an id the roster does not know.
std::string translator_name(const BTranslatorRoster& roster, translator_id id);

// Every loaded add-on's name, in load order.
std::vector<std::string> translator_names(const BTranslatorRoster& roster);

// "a, b, c".
std::string joined(const std::vector<std::string>& items);

// Why an add-on's Translate failed, in words that follow its name ("ran out
// of memory"); input says what it was given ("file", "image"). Empty for a
// status that tells no more than that it failed.
std::string translate_status_text(status_t status, const char* input);

} // namespace BPrivate

#endif
