#pragma once
// The UI text table's source: "language.json" of the skin archive, an array (or object) of
// entries {"id": n, "<locale code>": "text", ...}. A skin text token "%{n}" shows the text of
// entry n in the chosen language. The file is untrusted: anything malformed is refused whole,
// with a log line, and the table keeps what it had.
#include <cstdint>
#include <functional>
#include <string>

#include "ui_core/archives/skin_archive.h"

namespace App {

// The largest "language.json" that is read (4 MiB).
constexpr size_t kLanguageFileMaxBytes = 0x400000;

// Receives one text of the chosen language under its id.
using LanguageTextSink = std::function<void(int id, const std::wstring& text)>;

// Parses the file's text and hands every entry's text in `code` to the sink (an entry without
// that code gives an empty text). False, with nothing handed on, when the text is not JSON, is
// neither an array nor an object, or holds an entry that is not an object, an "id" that is not
// an integer, or a text (of any language) that is not a string.
bool ParseLanguageTexts(const std::string& json, const char* code, const LanguageTextSink& sink);

// The language index that a stored code and a requested index give: a known code wins; an
// unknown code keeps the index; without a code an index outside the table becomes 0.
int ResolveLanguageIndex(int index, const std::wstring& code);

// Reads "language.json" from the archive, resolves the index and fills the sink. The result is
// the index used: 0 when the archive has no such entry or the entry is empty, too large or
// unreadable; the resolved index when its text is malformed (nothing filled).
int LoadLanguageTexts(SkinUI::SkinArchiveHandle* archive, int index, const std::wstring& code,
                      const LanguageTextSink& sink);

// The language code stored by an earlier installation: key Language of section Install of
// "config.ini" in its folder ("en-US" when the key is missing). `found` tells whether the file
// exists; without it the result is empty.
std::wstring ReadInstalledLanguageCode(const std::wstring& folder, bool* found);

}  // namespace App
