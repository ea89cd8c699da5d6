#!/usr/bin/env python3
"""Says where two makes of one package first differ, for
scripts/check-reproducible.sh: the first member (in the packages' own order)
whose name, content, mode, owner or time differs, looking into the tars
inside a .deb; for other files (the installers), the first differing byte.
Usage: package_difference.py FIRST SECOND
"""
import hashlib
import io
import sys
import tarfile
import zipfile


def tar_members(data):
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:*") as tar:
        for member in tar.getmembers():
            content = tar.extractfile(member).read() if member.isfile() else b""
            yield member.name, (f"type {member.type.decode()}, mode {member.mode:o}, "
                                f"owner {member.uid}/{member.gid} {member.uname}/{member.gname}, "
                                f"time {member.mtime}"), content


def zip_members(data):
    with zipfile.ZipFile(io.BytesIO(data)) as archive:
        for member in archive.infolist():
            yield member.filename, (f"attributes {member.external_attr:x} of system {member.create_system}, "
                                    f"time {member.date_time}, extra {member.extra.hex()}"), archive.read(member)


def ar_members(data):
    at = 8
    while at < len(data):
        header = data[at:at + 60]
        size = int(header[48:58])
        yield header[:16].decode().rstrip(" /"), f"header {header[16:58].decode()!r}", data[at + 60:at + 60 + size]
        at += 60 + size + size % 2


def members(name, data):
    """The members of DATA, or None when it is no archive read here."""
    if name.endswith(".zip"):
        return list(zip_members(data))
    if name.endswith(".tar.gz") or name.endswith(".tar"):
        return list(tar_members(data))
    if name.endswith(".deb"):
        return list(ar_members(data))
    return None


def first_difference(name, first, second):
    if first == second:
        return None
    if name.endswith(".gz") and first[:10] != second[:10]:
        return f"{name}: the gzip headers differ: {first[:10].hex()} and {second[:10].hex()}"
    ours, theirs = members(name, first), members(name, second)
    if ours is None:
        at = next(i for i in range(min(len(first), len(second)) + 1)
                  if i == min(len(first), len(second)) or first[i] != second[i])
        return (f"{name}: {len(first)} and {len(second)} bytes, first difference at byte {at} "
                f"(0x{at:x}): {first[at:at + 16].hex()} and {second[at:at + 16].hex()}")
    for index in range(max(len(ours), len(theirs))):
        if index >= len(ours) or index >= len(theirs):
            extra = (ours if index < len(ours) else theirs)[index][0]
            return f"{name}: only one holds {extra} (member {index + 1})"
        (one, facts_one, data_one), (two, facts_two, data_two) = ours[index], theirs[index]
        if one != two:
            return f"{name}: member {index + 1} is {one} in one and {two} in the other (another order or set)"
        if facts_one != facts_two:
            return f"{name}: member {one}: {facts_one}; and {facts_two}"
        if data_one != data_two:
            inner = first_difference(f"{name}/{one}", data_one, data_two)
            return inner or f"{name}: member {one}: the content differs"
    return f"{name}: the members are the same; the archive's own bytes differ (compression, headers, padding)"


def main(arguments):
    if len(arguments) != 2:
        sys.exit("usage: package_difference.py FIRST SECOND")
    with open(arguments[0], "rb") as one, open(arguments[1], "rb") as two:
        first, second = one.read(), two.read()
    name = arguments[0].rsplit("/", 1)[-1]
    print(first_difference(name, first, second) or f"{name}: the same")
    sha = [hashlib.sha256(data).hexdigest()[:16] for data in (first, second)]
    print(f"{name}: sha256 {sha[0]}... and {sha[1]}...")


if __name__ == "__main__":
    main(sys.argv[1:])
