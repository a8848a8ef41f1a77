#include "app/language_table.h"

#include <windows.h>

#include <json/json.h>

#include <memory>
#include <utility>
#include <vector>

#include "app/language_codes.h"
#include "app/install_folders.h"
#include "base/log.h"
#include "base/string_utils.h"

namespace App {
namespace {

// Entries are checked whole before any text is handed on, so that a file that is wrong
// half-way changes nothing.
bool CollectEntries(const Json::Value& root, const char* code,
                    std::vector<std::pair<int, std::string>>* entries) {
  if (!root.isArray() && !root.isObject()) {
    UTILS_LOG(L"language.json is neither an array nor an object\r\n");
    return false;
  }
  for (Json::Value::const_iterator it = root.begin(); it != root.end(); ++it) {
    const Json::Value& entry = *it;
    if (!entry.isObject()) {
      UTILS_LOG(L"language.json: an entry is not an object\r\n");
      return false;
    }
    const Json::Value& id = entry["id"];
    if (!id.isInt()) {
      UTILS_LOG(L"language.json: an entry's id is not an integer\r\n");
      return false;
    }
    for (const std::string& member : entry.getMemberNames()) {
      if (member != "id" && !entry[member].isString()) {
        UTILS_LOG(L"language.json: the %ls text of id %d is not a string\r\n",
                  Utils::MultiByteToWide(member.c_str(), CP_UTF8).c_str(), id.asInt());
        return false;
      }
    }
    const Json::Value& text = entry[code];
    entries->emplace_back(id.asInt(), text.isString() ? text.asString() : std::string());
  }
  return true;
}

}  // namespace

bool ParseLanguageTexts(const std::string& json, const char* code, const LanguageTextSink& sink) {
  std::vector<std::pair<int, std::string>> entries;
  try {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = 64;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(json.data(), json.data() + json.size(), &root, &errors)) {
      UTILS_LOG(L"language.json is not JSON: %ls\r\n",
                Utils::MultiByteToWide(errors.c_str(), CP_UTF8).c_str());
      return false;
    }
    if (!CollectEntries(root, code, &entries)) return false;
  } catch (const std::exception& e) {
    UTILS_LOG(L"language.json refused: %ls\r\n", Utils::MultiByteToWide(e.what(), CP_ACP).c_str());
    return false;
  }
  for (const auto& entry : entries) {
    sink(entry.first, Utils::MultiByteToWide(entry.second.c_str(), CP_UTF8));
  }
  return true;
}

int ResolveLanguageIndex(int index, const std::wstring& code) {
  if (!code.empty()) {
    const int known = LanguageIndexOfCode(Utils::WideToMultiByte(code.c_str(), CP_ACP));
    return known >= 0 ? known : index;
  }
  return LocaleCode(index) != nullptr ? index : 0;
}

int LoadLanguageTexts(SkinUI::SkinArchiveHandle* archive, int index, const std::wstring& code,
                      const LanguageTextSink& sink) {
  std::vector<uint8_t> bytes;
  const SkinUI::SkinItemRead read =
      SkinUI::SkinArchiveReadItem(archive, L"language.json", kLanguageFileMaxBytes, &bytes);
  if (read != SkinUI::SkinItemRead::Ok) {
    if (read != SkinUI::SkinItemRead::NotFound) {
      UTILS_LOG(L"language.json is empty, too large or unreadable\r\n");
    }
    return 0;
  }
  const int used = ResolveLanguageIndex(index, code);
  // An index that the table does not know (a code that no entry has) reads no texts.
  const char* usedCode = LocaleCodeNarrow(used);
  if (usedCode == nullptr) return used;
  ParseLanguageTexts(std::string(bytes.begin(), bytes.end()), usedCode, sink);
  return used;
}

std::wstring ReadInstalledLanguageCode(const std::wstring& folder, bool* found) {
  const std::wstring configIni = JoinPath(folder, L"config.ini");
  *found = !configIni.empty() && PathExists(configIni);
  if (!*found) return std::wstring();
  wchar_t code[MAX_PATH] = L"";
  ::GetPrivateProfileStringW(L"Install", L"Language", L"en-US", code, MAX_PATH,
                             configIni.c_str());
  return code;
}

}  // namespace App
