#pragma once
// One owner per Win32 resource: a move-only wrapper parameterised by traits that know the
// invalid value and the close call. Business code never closes a handle itself. Every kind of
// resource the project holds has its traits here, so that no layer writes its own.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <utility>

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

// --- kernel, files, registry, modules ---------------------------------------------------------

struct HandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// CreateFileW, CreateToolhelp32Snapshot and friends report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::FindClose(h); }
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

// Memory that a system call allocated with LocalAlloc (CommandLineToArgvW, FormatMessageW ...).
template <typename T>
struct LocalMemoryTraits {
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { ::LocalFree(reinterpret_cast<HLOCAL>(p)); }
};

struct CFileTraits {
  using pointer = FILE*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer f) noexcept { std::fclose(f); }
};

struct SocketTraits {
  using pointer = SOCKET;
  static pointer invalid() noexcept { return INVALID_SOCKET; }
  static void close(pointer s) noexcept { ::closesocket(s); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;
using UniqueCFile = UniqueResource<CFileTraits>;
using UniqueSocket = UniqueResource<SocketTraits>;
template <typename T>
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits<T>>;

// --- GDI and USER ----------------------------------------------------------------------------

template <typename T>
struct GdiObjectTraits {
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteObject(h); }
};

// A DC made by CreateCompatibleDC or CreateDC.
struct MemoryDCTraits {
  using pointer = HDC;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteDC(h); }
};

struct IconTraits {
  using pointer = HICON;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

struct WindowTraits {
  using pointer = HWND;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyWindow(h); }
};

// An accelerator table made by CreateAcceleratorTableW.
struct AcceleratorTableTraits {
  using pointer = HACCEL;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyAcceleratorTable(h); }
};

using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniquePen = UniqueResource<GdiObjectTraits<HPEN>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueRegion = UniqueResource<GdiObjectTraits<HRGN>>;
using UniqueMemoryDC = UniqueResource<MemoryDCTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueAcceleratorTable = UniqueResource<AcceleratorTableTraits>;

// A window's DC from GetDC, released to that window.
class UniqueWindowDC {
public:
  UniqueWindowDC() noexcept = default;
  explicit UniqueWindowDC(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
  ~UniqueWindowDC() { reset(); }
  UniqueWindowDC(const UniqueWindowDC&) = delete;
  UniqueWindowDC& operator=(const UniqueWindowDC&) = delete;
  UniqueWindowDC(UniqueWindowDC&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  UniqueWindowDC& operator=(UniqueWindowDC&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = std::exchange(other.window_, nullptr);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }

  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }
  void reset() noexcept {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    dc_ = nullptr;
    window_ = nullptr;
  }

private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects an object into a DC for the life of the scope and puts the old one back.
class ScopedSelectObject {
public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc), old_(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelectObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// SaveDC for the life of the scope.
class ScopedSaveDC {
public:
  explicit ScopedSaveDC(HDC dc) noexcept : dc_(dc), saved_(dc != nullptr ? ::SaveDC(dc) : 0) {}
  ~ScopedSaveDC() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

private:
  HDC dc_;
  int saved_;
};

// --- COM ---------------------------------------------------------------------------------------

// An owned interface pointer: Release on reset, AddRef on copy.
template <typename T>
class ComPtr {
public:
  ComPtr() noexcept = default;
  explicit ComPtr(T* p) noexcept : p_(p) {}  // takes over one reference
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~ComPtr() { reset(); }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  T* release() noexcept { return std::exchange(p_, nullptr); }
  void reset(T* p = nullptr) noexcept {
    if (p_ != nullptr) p_->Release();
    p_ = p;
  }
  // For APIs that hand out a new reference through an out parameter.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // QueryInterface into another owned pointer; empty on failure.
  template <typename U>
  ComPtr<U> As(REFIID iid) const noexcept {
    ComPtr<U> result;
    if (p_ != nullptr) p_->QueryInterface(iid, result.put_void());
    return result;
  }

private:
  T* p_ = nullptr;
};

// Memory from CoTaskMemAlloc (strings and blocks that COM calls hand out).
template <typename T>
struct CoTaskMemTraits {
  using pointer = T;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { ::CoTaskMemFree(p); }
};
template <typename T>
using UniqueCoTaskMem = UniqueResource<CoTaskMemTraits<T>>;

}  // namespace Utils
