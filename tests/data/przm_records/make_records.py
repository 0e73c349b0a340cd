#!/usr/bin/env python3
"""Writes the PRZM chemical data file fixtures of this folder.

The record layout is typed here from the file format description, apart from the C++ code, so that the
fixtures check the writer and the reader byte for byte. Run it from any folder; it rewrites the files.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 760

# Fields outside the chemical blocks: offset, width, encoding, name.
RECORD_FIELDS = [
    (0, 20, "text", "key"),
    (40, 1, "int", "icheck1"), (41, 1, "int", "icheck2"), (42, 1, "int", "icheck3"),
    (43, 1, "int", "icombo3"), (44, 1, "int", "icheck5"), (45, 1, "int", "iqfac"),
    (106, 7, "7.2f", "prtrn12"),
    (193, 7, "7.2f", "dtr121a"), (200, 7, "7.2f", "dtr121b"), (207, 7, "7.2f", "dtr121c"),
    (214, 7, "7.2f", "dtr122a"),
    (235, 7, "7.2f", "prtrn13"),
    (322, 7, "7.2f", "dtr131a"), (329, 7, "7.2f", "dtr131b"), (336, 7, "7.2f", "dtr131c"),
    (343, 7, "7.2f", "dtr132a"),
    (350, 7, "7.2f", "dtr231a"), (357, 7, "7.2f", "dtr231b"), (364, 7, "7.2f", "dtr231c"),
    (371, 7, "7.2f", "dtr232a"),
    (392, 7, "7.2f", "prtrn23"),
    (413, 1, "int", "iqfac"),
    (558, 1, "int", "iset1"), (559, 1, "int", "iset2"), (560, 1, "int", "iset3"),
    (561, 1, "int", "spareFlag"),
]

# Fields per chemical: name, width, encoding, offsets of chemicals 1, 2 and 3.
CHEMICAL_FIELDS = [
    ("name", 20, "text", (20, 127, 256)),
    ("kdtyp", 1, "int", (46, 147, 276)),
    ("apptyp", 1, "int", (47, 148, 277)),
    ("apprel", 1, "int", (48, 149, 278)),
    ("dknum", 3, "int", (49, 150, 279)),
    ("napp", 2, "int", (52, 153, 282)),
    ("kdsp", 10, "10.4e", (54, 155, 284)),
    ("drate1a", 7, "7.2f", (64, 165, 294)),
    ("freund", 7, "7.2f", (71, 172, 301)),
    ("drate1c", 7, "7.2f", (78, 179, 308)),
    ("drate2a", 7, "7.2f", (85, 186, 315)),
    ("fextrc", 7, "7.2f", (92, 221, 378)),
    ("candeg", 7, "7.2f", (99, 228, 385)),
    ("q10fac", 7, "7.2f", (113, 242, 399)),
    ("qbase", 7, "7.2f", (120, 249, 406)),
    ("mseff", 7, "7.3f", (414, 421, 428)),
    ("mslab", 7, "7.3f", (435, 442, 449)),
    ("solub", 10, "10.4e", (456, 466, 476)),
    ("mwght", 7, "7.2f", (486, 493, 500)),
    ("fstar", 7, "7.3f", (507, 514, 521)),
    ("vapourPressure", 10, "10.4e", (528, 538, 548)),
] + [("spareInteger%d" % (i + 1), 5, "int", (562 + 5 * i, 587 + 5 * i, 612 + 5 * i)) for i in range(5)] + [
    ("spareReal%d" % (i + 1), 5, "5.2f", (637 + 5 * i, 662 + 5 * i, 687 + 5 * i)) for i in range(5)] + [
    ("enthalpy", 8, "8.3f", (712, 720, 728)),
    ("airDiffusion", 8, "8.3f", (736, 744, 752)),
]


def encode(value, width, encoding):
    if encoding == "text":
        text = value.ljust(width)
    elif encoding == "int":
        text = str(value).rjust(width)
    elif encoding == "10.4e":
        mantissa, exponent = ("%.3E" % value).split("E")
        text = (mantissa + "E" + exponent[0] + exponent[1:].rjust(3, "0")).rjust(width)
    else:
        text = ("%" + encoding) % value
    assert len(text) == width, (value, encoding, text)
    return text.encode("latin-1")


def record(values):
    """values: record fields by name, and "chemicals": three dicts of chemical fields."""
    buffer = bytearray(b"#" * SIZE)
    covered = [0] * SIZE

    def put(offset, width, encoding, value):
        buffer[offset:offset + width] = encode(value, width, encoding)
        for i in range(offset, offset + width):
            covered[i] += 1

    for offset, width, encoding, name in RECORD_FIELDS:
        put(offset, width, encoding, values[name])
    for j, chemical in enumerate(values["chemicals"]):
        for name, width, encoding, offsets in CHEMICAL_FIELDS:
            put(offsets[j], width, encoding, chemical[name])
    assert covered == [1] * SIZE, "the layout must cover every byte once"
    return bytes(buffer)


def full_record():
    """Every field with a value of its own; the C++ test builds the same object."""
    values = {
        "key": "PARENT_FULL", "icheck1": 1, "icheck2": 2, "icheck3": 3, "icombo3": 4, "icheck5": 5, "iqfac": 6,
        "prtrn12": 1.25, "dtr121a": 0.5, "dtr121b": 1.01, "dtr121c": 1.02, "dtr122a": 1.03,
        "prtrn13": 2.25, "dtr131a": 0.25, "dtr131b": 1.11, "dtr131c": 1.12, "dtr132a": 1.13,
        "dtr231a": 0.75, "dtr231b": 1.21, "dtr231c": 1.22, "dtr232a": 1.23, "prtrn23": 3.25,
        "iset1": 7, "iset2": 8, "iset3": 9, "spareFlag": 3,
    }
    names = ["PARENT_FULL", "METAB_ONE", "METAB_TWO"]
    kdsp = [172.4, 0.000123, 0.05]
    drate1c = [1000.0, -1.5, 0.0]
    chemicals = []
    for j in (1, 2, 3):
        c = {
            "name": names[j - 1], "kdtyp": j, "apptyp": j + 3, "apprel": j + 6, "dknum": 100 + j, "napp": 10 + j,
            "kdsp": kdsp[j - 1], "drate1a": 20.0 + j, "freund": 0.9 + j / 100, "drate1c": drate1c[j - 1],
            "drate2a": 3.0 + j, "fextrc": 0.5 + j / 100, "candeg": 10.0 + j, "q10fac": 2.2 + j / 100,
            "qbase": 20.0 + j, "mseff": 0.7 + j / 1000, "mslab": 100.0 + j, "solub": 100.0 * j,
            "mwght": 300.0 - 50 * j, "fstar": 0.5 + j / 1000, "vapourPressure": 0.1 / j,
            "enthalpy": 397.1 + j, "airDiffusion": 4300.0 + j,
        }
        for i in range(1, 6):
            c["spareInteger%d" % i] = 10 * j + i
            c["spareReal%d" % i] = j + i / 10
        chemicals.append(c)
    values["chemicals"] = chemicals
    return values


def standin_record():
    """EXAMPLE_P with its metabolite EXAMPLE_M1 from data/examples, as the system writes them: kdsp from
    Kom x 1.724 (kdtyp 1, no detailed sorption), vapour pressure x 1000, enthalpy x 4.18 / 1000, air
    diffusion x 10000; chemical 3 repeats the parent without a name, iset2 = iset3 = iset1."""
    values = {
        "key": "EXAMPLE_P", "icheck1": 0, "icheck2": 1, "icheck3": 1, "icombo3": 2, "icheck5": 1, "iqfac": 1,
        "prtrn12": 0, "dtr121a": 0.5, "dtr121b": 0, "dtr121c": 0, "dtr122a": 0, "prtrn13": 0, "dtr131a": 0,
        "dtr131b": 0, "dtr131c": 0, "dtr132a": 0, "dtr231a": 0, "dtr231b": 0, "dtr231c": 0, "dtr232a": 0,
        "prtrn23": 0, "iset1": 2, "iset2": 2, "iset3": 2, "spareFlag": 0,
    }
    common = {"kdtyp": 1, "apptyp": 0, "apprel": 0, "dknum": 0, "napp": 0, "freund": 0.9, "drate1c": 0,
              "drate2a": 0, "fextrc": 0.5, "candeg": 10.0, "q10fac": 2.2, "qbase": 20.0, "mseff": 0.7,
              "mslab": 100.0, "fstar": 0.5, "enthalpy": 95000 * 4.18 / 1000, "airDiffusion": 0.43 * 10000}
    for i in range(1, 6):
        common["spareInteger%d" % i] = 0
        common["spareReal%d" % i] = 0.0
    parent = dict(common, name="EXAMPLE_P", kdsp=100.0 * 1.724, drate1a=20.0, solub=100.0, mwght=300.0,
                  vapourPressure=0.0001 * 1000)
    metabolite = dict(common, name="EXAMPLE_M1", kdsp=50.0 * 1.724, drate1a=40.0, solub=500.0, mwght=200.0,
                      vapourPressure=0.00001 * 1000)
    values["chemicals"] = [parent, metabolite, dict(parent, name="")]
    return values


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


full = full_record()
write("full.dat", record(full))
write("standin_chmdat.dat", record(standin_record()))

# Blank key: the record is known by chemical 1's name.
write("blank_key.dat", record(dict(full, key="")))

# Chemical names 2 and 3 of NUL characters only.
nul = bytearray(record(full))
nul[127:147] = b"\0" * 20
nul[256:276] = b"\0" * 20
write("nul_names.dat", bytes(nul))

# Integer fields with blanks (icheck2, dknum [1]) and a letter (icombo3, napp [2]).
bad = bytearray(record(full))
bad[41:42] = b" "
bad[49:52] = b"   "
bad[43:44] = b"x"
bad[153:155] = b" x"
write("bad_integers.dat", bytes(bad))

# A blank real field (drate1a [2]) in the second of two records.
blank = bytearray(record(full))
blank[165:172] = b" " * 7
write("blank_real.dat", record(standin_record()) + bytes(blank))
