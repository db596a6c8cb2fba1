#!/usr/bin/env python3
"""Writes a release chain the way the download server publishes it.

Under <root>: "autoreal/version.ini", "patch/SL_Full_<n>.ini" and "patch/SL_Patch_<n>.ini" (one
"url,md5,size" line per file, the setup program first), and the files themselves under
<root>/<files>/. The full release carries the game's patcher beside its setup program, so the full
install puts it in place. Data files are pseudo-random and the same for the same name and size.

Used by the whole-program tests' scenarios, the demo and the benchmarks; as a command:
  release_tree.py <root> <base-url> --setup EXE --patcher EXE --full N [--patches N,N...]
                  [--minimal N] [--data-files K] [--data-size BYTES]
"""
import argparse
import hashlib
import os
import random
import shutil

CHUNK = 1 << 20


def pattern_block():
    """One period of the fault server's body pattern, byte(i) = (i * 131 + 7) % 251."""
    return bytes((i * 131 + 7) % 251 for i in range(251))


def pattern_md5(size):
    """MD5 of the first <size> bytes of the fault server's body pattern."""
    block = pattern_block() * (CHUNK // 251 + 1)
    step = 251 * (CHUNK // 251)
    digest = hashlib.md5()
    for offset in range(0, size, step):
        digest.update(block[: min(step, size - offset)])
    return digest.hexdigest()


def file_md5(path):
    digest = hashlib.md5()
    with open(path, "rb") as f:
        while chunk := f.read(CHUNK):
            digest.update(chunk)
    return digest.hexdigest()


def write_data_file(path, size):
    """Pseudo-random bytes seeded by the file name; kept when it already has that size."""
    if os.path.isfile(path) and os.path.getsize(path) == size:
        return
    generator = random.Random(os.path.basename(path))
    with open(path, "wb") as f:
        for offset in range(0, size, CHUNK):
            f.write(generator.randbytes(min(CHUNK, size - offset)))


def copy_file(source, target):
    if not (os.path.isfile(target) and file_md5(target) == file_md5(source)):
        shutil.copyfile(source, target)


class Entry:
    """One line of a file list: a file published under <root>/<files>, or any other URL."""

    def __init__(self, url, md5, size):
        self.url, self.md5, self.size = url, md5, size

    def line(self):
        return f"{self.url},{self.md5},{self.size}"


class ReleaseTree:
    """query, when given, is added to every file's URL in the lists ("?v=2")."""

    def __init__(self, root, base_url, files="files", query=""):
        self.root, self.base_url, self.files, self.query = root, base_url.rstrip("/"), files, query
        for folder in ("autoreal", "patch", files):
            os.makedirs(os.path.join(root, folder), exist_ok=True)

    def path(self, name):
        return os.path.join(self.root, self.files, name)

    def url(self, name):
        return f"{self.base_url}/{self.files}/{name}{self.query}"

    def published(self, name, md5=None):
        """The entry of a file already in the files folder; md5 "" lists none, any text lists that."""
        path = self.path(name)
        return Entry(self.url(name), file_md5(path) if md5 is None else md5, os.path.getsize(path))

    def program(self, source, name):
        copy_file(source, self.path(name))
        return self.published(name)

    def data(self, name, size):
        write_data_file(self.path(name), size)
        return self.published(name)

    def write_list(self, kind, number, entries):
        self._write(os.path.join("patch", f"SL_{kind}_{number}.ini"), "".join(e.line() + "\n" for e in entries))

    def write_version(self, latest, minimal):
        self._write(os.path.join("autoreal", "version.ini"), f"LatestVersion={latest}\nMinimalVersion={minimal}\n")

    def _write(self, relative, text):
        with open(os.path.join(self.root, relative), "w", newline="\n") as f:
            f.write(text)


def publish_chain(tree, setup, patcher, full, patches=(), minimal=None, data_files=2, data_size=64 * 1024):
    """A full release <full> (setup program, patcher, data files) and one patch release per number."""
    entries = [tree.program(setup, f"SL_Full_{full}.exe"), tree.program(patcher, "patcher_sl2.exe")]
    entries += [tree.data(f"game_{full}_{k}.pak", data_size) for k in range(data_files)]
    tree.write_list("Full", full, entries)
    for number in patches:
        tree.write_list("Patch", number, [tree.program(setup, f"SL_Patch_{number}.exe"),
                                          tree.data(f"patch_{number}.pak", max(1, data_size // 4))])
    tree.write_version(max([full, *patches]), full if minimal is None else minimal)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("root")
    parser.add_argument("base_url")
    parser.add_argument("--setup", required=True)
    parser.add_argument("--patcher", required=True)
    parser.add_argument("--full", type=int, required=True)
    parser.add_argument("--patches", default="")
    parser.add_argument("--minimal", type=int)
    parser.add_argument("--data-files", type=int, default=2)
    parser.add_argument("--data-size", type=int, default=64 * 1024)
    args = parser.parse_args()
    patches = [int(n) for n in args.patches.split(",") if n]
    publish_chain(ReleaseTree(args.root, args.base_url), args.setup, args.patcher, args.full, patches,
                  args.minimal, args.data_files, args.data_size)


if __name__ == "__main__":
    main()
