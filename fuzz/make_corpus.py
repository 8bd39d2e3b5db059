#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/.

The records and reports are laid out here from the byte tables of the formats, field by
field, not produced by the program, so that a seed also shows what a valid input looks
like. Run it again after changing it; the fuzzer's own finds are never written here.
"""
import os
import shutil
import struct

ROOT = os.path.dirname(os.path.abspath(__file__))
SKIN = os.path.join(os.path.dirname(ROOT), "skin")

RECORD = 47776
ENTRY = 1888
ENTRIES = 2464  # offset of the 24 button entries
HEADER = 238884
MACRO = 856

DEFAULT_FUNCTIONS = [1, 2, 3, 6, 0, 0, 4, 5, 0, 0, 0, 0, 0, 0, 11, 12, 0, 0]
DEFAULT_DPI = [16, 32, 48, 64, 100, 320, 0, 0]
DEFAULT_ENABLED = [1, 1, 1, 1, 1, 1, 0, 0]
STAGE_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 0, 255),
                 (255, 255, 0), (0, 255, 255), (255, 64, 0), (255, 255, 255)]
RESERVED_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 0, 255),
                    (255, 255, 0), (255, 255, 255), (255, 255, 255), (255, 128, 0)]


def put_i32(buf, at, value):
    struct.pack_into("<i", buf, at, value)


def put_u16(buf, at, value):
    struct.pack_into("<H", buf, at, value)


def put_name(buf, at, units, text):
    encoded = text.encode("utf-16-le")
    assert len(encoded) <= 2 * units
    buf[at:at + 2 * units] = encoded + bytes(2 * units - len(encoded))


def put_actions(buf, at, actions):
    for i, (key, direction, delay) in enumerate(actions):
        struct.pack_into("<BBH", buf, at + 4 * i, key, direction, delay)


def profile(name="Profile1"):
    p = bytearray(RECORD)
    put_name(p, 0, 100, name)
    put_i32(p, 2200, 420)
    put_i32(p, 2204, 3)
    put_i32(p, 2212, 6)
    for i in range(8):
        put_i32(p, 2244 + 4 * i, DEFAULT_DPI[i])
        put_i32(p, 2276 + 4 * i, DEFAULT_DPI[i])
        put_i32(p, 2308 + 4 * i, DEFAULT_ENABLED[i])
        p[2400 + 4 * i:2403 + 4 * i] = bytes(STAGE_COLOURS[i])
        p[2432 + 4 * i:2435 + 4 * i] = bytes(RESERVED_COLOURS[i])
    for at, value in [(2340, 8), (2344, 6), (2348, 10), (2352, 1), (2356, 1), (2360, 3),
                      (2364, 1), (2368, 1), (2372, 0), (2376, 1), (2380, 7), (2384, 3),
                      (2392, 4)]:
        put_i32(p, at, value)
    p[2388] = 1
    p[2396:2399] = bytes((0, 255, 0))
    for k in range(18):
        e = ENTRIES + ENTRY * k
        p[e] = k
        p[e + 1] = DEFAULT_FUNCTIONS[k]
        put_u16(p, e + 8, 562)
        put_i32(p, e + 1072, -1)
        put_i32(p, e + 1076, -1)
    return p


def macro_button(p, k, name, actions, repeat=1, mode=0):
    e = ENTRIES + ENTRY * k
    p[e + 1] = 17
    put_i32(p, e + 12, mode)
    put_name(p, e + 16, 24, name)
    put_i32(p, e + 64, repeat)
    put_u16(p, e + 68, len(actions))
    put_actions(p, e + 1088, actions)


def key_button(p, k, modifiers, key):
    e = ENTRIES + ENTRY * k
    p[e + 1] = 16
    p[e + 3] = key
    p[e + 7] = modifiers


def macro(name, actions, repeat=0, count=None):
    m = bytearray(MACRO)
    put_name(m, 0, 24, name)
    put_i32(m, 48, repeat)
    put_i32(m, 52, len(actions) if count is None else count)
    put_actions(m, 56, actions)
    return m


# A press and release of "a" (HID 4) with short delays, then a long pause and a mouse click.
SHORT_ACTIONS = [(4, 1, 10), (4, 2, 30), (0xF1, 1, 500), (0xF1, 2, 1200)]
LONG_ACTIONS = [(4 + i % 20, 1 + i % 2, (i * 37) % 3000) for i in range(200)]


# The 32-bit settings of a record, by offset: the values a damaged file may hold there. The
# DPI values and the debounce are left out: their display is made safe elsewhere, with its
# own tests.
SETTING_FIELDS = [2200, 2204, 2212, 2224, 2228, 2232] + list(range(2276, 2340, 4)) + \
    list(range(2340, 2388, 4))


def extremes(name, value):
    p = profile(name)
    for at in SETTING_FIELDS:
        put_i32(p, at, value)
    for k in range(24):
        e = ENTRIES + ENTRY * k
        for at in (12, 64, 1072, 1076):
            put_i32(p, e + at, value)
    macro_button(p, 2, "Extreme", SHORT_ACTIONS, repeat=value, mode=value)
    return p


def profiles():
    default = profile()
    gaming = profile("Gaming")
    for i, step in enumerate([1, 200, 201, 220, 221, 300, 301, 340]):
        put_i32(gaming, 2244 + 4 * i, step)
        put_i32(gaming, 2276 + 4 * i, step)
        put_i32(gaming, 2308 + 4 * i, 1)
    put_i32(gaming, 2356, 7)
    put_i32(gaming, 2380, 1)
    key_button(gaming, 4, 0x01 | 0x02, 0x06)
    macros = profile("Macros")
    macro_button(macros, 0, "Combo", SHORT_ACTIONS)
    macro_button(macros, 3, "Long", LONG_ACTIONS, repeat=3, mode=2)
    macro_button(macros, 17, "Combo", [(5, 1, 0), (0, 0, 0)])
    clash = profile("Profile1")
    macro_button(clash, 1, "A" * 24, SHORT_ACTIONS)  # a name filling its whole field
    short = bytes(profile()[:RECORD - 1])
    unterminated = profile()
    unterminated[0:200] = ("x" * 100).encode("utf-16-le")
    too_many = profile()
    put_u16(too_many, ENTRIES + ENTRY * 5 + 68, 201)
    longer = default + bytes(100)
    return {
        "default.pro": default, "gaming.pro": gaming, "macros.pro": macros,
        "clash.pro": clash, "short.pro": short, "unterminated_name.pro": unterminated,
        "201_actions.pro": too_many, "longer.pro": longer,
        "largest_values.pro": extremes("Largest", 0x7FFFFFFF),
        "smallest_values.pro": extremes("Smallest", -0x80000000),
    }


def macros():
    unterminated = macro("", SHORT_ACTIONS)
    unterminated[0:48] = ("m" * 24).encode("utf-16-le")
    return {
        "short_actions.macro": macro("Macro1", SHORT_ACTIONS),
        "200_actions.macro": macro("Long", LONG_ACTIONS, repeat=5),
        "empty.macro": macro("Nothing", []),
        "201_actions.macro": macro("Too many", LONG_ACTIONS, count=201),
        "negative_count.macro": macro("Negative", [], count=-1),
        "unterminated_name.macro": unterminated,
        "short.macro": bytes(macro("Cut", SHORT_ACTIONS)[:MACRO - 1]),
    }


def store_input(selection, records, tail=b""):
    """profile_store's even form: the selection, then what follows the header."""
    return bytes([0]) + struct.pack("<i", selection) + b"".join(records) + tail


