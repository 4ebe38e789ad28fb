#!/usr/bin/env python3
"""Sets the order in which a type library lists an interface's members.

widl lists the members of an interface in vtable order. A library may list
them in another order while each keeps its vtable offset (what an object
browser and ITypeInfo::GetFuncDesc by index show, against what early-bound
clients call). This rewrites a compound (MSFT) type library from widl so that
the interface whose functions have the given member ids lists them in the
order given; every function record keeps its own vtable offset. The
interface's parameters are left unnamed (widl names a return value).

Usage: typelib_member_order.py IN.tlb OUT.tlb MEMID [MEMID...]   (hex or decimal)
"""
import struct
import sys

HEADER_SIZE = 0x54
HELPDLL_FLAG = 0x100
TYPEINFO_SIZE = 0x64
SEGMENTS = 15


def reorder(data, order):
    magic, _, _, _, _, varflags = struct.unpack_from("<6I", data, 0)
    if magic != 0x5446534D:
        raise ValueError("not a compound (MSFT) type library")
    count = struct.unpack_from("<i", data, 0x20)[0]
    position = HEADER_SIZE + (4 if varflags & HELPDLL_FLAG else 0) + 4 * count
    typeinfo_table = struct.unpack_from("<i", data, position)[0]  # first segment: the type infos
    done = 0
    for index in range(count):
        base = typeinfo_table + index * TYPEINFO_SIZE
        members = struct.unpack_from("<i", data, base + 4)[0]
        elements = struct.unpack_from("<I", data, base + 0x18)[0]
        functions, variables = elements & 0xFFFF, elements >> 16
        if members <= 0 or functions != len(order) or variables:
            continue
        records_size = struct.unpack_from("<i", data, members)[0]
        records = members + 4
        arrays = records + records_size
        ids = list(struct.unpack_from("<%di" % functions, data, arrays))
        if sorted(ids) != sorted(order):
            continue
        names = list(struct.unpack_from("<%di" % functions, data, arrays + 4 * functions))
        offsets = list(struct.unpack_from("<%di" % functions, data, arrays + 8 * functions))
        blobs = []
        for offset in offsets:
            size = struct.unpack_from("<i", data, records + offset)[0] & 0xFFFF
            blob = bytearray(data[records + offset:records + offset + size])
            # The parameters stand at the record's end: type, name, flags each.
            parameters = struct.unpack_from("<h", blob, 0x14)[0]
            for parameter in range(parameters):
                struct.pack_into("<i", blob, size - 12 * (parameters - parameter) + 4, -1)
            blobs.append(bytes(blob))
        if sum(len(b) for b in blobs) != records_size:
            raise ValueError("function records do not fill their block")
        listed = [ids.index(member) for member in order]
        new_records = b"".join(blobs[i] for i in listed)
        new_offsets, at = [], 0
        for i in listed:
            new_offsets.append(at)
            at += len(blobs[i])
        data[records:records + records_size] = new_records
        struct.pack_into("<%di" % functions, data, arrays, *[ids[i] for i in listed])
        struct.pack_into("<%di" % functions, data, arrays + 4 * functions, *[names[i] for i in listed])
        struct.pack_into("<%di" % functions, data, arrays + 8 * functions, *new_offsets)
        done += 1
    if done != 1:
        raise ValueError("found %d interfaces with member ids %s, expected one" % (done, [hex(m) for m in order]))


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as source:
        data = bytearray(source.read())
    reorder(data, [int(text, 0) for text in argv[3:]])
    with open(argv[2], "wb") as target:
        target.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
