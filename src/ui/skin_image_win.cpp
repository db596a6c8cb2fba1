#include "ui/skin_image_win.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <memory>

#include "base/unique_handle_win.h"

namespace sl {
namespace {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};

}  // namespace

HBRUSH LoadSkinImage(HMODULE module, int id) {
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"IMG_SYS");
  if (info == nullptr) return nullptr;
  const DWORD size = ::SizeofResource(module, info);
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (size == 0 || bytes == nullptr) return nullptr;

  // A memory stream over the resource bytes; GDI+ may read it lazily, so it owns its copy.
  std::unique_ptr<IStream, ComRelease> stream(
      ::SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size)));
  if (!stream) return nullptr;

  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return nullptr;

  UniqueBitmap bitmap;
  if (picture->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), bitmap.put()) != Gdiplus::Ok) return nullptr;
  return ::CreatePatternBrush(bitmap.get());  // the brush keeps its own copy of the pattern
}

}  // namespace sl