def profile_stores():
    p = profiles()
    return {
        "one.in": store_input(0, [p["default.pro"]]),
        "two_second_selected.in": store_input(1, [p["default.pro"], p["macros.pro"]]),
        "selection_outside.in": store_input(5, [p["gaming.pro"], p["default.pro"]]),
        "negative_selection.in": store_input(-1, [p["default.pro"]]),
        "fragment.in": store_input(0, [p["default.pro"]], bytes(range(100))),
        "extremes.in": store_input(1, [p["largest_values.pro"], p["smallest_values.pro"]]),
        "header_only.in": store_input(0, []),
        "raw_short.in": bytes([1]) + bytes(range(256)) * 4,
        "raw_empty.in": bytes([1]),
    }


def macro_stores():
    m = macros()
    valid = m["short_actions.macro"] + m["200_actions.macro"]
    return {
        "two.data": valid,
        "same_names.data": m["short_actions.macro"] + macro("MACRO1", [(7, 1, 40)]),
        "invalid_between.data": m["short_actions.macro"] + m["201_actions.macro"] +
        m["empty.macro"],
        "unterminated.data": m["unterminated_name.macro"] + m["empty.macro"],
        "fragment.data": valid + bytes(40),
        "empty.data": b"",
    }


def checksum(report, first, last, at):
    total = sum(report[first:last + 1]) & 0xFFFF
    report[at] = total >> 8
    report[at + 1] = total & 0xFF


