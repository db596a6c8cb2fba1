#!/usr/bin/env python3
"""Checks that the built executable cannot be made to load a DLL planted beside it.

The loader resolves static imports with the image's DependentLoadFlags; with
LOAD_LIBRARY_SEARCH_SYSTEM32 every import that is not a KnownDLL comes from System32."""
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
from pe_image import LOAD_CONFIG_DIRECTORY, PeImage  # noqa: E402

LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
DEPENDENT_LOAD_FLAGS_OFFSET = 0x4E  # IMAGE_LOAD_CONFIG_DIRECTORY64
# Windows' KnownDLLs: always mapped from System32, whatever the search order.
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "ws2_32.dll", "rpcrt4.dll",
              "combase.dll", "psapi.dll", "setupapi.dll", "imm32.dll", "sechost.dll"}
FORBIDDEN_RUNTIME_DLLS = ("libstdc++", "libgcc", "libwinpthread")


def main(path):
    image = PeImage(bytearray(Path(path).read_bytes()))
    failures = []

    rva, size = image.directory(LOAD_CONFIG_DIRECTORY)
    if rva == 0 or size < DEPENDENT_LOAD_FLAGS_OFFSET + 2:
        failures.append(f"load configuration directory missing or too small (rva={rva:#x} size={size})")
    else:
        at = image.offset_of(rva)
        (declared,) = struct.unpack_from("<I", image.data, at)
        (flags,) = struct.unpack_from("<H", image.data, at + DEPENDENT_LOAD_FLAGS_OFFSET)
        if declared != size:
            failures.append(f"load configuration size {declared} differs from its directory size {size}")
        if flags != LOAD_LIBRARY_SEARCH_SYSTEM32:
            failures.append(f"DependentLoadFlags is {flags:#x}, expected {LOAD_LIBRARY_SEARCH_SYSTEM32:#x}")

    dlls = [name.lower() for name in image.imported_dlls()]
    failures += [f"imports a non-system runtime DLL: {d}" for d in dlls if d.startswith(FORBIDDEN_RUNTIME_DLLS)]
    exposed = sorted(set(dlls) - KNOWN_DLLS)
    print(f"imports: {', '.join(sorted(dlls))}")
    print(f"protected only by DependentLoadFlags: {', '.join(exposed) or 'none'}")

    for failure in failures:
        print(f"FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
