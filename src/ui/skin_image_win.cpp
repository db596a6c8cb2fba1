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

std::unique_ptr<Gdiplus::Bitmap> Decode(HMODULE module, int id) {
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
  return picture;
}

// The picture at width × height, filtered once here so that painting stays a plain brush fill.
std::unique_ptr<Gdiplus::Bitmap> Resample(Gdiplus::Bitmap& picture, int width, int height) {
  auto scaled = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
  if (scaled->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics graphics(scaled.get());
  graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  // Mirrored at the edges, so the filter pulls no transparent black into the border pixels.
  Gdiplus::ImageAttributes edges;
  edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
  const Gdiplus::Status drawn = graphics.DrawImage(
      &picture, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(picture.GetWidth()),
      static_cast<INT>(picture.GetHeight()), Gdiplus::UnitPixel, &edges);
  return drawn == Gdiplus::Ok ? std::move(scaled) : nullptr;
}

}  // namespace

HBRUSH LoadSkinImage(HMODULE module, int id, int dpi) {
  std::unique_ptr<Gdiplus::Bitmap> picture = Decode(module, SkinImageId(id, dpi));
  if (!picture) return nullptr;
  const int scale = ArtScale(dpi);
  const int width = PictureSide(static_cast<int>(picture->GetWidth()), scale, dpi);
  const int height = PictureSide(static_cast<int>(picture->GetHeight()), scale, dpi);
  if (width != static_cast<int>(picture->GetWidth()) || height != static_cast<int>(picture->GetHeight())) {
    picture = Resample(*picture, width, height);
    if (!picture) return nullptr;
  }

  UniqueBitmap bitmap;
  if (picture->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), bitmap.put()) != Gdiplus::Ok) return nullptr;
  return ::CreatePatternBrush(bitmap.get());  // the brush keeps its own copy of the pattern
}

}  // namespace sl
