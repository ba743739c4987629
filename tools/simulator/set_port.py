#!/usr/bin/python3
"""Points [Puertos] COMn of a Config.ini at a device, leaving the rest of the file as it is.

usage: set_port.py CONFIG.INI DEVICE [COMn ...]

Without COMn: COM1, and also the port that [Comunicacion] PuertoCom selects.

Section and key names match without regard to case, as the program reads them.
The file's line ends and encoding (UTF-8 or Windows-1252) are kept.
"""

import os
import sys
import tempfile


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    path, device = sys.argv[1], sys.argv[2]
    ports = sys.argv[3:]

    with open(path, "rb") as f:
        raw = f.read()
    bom = raw.startswith(b"\xef\xbb\xbf")
    body = raw[3:] if bom else raw
    try:
        text = body.decode("utf-8")
        encoding = "utf-8"
    except UnicodeDecodeError:
        text = body.decode("cp1252", errors="surrogateescape")
        encoding = "cp1252"
    newline = "\r\n" if "\r\n" in text else "\n"
    lines = text.splitlines()
    if not ports:
        ports = ["COM1"]
        index = read_key(lines, "Comunicacion", "PuertoCom")
        if index is not None and index.strip() in ("1", "2", "3", "4", "5"):
            ports.append("COM%d" % (int(index) + 1))

    for port in ports:
        lines = set_key(lines, "Puertos", port, device)

    out = newline.join(lines) + newline
    data = out.encode(encoding, errors="surrogateescape")
    if bom:
        data = b"\xef\xbb\xbf" + data
    folder = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".Config.ini.")
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    os.chmod(tmp, os.stat(path).st_mode & 0o777)
    os.replace(tmp, path)
    print("Config.ini: [Puertos] %s -> %s" % (", ".join(ports), device))


def section_of(line):
    s = line.strip()
    if s.startswith("[") and "]" in s:
        return s[1:s.index("]")].strip()
    return None


def section_range(lines, section):
    start = None
    for i, line in enumerate(lines):
        name = section_of(line)
        if name is not None and name.lower() == section.lower():
            start = i
            break
    if start is None:
        return None, None
    end = len(lines)
    for i in range(start + 1, len(lines)):
        if section_of(lines[i]) is not None:
            end = i
            break
    return start, end


def key_of(line):
    stripped = line.strip()
    if "=" not in stripped:
        return None
    return stripped.split("=", 1)[0].strip().lower()


def read_key(lines, section, key):
    start, end = section_range(lines, section)
    if start is None:
        return None
    for i in range(start + 1, end):
        if key_of(lines[i]) == key.lower():
            return lines[i].split("=", 1)[1]
    return None


def set_key(lines, section, key, value):
    start, end = section_range(lines, section)
    if start is None:
        if lines and lines[-1].strip():
            lines.append("")
        return lines + ["[%s]" % section, "%s=%s" % (key, value)]
    last = start
    for i in range(start + 1, end):
        if not lines[i].strip():
            continue
        last = i
        if key_of(lines[i]) == key.lower():
            lines[i] = "%s=%s" % (lines[i].split("=", 1)[0].rstrip(), value)
            return lines
    return lines[:last + 1] + ["%s=%s" % (key, value)] + lines[last + 1:]


if __name__ == "__main__":
    main()
