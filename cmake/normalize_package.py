#!/usr/bin/env python3
"""Gives a release package the same bytes whenever, wherever and by whomever
it is made. CPack runs it (cmake/cpack-normalize.cmake) on each package it
makes:

  normalize_package.py staging FOLDER   before packing: every file and folder
      under FOLDER gets mode 755 (folders and programs) or 644 and, when
      SOURCE_DATE_EPOCH is set, that time (the installers store file times);
  normalize_package.py package FILE...  after: each .zip and .tar.gz is
      written again with its members in name order, mode 755 or 644, owner 0
      (root), the time SOURCE_DATE_EPOCH when set, and a gzip header without
      time or name; a .deb gets the same for the tars inside it, and its ar
      headers owner 0, mode 644 and that time.

A member that is neither a file nor a folder is refused: the packages hold
none. Without SOURCE_DATE_EPOCH the members keep their times.
"""
import gzip
import io
import os
import sys
import tarfile
import time
import zipfile


def epoch():
    text = os.environ.get("SOURCE_DATE_EPOCH", "")
    if text == "":
        return None
    if not text.isdigit():
        sys.exit(f"normalize_package: SOURCE_DATE_EPOCH is not a number of seconds: '{text}'")
    return int(text)


def plain_mode(is_folder, mode):
    """755 for folders and for files anyone may run, else 644."""
    return 0o755 if is_folder or mode & 0o111 else 0o644


def normalize_staging(folder, when):
    for root, folders, files in os.walk(folder):
        for name in folders + files:
            path = os.path.join(root, name)
            if os.path.islink(path):
                sys.exit(f"normalize_package: {path} is a link; packages hold files and folders only")
            os.chmod(path, plain_mode(os.path.isdir(path), os.stat(path).st_mode))
            if when is not None:
                os.utime(path, (when, when))
    os.chmod(folder, 0o755)
    if when is not None:
        os.utime(folder, (when, when))


def tar_gz(data, when, label):
    """The .tar.gz DATA written again, normalized."""
    members = []
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as tar:
        for member in tar.getmembers():
            if not (member.isfile() or member.isdir()):
                sys.exit(f"normalize_package: {label}: {member.name} is neither a file nor a folder")
            content = tar.extractfile(member).read() if member.isfile() else b""
            members.append((member, content))
    members.sort(key=lambda item: item[0].name.encode())
    out = io.BytesIO()
    # No name and time 0 in the gzip header.
    with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as packed:
        with tarfile.open(fileobj=packed, mode="w", format=tarfile.GNU_FORMAT) as tar:
            for member, content in members:
                info = tarfile.TarInfo(member.name)
                info.type = member.type
                info.mode = plain_mode(member.isdir(), member.mode)
                info.mtime = member.mtime if when is None else when
                info.uid = info.gid = 0
                info.uname = info.gname = "root"
                info.size = len(content)
                tar.addfile(info, io.BytesIO(content) if member.isfile() else None)
    return out.getvalue()


def zip_file(data, when, label):
    """The .zip DATA written again, normalized."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as source, zipfile.ZipFile(out, "w") as target:
        for member in sorted(source.infolist(), key=lambda item: item.filename.encode()):
            mode = member.external_attr >> 16
            is_folder = member.is_dir()
            if mode and not (is_folder or (mode & 0o170000) == 0o100000):
                sys.exit(f"normalize_package: {label}: {member.filename} is neither a file nor a folder")
            stamp = member.date_time if when is None else time.gmtime(when)[:6]
            info = zipfile.ZipInfo(member.filename, date_time=stamp)
            info.create_system = 3  # Unix: the modes below are read as such
            if is_folder:
                info.external_attr = (0o040000 | 0o755) << 16 | 0x10
                target.writestr(info, b"")
            else:
                info.external_attr = (0o100000 | plain_mode(False, mode)) << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                target.writestr(info, source.read(member), compresslevel=9)
    return out.getvalue()


def deb(data, when, label):
    """The .deb DATA (an ar archive) written again, normalized."""
    magic = b"!<arch>\n"
    if not data.startswith(magic):
        sys.exit(f"normalize_package: {label} is not an ar archive")
    out = bytearray(magic)
    at = len(magic)
    while at < len(data):
        header = data[at:at + 60]
        name = header[:16]
        size = int(header[48:58])
        content = data[at + 60:at + 60 + size]
        at += 60 + size + size % 2
        if name.rstrip(b" /").endswith(b".tar.gz"):
            content = tar_gz(content, when, label)
        stamp = int(header[16:28]) if when is None else when
        out += name + b"%-12d%-6d%-6d%-8s%-10d`\n" % (stamp, 0, 0, b"100644", len(content))
        out += content + (b"\n" if len(content) % 2 else b"")
    return bytes(out)


def normalize_package(path, when):
    if path.endswith(".tar.gz"):
        write = tar_gz
    elif path.endswith(".zip"):
        write = zip_file
    elif path.endswith(".deb"):
        write = deb
    else:
        return
    with open(path, "rb") as package:
        data = package.read()
    with open(path + ".part", "wb") as package:
        package.write(write(data, when, os.path.basename(path)))
    os.replace(path + ".part", path)


def main(arguments):
    if len(arguments) >= 2 and arguments[0] == "staging":
        for folder in arguments[1:]:
            normalize_staging(folder, epoch())
    elif len(arguments) >= 2 and arguments[0] == "package":
        for path in arguments[1:]:
            normalize_package(path, epoch())
    else:
        sys.exit("usage: normalize_package.py staging FOLDER... | package FILE...")


if __name__ == "__main__":
    main(sys.argv[1:])
