#pragma once
// What keeps an untrusted skin from making the builder run without end: the stack of skin files
// being built (a file that includes itself, directly or through others, is refused), how many
// Include and child-layout builds and how many controls one build may make, and how deep
// elements nest across included files. Builds start one another only from inside a running
// build on the same thread, so the state is per thread; it is reset when the outermost build
// starts.
namespace SkinUI {

class CSkinBuildScopeUI {
public:
  enum class Kind {
    File,      // a file, a resource or an XML text about to be loaded and built
    Document,  // the building of a document already loaded
  };
  // fileKey names the file or resource (null for XML text). A File scope opened inside a running
  // build counts as one nested build.
  CSkinBuildScopeUI(Kind kind, const wchar_t* fileKey);
  ~CSkinBuildScopeUI();
  CSkinBuildScopeUI(const CSkinBuildScopeUI&) = delete;
  CSkinBuildScopeUI& operator=(const CSkinBuildScopeUI&) = delete;

  // False when the file is already being built, files nest too deeply, or the running build has
  // made too many nested builds; the reason is logged.
  bool IsAllowed() const { return allowed_; }

private:
  bool allowed_ = true;
  bool pushed_ = false;
};

// One element level deeper for the life of the object.
class CSkinBuildLevelUI {
public:
  CSkinBuildLevelUI();
  ~CSkinBuildLevelUI();
  CSkinBuildLevelUI(const CSkinBuildLevelUI&) = delete;
  CSkinBuildLevelUI& operator=(const CSkinBuildLevelUI&) = delete;

  // False beyond the nesting limit (logged once per build).
  bool IsAllowed() const { return allowed_; }

private:
  bool allowed_;
};

// Takes one control from the budget of the running build; false when it is spent (logged once
// per build).
bool SkinBuildTakeControl();

}  // namespace SkinUI
