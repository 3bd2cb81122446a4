#pragma once
// Owning wrappers for the system's handles: each releases its handle once,
// with the one call that releases that kind, when it goes or is replaced.
// Device contexts hold the objects selected into them: `ContextSelections`
// puts a context's own objects back first, so that ours can then go.

#include <windows.h>

#include <utility>
#include <vector>

namespace ris {

template <typename Handle, auto Release>
class Owned {
 public:
  Owned() noexcept = default;
  explicit Owned(Handle handle) noexcept : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(other.Take()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

  // Releases the handle held, if any, and holds `handle` instead.
  void Reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }

  // Gives the handle up without releasing it.
  Handle Take() noexcept { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

namespace owned_handle {
inline void CloseGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void CloseMemoryDc(HDC dc) noexcept { DeleteDC(dc); }
inline void CloseKernelObject(HANDLE object) noexcept { CloseHandle(object); }
inline void CloseRegistryKey(HKEY key) noexcept { RegCloseKey(key); }
inline void CloseLibrary(HMODULE module) noexcept { FreeLibrary(module); }
inline void CloseEnhancedMetafile(HENHMETAFILE metafile) noexcept { DeleteEnhMetaFile(metafile); }
inline void CloseWindowHandle(HWND window) noexcept { DestroyWindow(window); }
inline void ClosePowerNotify(HPOWERNOTIFY notify) noexcept { UnregisterPowerSettingNotification(notify); }
}  // namespace owned_handle

// A window's registration for a power setting's notifications.
using OwnedPowerNotify = Owned<HPOWERNOTIFY, &owned_handle::ClosePowerNotify>;

// Fonts, bitmaps, brushes.
template <typename Object>
using OwnedGdiObject = Owned<Object, &owned_handle::CloseGdiObject>;
// A context of CreateCompatibleDC; a window's context is a WindowDc.
using OwnedMemoryDc = Owned<HDC, &owned_handle::CloseMemoryDc>;
// Mutexes and files. CreateFile answers INVALID_HANDLE_VALUE, not null, when
// it fails: that answer is never held.
using OwnedKernelObject = Owned<HANDLE, &owned_handle::CloseKernelObject>;
using OwnedRegistryKey = Owned<HKEY, &owned_handle::CloseRegistryKey>;
using OwnedLibrary = Owned<HMODULE, &owned_handle::CloseLibrary>;
using OwnedEnhancedMetafile = Owned<HENHMETAFILE, &owned_handle::CloseEnhancedMetafile>;
// A window with no procedure of ours (Win32Window is the base of those).
using OwnedWindow = Owned<HWND, &owned_handle::CloseWindowHandle>;

// A window's device context, given back to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Objects selected into a context; the context's own object of each kind
// goes back in when the selections end. Declared after the objects it
// selects, it ends before them.
class ContextSelections {
 public:
  explicit ContextSelections(HDC dc) noexcept : dc_(dc) {}
  ~ContextSelections() {
    for (auto original = originals_.rbegin(); original != originals_.rend(); ++original) {
      SelectObject(dc_, *original);
    }
  }
  ContextSelections(const ContextSelections&) = delete;
  ContextSelections& operator=(const ContextSelections&) = delete;

  // False when the context refused the object.
  bool Select(HGDIOBJ object) {
    const HGDIOBJ previous = SelectObject(dc_, object);
    if (previous == nullptr || previous == HGDI_ERROR) return false;
    const DWORD kind = GetObjectType(object);
    for (HGDIOBJ original : originals_) {
      if (GetObjectType(original) == kind) return true;
    }
    originals_.push_back(previous);
    return true;
  }

 private:
  HDC dc_;
  std::vector<HGDIOBJ> originals_;  // the context's own, one of each kind
};

}  // namespace ris
