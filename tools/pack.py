#!/usr/bin/env python3
"""Packs a build tree's ZIP with CPack and checks what it holds.

The ZIP is what a Windows administrator installs: the build's Ambrelle.dll
without its debugging information (stripped with the build's own strip, as
CPack strips it, which stamps the time anew), the install text, and nothing
else (no folder either).
Prints the ZIP's path; exits 1 when it holds anything else or lacks either.

Usage: pack.py CPACK BUILD_DIR AMBRELLE_DLL INSTALL_TEXT
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile


def pack(cpack, build):
    out = os.path.join(build, "package")
    for name in os.listdir(out) if os.path.isdir(out) else []:
        if name.endswith(".zip"):
            os.remove(os.path.join(out, name))
    subprocess.run([cpack, "-G", "ZIP", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out],
                   check=True, stdout=subprocess.DEVNULL)
    zips = [name for name in os.listdir(out) if name.endswith(".zip")]
    if len(zips) != 1:
        sys.exit(f"expected one ZIP in {out}, found {zips}")
    return os.path.join(out, zips[0])


def cache_value(build, name):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith(name + ":"):
                return line.split("=", 1)[1].strip()
    sys.exit(f"{name} is not in the cache of {build}")


def unstamped(image):
    """A PE image without what strip writes anew each time: the time stamp
    of its file header and the checksum of its optional header."""
    image = bytearray(image)
    header = struct.unpack_from("<I", image, 0x3C)[0]
    if image[header:header + 4] != b"PE\0\0":
        return bytes(image)
    struct.pack_into("<I", image, header + 8, 0)
    struct.pack_into("<I", image, header + 24 + 64, 0)
    return bytes(image)


def stripped(build, dll):
    """The DLL's bytes as CPack ships them: stripped of debugging information."""
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, os.path.basename(dll))
        shutil.copyfile(dll, copy)
        subprocess.run([cache_value(build, "CMAKE_STRIP"), copy], check=True)
        with open(copy, "rb") as source:
            return unstamped(source.read())


def problems(archive, expected):
    """What is wrong with the archive, given {name in the ZIP: bytes}."""
    found = []
    with zipfile.ZipFile(archive) as zip_file:
        names = set(zip_file.namelist())
        for name in sorted(names - set(expected)):
            found.append(f"not to be shipped: {name}")
        for name in sorted(set(expected) - names):
            found.append(f"missing: {name}")
        for name in sorted(names & set(expected)):
            content = zip_file.read(name)
            if (unstamped(content) if name.endswith(".dll") else content) != expected[name]:
                found.append(f"{name} is not the file of this build")
    return found


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    cpack, build, dll, text = sys.argv[1:]
    archive = pack(cpack, build)
    with open(text, "rb") as source:
        expected = {"Ambrelle.dll": stripped(build, dll), "INSTALL.txt": source.read()}
    found = problems(archive, expected)
    for problem in found:
        print(f"{archive}: {problem}", file=sys.stderr)
    print(archive)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