def config_report(command):
    r = bytearray(60)
    r[0:3] = bytes((command, 60, 1))
    return r


def mouse_reports():
    preamble = config_report(0x1C)
    preamble[3:6] = bytes((0xFE, 1, 0xFE))
    dpi = config_report(0x14)
    dpi[3] = 1  # ripple control on
    dpi[4] = 1
    dpi[5] = 0x3F  # six stages on
    for i, step in enumerate([16, 32, 48, 64, 100, 200, 0, 0]):
        dpi[8 + i] = step
        dpi[25 + 3 * i:28 + 3 * i] = bytes(STAGE_COLOURS[i])
    dpi[24] = 2
    dpi[49] = 1
    checksum(dpi, 3, 49, 50)
    lighting = config_report(0x15)
    lighting[3:11] = bytes((7 << 4, (10 & 0xF0) | 3, (10 << 4) & 0xFF | 8, 0, 255, 0, 1, 4))
    checksum(lighting, 3, 10, 11)
    polling = config_report(0x16)
    polling[3:5] = bytes((1, 0xFE))
    buttons = config_report(0x18)
    for k, code in enumerate([2, 3, 4, 0x0D, 1, 1, 6, 5, 1, 1, 1, 1, 1, 1, 9, 0x0A]):
        buttons[3 + 3 * k] = code
    checksum(buttons, 3, 50, 51)
    page = bytearray(131)
    page[0:3] = bytes((0x19, 131, 1))
    page[7] = 1  # repeat once
    page[8] = 2  # two 2-byte units
    page[9:13] = bytes((10, 4, 10 | 0x80, 4))
    checksum(page, 3, 128, 129)
    packets = []
    for index in range(3):
        p = bytearray(64)
        p[0:4] = bytes((0x19, 0x40 if index < 2 else 0x0C, 1, index))
        data = page[3 + 60 * index:3 + min(60 * index + 60, 128)]
        p[4:4 + len(data)] = data
        packets.append(p)
    return [preamble, dpi, lighting, polling, buttons], packets


def mouse_inputs():
    configs, packets = mouse_reports()

    def send(report):
        return bytes([0, len(report)]) + bytes(report)

    drain = bytes([3])
    apply_all = b"".join(send(r) + drain for r in configs)
    page = b"".join(send(p) for p in packets) + drain
    bad = bytearray(configs[1])
    bad[50] ^= 1
    return {
        "apply.in": bytes([0]) + apply_all + page,
        "late_acks.in": bytes([2]) + apply_all + bytes([4, 0xB0, 0x04]) + drain,
        "asleep.in": bytes([0, 5, 1]) + send(configs[3]) + bytes([5, 0]) + page,
        "bad_checksum.in": bytes([0]) + send(bad) + send(packets[1]) + drain,
        "never_ack.in": bytes([1]) + apply_all + bytes([4, 0xD0, 0x07]) + drain,
    }


