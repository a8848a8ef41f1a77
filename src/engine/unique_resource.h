#pragma once
// One owner per Win32 resource: a move-only wrapper parameterised by traits that know the
// invalid value and the close call. Business code never closes a handle itself.
#include <windows.h>

namespace Utils {

template <typename Traits>
class UniqueResource {
public:
  using pointer = typename Traits::pointer;

  explicit UniqueResource(pointer p = Traits::invalid()) noexcept : p_(p) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : p_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  pointer get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != Traits::invalid(); }

  pointer release() noexcept {
    pointer p = p_;
    p_ = Traits::invalid();
    return p;
  }

  void reset(pointer p = Traits::invalid()) noexcept {
    if (p_ != Traits::invalid()) Traits::close(p_);
    p_ = p;
  }

  // For APIs that return the resource through an out parameter; closes what is held first.
  pointer* put() noexcept {
    reset();
    return &p_;
  }

private:
  pointer p_;
};

struct HandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// CreateFileW and friends report failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using pointer = HKEY;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct LibraryTraits {
  using pointer = HMODULE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::FreeLibrary(h); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;

}  // namespace Utils

// The agreed names are used unqualified by the rest of the engine as well.
using Utils::UniqueFileHandle;
using Utils::UniqueHandle;
using Utils::UniqueLibrary;
using Utils::UniqueRegKey;
using Utils::UniqueResource;
