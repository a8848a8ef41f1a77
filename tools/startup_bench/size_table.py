#!/usr/bin/env python3
"""What each part of a program costs, from the GNU ld link map written next to it.

    size_table.py PROGRAM.map [STRIPPED.exe]

Sums the input sections that stay in the stripped program (.text, .rdata, .data, .eh_frame, ...)
by where they come from: the project's libraries, each dependency, and the runtime (libstdc++ by
part: locale facets, streams, strings, the demangler, the rest; the MinGW C runtime, winpthreads,
libgcc). The sections that the linker makes itself (.reloc, .idata, .rsrc) are listed as they are, and
last the zero-filled data that the program's file carries in .data: MinGW's GCC gives a zero-filled
datum of its own section a .data$ section, whose zeros .bss would hold without taking room in the
file.
A template instance counts for the first object that the linker took it from; what the
link-time optimisation compiled (the project's code and jsoncpp) is one part.
"""
import collections
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
KEPT = (".text", ".rdata", ".data", ".eh_frame", ".CRT", ".tls", ".idata")
COLUMNS = (".text", ".rdata", ".data", ".eh_frame")

# libstdc++ members by part; the first pattern that matches names the part.
STDCXX_PARTS = (
    ("locale facets", r"(w?locale|cxx11-w?locale|cow-locale|locale_init|locale_facets|ios_locale"
                      r"|.*shim_facets|.*codecvt.*|ctype.*|.*monetary.*|.*numeric_members.*"
                      r"|time_members|messages_members|collate.*|c\+\+locale)(-inst)?\.o"),
    ("streams", r"(.*stream.*|ios|ios-inst|ios_init|ios_failure|cxx11-ios_failure|basic_file"
                r"|globals_io|ext11-inst|misc-inst)\.o"),
    ("strings", r"(cow-)?w?string-inst\.o|sso_string\.o|snprintf_lite\.o"),
    ("demangler", r"cp-demangle\.o|vterminate\.o"),
)

LINE = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
CONTINUATION = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
MEMBER = re.compile(r"(?:.*/)?([^/()]+)\.a\((.*)\)$")


def group_of(origin):
    member = MEMBER.match(origin)
    if not member:
        name = origin.rsplit("/", 1)[-1]
        if ".ltrans" in name:
            return "project and jsoncpp (LTO)"
        return "program objects" if name.endswith(".obj") else "MinGW C runtime"
    library, item = member.groups()
    if library == "libstdc++":
        for part, pattern in STDCXX_PARTS:
            if re.fullmatch(pattern, item):
                return "libstdc++: " + part
        return "libstdc++: the rest"
    if library in ("libmingw32", "libmingwex", "libmsvcrt", "libmoldname"):
        return "MinGW C runtime" if library != "libmingwex" else "libmingwex (C99 stdio, math)"
    if library in ("libgcc", "libgcc_eh"):
        return "libgcc (unwinder)"
    if library == "libpthread":
        return "winpthreads"
    return library


def fold_imports(sums):
    """One row for the import libraries of Windows (their thunks, tables and GUIDs)."""
    imports = collections.Counter()
    for group in [g for g, counter in sums.items() if counter[".idata"] or g == "libuuid"]:
        if group.startswith("MinGW"):
            continue
        imports.update(sums.pop(group))
    if imports:
        sums["Windows import libraries"] = imports
    return sums


def read_map(path, data_inputs):
    """The sums by part; the .data input sections go into `data_inputs` as (address, size, part)."""
    sums = collections.defaultdict(collections.Counter)
    output, pending = None, None
    with open(path, errors="replace") as lines:
        for line in lines:
            if line.startswith("Linker script and memory map"):
                break
        for line in lines:
            line = line.rstrip("\n")
            if not line.startswith(" "):
                head = re.match(r"^(\.\S+)", line)
                if head:
                    output = head.group(1)
                pending = None
                continue
            found = LINE.match(line) if not line.startswith("  ") else None
            if found:
                name, address, size, origin = (found.group(1) or pending, int(found.group(2), 16),
                                               int(found.group(3), 16), found.group(4))
            else:
                found = CONTINUATION.match(line) if pending else None
                if not found:
                    lone = re.match(r"^ (\S+)$", line)
                    pending = lone.group(1) if lone else (None if not line.startswith("  ") else pending)
                    continue
                name, address, size, origin = pending, int(found.group(1), 16), int(found.group(2), 16), found.group(3)
            pending = None
            if name is None or size == 0 or output not in KEPT or origin.startswith("*") or "=" in origin:
                continue
            sums[group_of(origin.strip())][output] += size
            if output == ".data":
                data_inputs.append((address, size, group_of(origin.strip())))
    return sums


def pe_sections(program):
    """Name -> (size, address, file offset) of each section."""
    sections = {}
    dump = subprocess.run([OBJDUMP, "-h", program], capture_output=True, text=True, check=True).stdout
    for row in dump.splitlines():
        cells = row.split()
        if len(cells) >= 6 and cells[0].isdigit():
            sections[cells[1]] = (int(cells[2], 16), int(cells[3], 16), int(cells[5], 16))
    return sections


def zero_filled_data(program, sections, data_inputs):
    """Bytes by part of the .data input sections that hold nothing but zeros in the program's file."""
    size, address, offset = sections.get(".data", (0, 0, 0))
    with open(program, "rb") as f:
        f.seek(offset)
        data = f.read(size)
    zeros = collections.Counter()
    for start, length, group in data_inputs:
        at = start - address
        if 0 <= at and at + length <= len(data) and not any(data[at:at + length]):
            zeros[group] += length
    return zeros


def main():
    data_inputs = []
    sums = fold_imports(read_map(sys.argv[1], data_inputs))
    total = lambda counter: sum(counter[s] for s in KEPT)
    print("%-34s" % "part" + "".join("%10s" % c for c in COLUMNS) + "%10s" % "other" + "%11s" % "total")
    for group, counter in sorted(sums.items(), key=lambda item: -total(item[1])):
        other = total(counter) - sum(counter[c] for c in COLUMNS)
        print("%-34s" % group[:34] + "".join("%10d" % counter[c] for c in COLUMNS)
              + "%10d" % other + "%11d" % total(counter))
    if len(sys.argv) > 2:
        sections = pe_sections(sys.argv[2])
        for name in (".rsrc", ".reloc"):
            print("%-34s%51d" % ("section " + name + " (linker)", sections.get(name, (0,))[0]))
        zeros = zero_filled_data(sys.argv[2], sections, data_inputs)
        large = [(group, size) for group, size in zeros.most_common() if size >= 256]
        rest = sum(zeros.values()) - sum(size for _, size in large)
        print("zero-filled data in .data: %d bytes (%s)" % (sum(zeros.values()), ", ".join(
            ["%s %d" % item for item in large] + ["the rest %d" % rest])))


if __name__ == "__main__":
    main()
