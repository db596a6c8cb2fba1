// Skin pictures stored as "IMG_SYS" resources, turned into ready-to-paint pattern brushes.
#pragma once

#include <windows.h>

namespace sl {

// Decodes picture `id` (PNG or JPEG) with GDI+ into a pattern brush of the whole picture;
// null when the resource is missing or cannot be decoded. GDI+ must have been started.
[[nodiscard]] HBRUSH LoadSkinImage(HMODULE module, int id);

}  // namespace sl
