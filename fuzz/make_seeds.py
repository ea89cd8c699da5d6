#!/usr/bin/env python3
"""Writes the named seed inputs of the container fuzz targets: a container
made by the tool, cut to a short payload, as version 2 and version 1, and
one of each class the decoder refuses.

    fuzz/make_seeds.py CONTAINER FOLDER

CONTAINER is one the tool made (morvane-cli encode); its header is kept and
its payload cut to 64 bytes, with the stored lengths to match."""
import struct
import sys
from pathlib import Path

PAYLOAD = 64


def split(container: bytes):
    ext_len = container[27]
    ext = container[28:28 + ext_len]
    keys = container[28 + ext_len:28 + ext_len + 512]
    payload = container[28 + ext_len + 512:]
    return ext, keys, payload


def build(ext: bytes, keys: bytes, payload: bytes, version=2, lengths=None, magic=b"~mq",
          number=0xE8D06194):
    if lengths is None:
        lengths = (len(payload), len(payload))
    head = magic + struct.pack("<II", number, version << 24)
    if version == 2:
        head += struct.pack("<QQ", *lengths)
    elif version == 1:
        head += struct.pack("<II", *lengths)
    return head + bytes([len(ext)]) + ext + keys + payload


def main():
    container = Path(sys.argv[1]).read_bytes()
    folder = Path(sys.argv[2])
    folder.mkdir(parents=True, exist_ok=True)
    ext, keys, payload = split(container)
    payload = payload[:PAYLOAD]
    not_permutation = bytes([keys[1]]) + keys[1:]
    seeds = {
        "sound-v2": build(ext, keys, payload),
        "sound-v1": build(ext, keys, payload, version=1),
        "sound-unknown-version": build(ext, keys, payload, version=3),
        "sound-no-extension": build(b".~mz", keys, payload),
        "bad-magic": build(ext, keys, payload, magic=b"~mr"),
        "bad-magic-number": build(ext, keys, payload, number=0xE8D06195),
        "cut-in-magic": build(ext, keys, payload)[:5],
        "cut-in-key": build(ext, keys, payload)[:300],
        "lengths-disagree-v2": build(ext, keys, payload, lengths=(PAYLOAD, PAYLOAD + 1)),
        "lengths-disagree-v1": build(ext, keys, payload, version=1, lengths=(PAYLOAD - 1, PAYLOAD)),
        "key-not-permutation": build(ext, not_permutation, payload),
        "extension-colon": build(b".10:30", keys, payload),
        "extension-slash": build(b"./x", keys, payload),
        "extension-backslash": build(b".\\x", keys, payload),
        "extension-control": build(b".a\nb", keys, payload),
        "empty": b"",
    }
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