def status(type_, v):
    return bytes([1, type_, v & 0xFF, v >> 8])


def status_inputs():
    receiver = b"".join([
        status(0x48, 1 | (80 << 8)), status(0x18, 3), status(0x28, 2), status(0x58, 0),
        status(0x68, 5), status(0x78, 0x30), status(0x88, 2), status(0x48, 3),
        bytes([6, 6, 5]), bytes([0, 0x11, 0x48, 2, 0])])
    wired = bytes([0b011]) + bytes([3, 1, 7]) + bytes([2, 2, 0, 0x11, 0x48]) + \
        bytes([2, 1, 0, 0x00, 0x7F]) + bytes([7, 3, 2])
    ble = bytes([0b1000]) + bytes([4, 4, 0x11, 0x48, 1, 50]) + bytes([4, 4, 0x11, 0x18, 8, 0]) + \
        bytes([4, 4, 0x11, 0x48, 3, 0]) + bytes([4, 2, 0x11, 0x48])
    return {
        "receiver.in": bytes([0]) + receiver,
        "wired.in": wired,
        "ble.in": ble,
        "out_of_range.in": bytes([0]) + status(0x18, 9) + status(0x28, 3) + status(0x68, 11) +
        status(0x48, 1 | (101 << 8)) + status(0x88, 6),
    }


def ini_inputs():
    return {
        "crlf.ini": b"[SETTING]\r\nModel=3\r\n",
        "lf_other_sections.ini": b"; kept\n[Other]\nKey=1\n\n[setting]\nmodel = 5\n",
        "bom.ini": b"\xef\xbb\xbf[SETTING]\nModel=2",
        "bad_value.ini": b"[SETTING]\nModel=9\n",
        "no_key.ini": b"[SETTING]\nOther=1\n",
        "empty.ini": b"",
    }


def instance_requests():
    # First byte: the size of the pieces the request arrives in, less one.
    return {
        "activate": b"\x05activate\n",
        "run_status": b'\x03run {"command":"status","simulate":"receiver"}\n',
        "run_import": b'\xffrun {"command":"profile import","file":"/tmp/a.pro","cwd":"/tmp",'
                      b'"data":"/tmp/d"}\n',
        "garbage": b"\x00run [1, 2\n",
    }


def skins(names):
    out = {}
    for name in names:
        with open(os.path.join(SKIN, name), "rb") as f:
            out[os.path.basename(name)] = f.read()
    return out


def main():
    corpus = os.path.join(ROOT, "corpus")
    p = profiles()
    sets = {
        "profile_record": p,
        "pro_import": p,
        "macro_import": macros(),
        "profile_store": profile_stores(),
        "macro_store": macro_stores(),
        "status_reports": status_inputs(),
        "virtual_mouse": mouse_inputs(),
        "settings_ini": ini_inputs(),
        "instance_request": instance_requests(),
        "language_file": dict(skins(["lan.xml"]), **{
            "broken.xml": b"<language><text key=\"a\">no end</language>",
            "entities.xml": b"<language><text key=\"a\">&amp;&lt;&#x263A;</text>"
                            b"<text>no key</text></language>"}),
        "menu_skin": dict(skins(["traymenu.xml", "MS/MS_1/ms_1_menu.xml"]), **{
            "broken.xml": b"<menu><item name=\"x\">",
            "outside.xml": b"<root><item name=\"a\"/><menu><separator/></menu>"
                           b"<menu><item name=\"b\"/></menu></root>"}),
    }
    for target, files in sets.items():
        folder = os.path.join(corpus, target)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(bytes(data))


if __name__ == "__main__":
    main()
