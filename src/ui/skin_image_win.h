// Skin pictures stored as "IMG_SYS" resources, turned into ready-to-paint pattern brushes.
#pragma once

#include <windows.h>

#include "ui/dpi_rules.h"

namespace sl {

// Decodes picture `id` (PNG or JPEG) with GDI+ into a pattern brush of the whole picture at `dpi`:
// the 1x picture at 96 DPI and below, else its 2x picture resampled once to the scaled size;
// null when the resource is missing or cannot be decoded. GDI+ must have been started.
[[nodiscard]] HBRUSH LoadSkinImage(HMODULE module, int id, int dpi = kBaseDpi);

}  // namespace sl
