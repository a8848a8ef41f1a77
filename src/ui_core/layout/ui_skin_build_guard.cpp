#include "ui_core/layout/ui_skin_build_guard.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/log.h"
#include "ui_core/layout/ui_skin_builder.h"

namespace SkinUI {
namespace {

struct BuildState {
  std::vector<std::wstring> files;  // keys of the files being built, outermost first
  int active = 0;                   // scopes open
  int nestedBuilds = 0;             // since the outermost scope opened
  int controls = 0;
  int depth = 0;
  bool depthLogged = false;
  bool controlsLogged = false;
};

BuildState& State() {
  thread_local BuildState state;
  return state;
}

// Skin files are looked up without regard to case and with either slash.
std::wstring FileKey(const wchar_t* name) {
  std::wstring key(name);
  std::replace(key.begin(), key.end(), L'/', L'\\');
  if (!key.empty()) ::CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

}  // namespace

CSkinBuildScopeUI::CSkinBuildScopeUI(Kind kind, const wchar_t* fileKey) {
  BuildState& state = State();
  if (state.active == 0) {
    state.nestedBuilds = 0;
    state.controls = 0;
    state.depth = 0;
    state.depthLogged = false;
    state.controlsLogged = false;
  }
  const bool nested = state.active > 0;
  ++state.active;
  if (kind != Kind::File) return;
  if (nested && ++state.nestedBuilds > kSkinMaxNestedBuilds) {
    UTILS_LOG(L"skin build refused: more than %d nested builds (%ls)\r\n", kSkinMaxNestedBuilds,
              fileKey != nullptr ? fileKey : L"text");
    allowed_ = false;
    return;
  }
  if (fileKey == nullptr) return;
  std::wstring key = FileKey(fileKey);
  if (std::find(state.files.begin(), state.files.end(), key) != state.files.end()) {
    UTILS_LOG(L"skin build refused: %ls is already being built\r\n", fileKey);
    allowed_ = false;
    return;
  }
  if (state.files.size() >= static_cast<size_t>(kSkinMaxNestedFiles)) {
    UTILS_LOG(L"skin build refused: %ls nests more than %d files deep\r\n", fileKey,
              kSkinMaxNestedFiles);
    allowed_ = false;
    return;
  }
  state.files.push_back(std::move(key));
  pushed_ = true;
}

CSkinBuildScopeUI::~CSkinBuildScopeUI() {
  BuildState& state = State();
  if (pushed_) state.files.pop_back();
  --state.active;
}

CSkinBuildLevelUI::CSkinBuildLevelUI() {
  BuildState& state = State();
  ++state.depth;
  allowed_ = state.depth <= kSkinMaxDepth;
  if (!allowed_ && !state.depthLogged) {
    state.depthLogged = true;
    UTILS_LOG(L"skin elements nested more than %d deep are skipped\r\n", kSkinMaxDepth);
  }
}

CSkinBuildLevelUI::~CSkinBuildLevelUI() { --State().depth; }

bool SkinBuildTakeControl() {
  BuildState& state = State();
  if (state.controls >= kSkinMaxControls) {
    if (!state.controlsLogged) {
      state.controlsLogged = true;
      UTILS_LOG(L"skin build stopped: more than %d controls\r\n", kSkinMaxControls);
    }
    return false;
  }
  ++state.controls;
  return true;
}

}  // namespace SkinUI
