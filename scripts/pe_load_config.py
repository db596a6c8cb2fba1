#!/usr/bin/env python3
"""Points the image's load-configuration directory at its _load_config_used structure.

GNU ld 2.40 links the structure but leaves the directory empty, so the loader would never
see the DependentLoadFlags that keep DLL resolution inside System32."""
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from pe_image import LOAD_CONFIG_DIRECTORY, PeImage  # noqa: E402


def main(path):
    data = bytearray(Path(path).read_bytes())
    image = PeImage(data)
    rva = image.symbol_rva("_load_config_used")
    (size,) = struct.unpack_from("<I", data, image.offset_of(rva))
    image.set_directory(LOAD_CONFIG_DIRECTORY, rva, size)
    Path(path).write_bytes(data)


if __name__ == "__main__":
    main(sys.argv[1])
