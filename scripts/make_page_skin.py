#!/usr/bin/env python3
"""Writes skin/MS/MS_1/ms_1_page.xml, the mouse page skin (a Qt Designer UI file).

The page repeats the same rows many times (eight DPI stages, eighteen buttons), so the skin
is generated; edit this script and run it again rather than editing the XML by hand.

    scripts/make_page_skin.py [SKIN_DIR]

SKIN_DIR (default skin/) is the folder the file is written under, at MS/MS_1/ms_1_page.xml;
scripts/check_skins writes into a temporary one and compares.
"""
import os
import sys
from xml.sax.saxutils import escape

SKIN = os.path.join(os.path.dirname(__file__), "..", "skin")
PAGE = os.path.join("MS", "MS_1", "ms_1_page.xml")


def skin_dir():
    """The folder the skins are written under: the first argument, else the repository's."""
    return sys.argv[1] if len(sys.argv) > 1 else SKIN


def write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")

# Buttons, options and headers are reached with Tab but a click leaves the focus where it was,
# so that the focus ring shows where the keyboard is, not where the mouse last was. Sliders,
# edits, lists and the combo box take the focus on a click as well (the wheel guard needs it).
TAB_STOP = "<enum>Qt::TabFocus</enum>"

STYLE = """
QWidget#ms_1_page { background: #f4f6f9; }
QWidget { font-family: "DejaVu Sans"; font-size: 9pt; color: #1f2933; }
QFrame#ms_1_side { background: #ffffff; border-right: 1px solid #dde2e8; }
QFrame#ms_1_container_mouse_pic { background: #eef2f7; border-radius: 10px; }
QCheckBox[section="true"] { font-weight: bold; font-size: 9.75pt; color: #137fd0; spacing: 0px; padding: 2px 0; }
QCheckBox[section="true"]::indicator { width: 0px; height: 0px; border: none; background: transparent; image: none; }
QFrame[panel="true"] { background: #ffffff; border: 1px solid #dde2e8; border-radius: 8px; }
QFrame[panel="true"] QFrame[panel="true"] { border: none; }
QFrame[row="true"] { background: transparent; border: none; }
QLabel[caption="true"] { color: #52606d; }
QLabel[dpi="true"] { font-weight: bold; font-size: 9.75pt; color: #137fd0; }
QLabel[value="true"] { color: #323f4b; font-weight: bold; }
QLabel[link="true"] { background: #e3f1fc; color: #137fd0; border-radius: 9px; padding: 1px 8px; font-size: 8.25pt; }
QLabel#ms_1_low_power_label { background: #fde8e8; color: #c81e1e; border-radius: 6px; padding: 3px 6px; }
QLabel#ms_1_label_unconfirmed { background: #fff4e5; color: #a15c07; border: 1px solid #f5c27a; border-radius: 6px; padding: 1px 8px; font-size: 8.25pt; }
QProgressBar#ms_1_progress_power { background: #e4e8ee; border: none; border-radius: 5px; max-height: 10px; }
QProgressBar#ms_1_progress_power::chunk { background: #31c48d; border-radius: 5px; }
QProgressBar#ms_1_progress_power[level="low"]::chunk { background: #f5a524; }
QProgressBar#ms_1_progress_power[level="critical"]::chunk { background: #e02424; }
QListWidget#ms_1_list_profile { background: #ffffff; border: 1px solid #dde2e8; border-radius: 6px; outline: none; }
QListWidget#ms_1_list_profile::item { padding-left: 6px; border: none; background: transparent; }
QListWidget#ms_1_list_profile::item:selected { background: #137fd0; color: white; }
QPushButton { background: #eef1f5; border: 1px solid #c5ccd6; border-radius: 5px; padding: 3px 8px; min-height: 18px; }
QPushButton:hover { background: #e1e6ec; }
QPushButton[primary="true"] { background: #137fd0; color: white; border: none; font-weight: bold; padding: 5px 18px; }
QPushButton[primary="true"]:hover { background: #1a8fe3; }
QPushButton[swatch="true"] { border: 2px solid #c5ccd6; border-radius: 10px; min-width: 16px; max-width: 16px; min-height: 16px; max-height: 16px; padding: 0; }
QPushButton[swatch="true"]:hover { border: 2px solid #137fd0; }
QPushButton[key="true"] { text-align: left; padding-left: 8px; background: #f7f9fb; }
QPushButton[key="true"]:hover { background: #e3f1fc; border-color: #137fd0; }
QPushButton[keyfixed="true"] { text-align: left; padding-left: 8px; background: #f1f3f6; color: #52606d; }
QPushButton[pill="true"] { background: #eef1f5; border: 1px solid #c5ccd6; border-radius: 10px; padding: 2px 10px; min-height: 16px; }
QPushButton[pill="true"]:hover { border-color: #137fd0; }
QPushButton[pill="true"]:checked { background: #137fd0; color: white; border-color: #137fd0; }
QPushButton[mini="true"] { padding: 2px 0px; min-width: 26px; max-width: 26px; }
QPushButton[small="true"] { padding: 3px 2px; }
QRadioButton[stage="true"] { font-weight: bold; }
QLineEdit[dpiedit="true"] { border: 1px solid #c5ccd6; border-radius: 4px; padding: 1px 4px; background: #ffffff; }
QSlider::groove:horizontal { height: 4px; background: #dde2e8; border-radius: 2px; }
QSlider::sub-page:horizontal { background: #137fd0; border-radius: 2px; }
QSlider::handle:horizontal { background: #ffffff; border: 2px solid #137fd0; width: 10px; height: 10px; margin: -5px 0; border-radius: 7px; }
QComboBox { border: 1px solid #c5ccd6; border-radius: 5px; padding: 2px 8px; background: #ffffff; }
QScrollArea#ms_1_ver_setting { background: transparent; border: none; }
QWidget#ms_1_setting_content { background: #f4f6f9; }
QFrame#ms_1_bottom_bar { background: #ffffff; border-top: 1px solid #dde2e8; }
QPushButton:focus { border: 2px solid #0b63b0; padding: 2px 7px; outline: none; }
QPushButton[primary="true"]:focus { border: 2px solid #0a3d6b; padding: 3px 16px; }
QPushButton[swatch="true"]:focus { border: 2px solid #1f2933; }
QPushButton[pill="true"]:focus { border: 2px solid #0b63b0; padding: 1px 9px; }
QPushButton[pill="true"]:checked:focus { border-color: #0a2e57; }
QPushButton[mini="true"]:focus { padding: 1px 0px; }
QPushButton[small="true"]:focus { padding: 2px 1px; }
QCheckBox:focus, QRadioButton:focus { background: #e3f1fc; border: 1px solid #137fd0; border-radius: 4px; outline: none; }
QCheckBox[section="true"]:focus { padding: 1px 0; }
QSlider:focus { background: #e3f1fc; border: 1px solid #137fd0; border-radius: 4px; }
QSlider::handle:horizontal:focus { background: #137fd0; border: 2px solid #0a3d6b; }
QListWidget#ms_1_list_profile:focus { border: 2px solid #137fd0; }
QComboBox:focus { border: 2px solid #137fd0; padding: 1px 7px; }
QLineEdit[dpiedit="true"]:focus { border: 2px solid #137fd0; padding: 0px 3px; }
"""

LIGHT_MODES = ["Off", "Steady", "Breathing", "Spectrum cycle", "Rainbow wave", "Colour breathing",
               "Neon", "Flowing", "Heartbeat", "Starlight", "Tail chase", "Fade", "Reactive",
               "Stage colour", "Battery level", "Custom"]
# Where each button sits on the mouse; 4 is the DPI button and 7, 8 the side buttons forward
# and back, as their default functions are.
BUTTON_NAMES = ["Left", "Right", "Wheel click", "DPI (top)", "Top front", "Top rear",
                "Side forward", "Side back", "Side 3", "Side 4", "Side 5", "Side 6",
                "Tilt left", "Tilt right", "Wheel up", "Wheel down", "Bottom 1", "Bottom 2"]


class Ui:
    def __init__(self):
        self.lines = []
        self.depth = 0
        self.counter = 0

    def out(self, text):
        self.lines.append(" " * self.depth + text)

    def auto(self, base):
        self.counter += 1
        return f"{base}_{self.counter}"

    def open(self, cls, name, props=None, dyn=None):
        self.out(f'<widget class="{cls}" name="{name}">')
        self.depth += 1
        for key, val in (props or {}).items():
            self.out(f'<property name="{key}">{val}</property>')
        for key, val in (dyn or {}).items():
            self.out(f'<property name="{key}" stdset="0">{val}</property>')

    def close(self):
        self.depth -= 1
        self.out("</widget>")

    def layout(self, cls, margins=(0, 0, 0, 0), spacing=6, stretch=None):
        extra = f' stretch="{stretch}"' if stretch else ""
        self.out(f'<layout class="{cls}" name="{self.auto("layout")}"{extra}>')
        self.depth += 1
        self.out(f'<property name="spacing"><number>{spacing}</number></property>')
        for side, val in zip(("left", "top", "right", "bottom"), margins):
            self.out(f'<property name="{side}Margin"><number>{val}</number></property>')

    def end_layout(self):
        self.depth -= 1
        self.out("</layout>")

    def item(self, extra=""):
        self.out(f"<item{extra}>")
        self.depth += 1

    def end_item(self):
        self.depth -= 1
        self.out("</item>")

    def leaf(self, cls, name, props=None, dyn=None, extra=""):
        self.item(extra)
        self.open(cls, name, props, dyn)
        self.close()
        self.end_item()

    def spacer(self, horizontal=True, width=0, height=0, fixed=False):
        self.item()
        self.out(f'<spacer name="{self.auto("spacer")}">')
        self.depth += 1
        orient = "Qt::Horizontal" if horizontal else "Qt::Vertical"
        self.out(f'<property name="orientation"><enum>{orient}</enum></property>')
        if fixed:
            self.out('<property name="sizeType"><enum>QSizePolicy::Fixed</enum></property>')
        self.out(f'<property name="sizeHint" stdset="0"><size><width>{width}</width>'
                 f'<height>{height}</height></size></property>')
        self.depth -= 1
        self.out("</spacer>")
        self.end_item()


def s(text):
    return f"<string>{escape(text)}</string>"


def b(value):
    return f"<bool>{'true' if value else 'false'}</bool>"


def n(value):
    return f"<number>{value}</number>"


def size(w, h):
    return f"<size><width>{w}</width><height>{h}</height></size>"


def label(ui, name, text, dyn=None, props=None):
    p = {"text": s(text)}
    p.update(props or {})
    ui.leaf("QLabel", name, p, dyn)


def caption(ui, text, width=None):
    # A fixed width is given in pixels at the page's 9 pt text and kept in em, so that the
    # column grows with the desktop's text scale instead of clipping its captions.
    props = {}
    if width:
        em = f"{width / 12:.2f}em"
        props = {"styleSheet": s(f"min-width: {em}; max-width: {em};")}
    label(ui, ui.auto("ms_1_caption"), text, {"caption": b(True)}, props)


def slider(ui, name, lo, hi, value):
    ui.leaf("QSlider", name, {"orientation": "<enum>Qt::Horizontal</enum>", "minimum": n(lo),
                              "maximum": n(hi), "value": n(value), "pageStep": n(1)})


def pill(ui, name, text, checked=False, extra_dyn=None, tip_key=None):
    # A checkable, exclusive push button: an option of its group that looks like a pill.
    dyn = {"pill": b(True)}
    dyn.update(extra_dyn or {})
    props = {"text": s(text), "checkable": b(True), "autoExclusive": b(True),
             "checked": b(checked), "focusPolicy": TAB_STOP}
    if tip_key:
        # The tooltip is a language key, shown in the user's language.
        props["toolTip"] = s(tip_key)
        dyn["resourcetip"] = b(True)
    ui.leaf("QPushButton", name, props, dyn)


def section(ui, header, panel, title, body, checked=True, horizontal=False):
    # A header opens and closes its panel: the program gives it a triangle that points down
    # when open and right when closed in place of the indicator (a check box underneath, whose
    # state is the panel's, not a setting's).
    ui.leaf("QCheckBox", header, {"text": s(title), "checked": b(checked),
                                  "focusPolicy": TAB_STOP,
                                  "cursor": "<cursorShape>PointingHandCursor</cursorShape>"},
            {"section": b(True)})
    ui.item()
    ui.open("QFrame", panel, {"visible": b(checked)}, {"panel": b(True)})
    ui.layout("QHBoxLayout" if horizontal else "QVBoxLayout", (12, 8, 12, 8), 6)
    body(ui)
    ui.end_layout()
    ui.close()
    ui.end_item()


def row(ui, name, body, spacing=8):
    ui.item()
    ui.open("QFrame", name, {}, {"row": b(True)})
    ui.layout("QHBoxLayout", (0, 0, 0, 0), spacing)
    body(ui)
    ui.end_layout()
    ui.close()
    ui.end_item()


def dpi_body(ui):
    ui.item()
    ui.open("QFrame", "ms_1_grid_dpi", {}, {"row": b(True)})
    ui.out(f'<layout class="QGridLayout" name="{ui.auto("layout")}">')
    ui.depth += 1
    for prop, val in (("leftMargin", 0), ("topMargin", 0), ("rightMargin", 0), ("bottomMargin", 0),
                      ("horizontalSpacing", 10), ("verticalSpacing", 3)):
        ui.out(f'<property name="{prop}"><number>{val}</number></property>')
    for i in range(1, 9):
        r = i - 1
        ui.leaf("QRadioButton", f"ms_1_option_dpi_step_{i}",
                {"text": s(str(i)), "checked": b(i == 1), "focusPolicy": TAB_STOP,
                 "toolTip": s(f"Make stage {i} the active stage")},
                {"stage": b(True)}, f' row="{r}" column="0"')
        ui.leaf("QPushButton", f"ms_1_btn_dpi_color_{i}",
                {"toolTip": s(f"Colour of stage {i}"), "focusPolicy": TAB_STOP},
                {"swatch": b(True)}, f' row="{r}" column="1"')
        ui.leaf("QSlider", f"ms_1_slider_dpi_{i}",
                {"orientation": "<enum>Qt::Horizontal</enum>", "minimum": n(1), "maximum": n(340),
                 "value": n(16), "pageStep": n(4)}, None, f' row="{r}" column="2"')
        ui.leaf("QLabel", f"ms_1_label_dpi_{i}",
                {"text": s("800"), "minimumSize": size(52, 0),
                 "alignment": "<set>Qt::AlignRight|Qt::AlignVCenter</set>"},
                {"dpi": b(True)}, f' row="{r}" column="3"')
        ui.leaf("QLineEdit", f"ms_1_edit_dpi_{i}",
                {"text": s("800"), "maxLength": n(5), "minimumSize": size(58, 0),
                 "maximumSize": size(58, 16777215), "toolTip": s("Type a DPI value")},
                {"dpiedit": b(True)}, f' row="{r}" column="4"')
    ui.depth -= 1
    ui.out("</layout>")
    ui.close()
    ui.end_item()

    def buttons(ui):
        caption(ui, "The marked stage is active.")
        ui.spacer()
        ui.leaf("QPushButton", "ms_1_btn_reset_dpi", {"text": s("Default stages")})
        ui.leaf("QPushButton", "ms_1_btn_apply_dpi", {"text": s("Apply DPI")}, {"primary": b(True)})
    row(ui, "ms_1_row_dpi_buttons", buttons)


def light_body(ui):
    def mode(ui):
        caption(ui, "Effect", 86)
        ui.item()
        ui.open("QComboBox", "ms_1_combo_light", {"focusPolicy": "<enum>Qt::StrongFocus</enum>"})
        for text in LIGHT_MODES:
            ui.out(f'<item><property name="text">{s(text)}</property></item>')
        ui.close()
        ui.end_item()
        ui.spacer()
    row(ui, "ms_1_row_light_mode", mode)

    def brightness(ui):
        caption(ui, "Brightness", 86)
        slider(ui, "ms_1_slider_brightness", 0, 15, 8)
    row(ui, "ms_1_ver_brightness", brightness)

    def breath(ui):
        caption(ui, "Speed", 86)
        slider(ui, "ms_1_slider_breathspeed", 1, 8, 6)
    row(ui, "ms_1_ver_breathspeed", breath)

    def colour(ui):
        caption(ui, "Colour", 86)
        ui.leaf("QPushButton", "ms_1_btn_light_color",
                {"toolTip": s("Lighting colour"), "focusPolicy": TAB_STOP},
                {"swatch": b(True)})
        ui.spacer()
    row(ui, "ms_1_hor_light_color", colour)

    ui.leaf("QCheckBox", "ms_1_check_move_close_light",
            {"text": s("Turn the lights off while the mouse moves")})


def prate_body(ui):
    caption(ui, "Reports per second", 140)
    ui.item()
    ui.open("QFrame", "ms_1_group_prate", {}, {"row": b(True)})
    ui.layout("QHBoxLayout", (0, 0, 0, 0), 6)
    for i, text in enumerate(["125 Hz", "250 Hz", "500 Hz", "1000 Hz"], start=1):
        pill(ui, f"ms_1_btn_prate_{i}", text, i == 4)
    ui.end_layout()
    ui.close()
    ui.end_item()
    label(ui, "ms_1_label_prate", "", {"caption": b(True)})
    ui.spacer()


def buttons_body(ui):
    for column in range(2):
        ui.item()
        ui.open("QFrame", f"ms_1_column_keys_{column + 1}", {}, {"row": b(True)})
        ui.layout("QVBoxLayout", (0, 0, 0, 0), 3)
        for k in range(column * 9 + 1, column * 9 + 10):
            def key_row(ui, k=k):
                caption(ui, f"{k}. {BUTTON_NAMES[k - 1]}", 112)
                dyn = {"key": b(True)} if k <= 12 else {"keyfixed": b(True)}
                tip = "Choose this button's function" if k <= 12 else "Fixed function"
                ui.leaf("QPushButton", f"ms_1_btn_key_{k}",
                        {"text": s(""), "toolTip": s(tip), "minimumSize": size(80, 0),
                         "sizePolicy": '<sizepolicy hsizetype="Ignored" vsizetype="Fixed">'
                                       '<horstretch>0</horstretch><verstretch>0</verstretch>'
                                       '</sizepolicy>',
                         "focusPolicy": TAB_STOP}, dyn)
            row(ui, f"ms_1_key_control_{k}", key_row, 4)
        if column == 1:
            ui.leaf("QPushButton", "ms_1_btn_macro", {"text": s("Macro editor…")})
        ui.end_layout()
        ui.close()
        ui.end_item()


def attribute_body(ui):
    label(ui, "ms_1_caption_pointer",
          "Pointer speed, double-click speed and handedness are settings of the desktop.",
          {"caption": b(True)}, {"wordWrap": b(True)})
    ui.spacer()
    ui.leaf("QPushButton", "ms_1_btn_mouse_attribute", {"text": s("Desktop mouse settings")})


def power_setting_body(ui):
    def light_off(ui):
        slider(ui, "ms_1_slider_light_off", 1, 20, 1)
        label(ui, "ms_1_label_light_off", "", {"value": b(True)},
              {"minimumSize": size(190, 0)})
    row(ui, "ms_1_row_light_off", light_off)

    def sleep(ui):
        slider(ui, "ms_1_slider_sleep_timer", 1, 15, 10)
        label(ui, "ms_1_label_sleep_timer", "", {"value": b(True)},
              {"minimumSize": size(190, 0)})
    row(ui, "ms_1_row_sleep_timer", sleep)


def two_options(prefix, first, second):
    def body(ui):
        ui.item()
        ui.open("QFrame", f"{prefix}group", {}, {"row": b(True)})
        ui.layout("QHBoxLayout", (0, 0, 0, 0), 6)
        pill(ui, f"{prefix}1", first, True)
        pill(ui, f"{prefix}2", second)
        ui.end_layout()
        ui.close()
        ui.end_item()
        ui.spacer()
    return body


def debounce_body(ui):
    slider(ui, "ms_1_slider_key_debounce", 1, 15, 4)
    label(ui, "ms_1_label_key_debounce", "", {"value": b(True)}, {"minimumSize": size(70, 0)})


def side(ui):
    ui.item()
    ui.open("QFrame", "ms_1_side", {"minimumSize": size(232, 0), "maximumSize": size(232, 16777215)})
    # Items: picture, models, links, battery header and panel, profiles header and panel, and
    # the spacer at the end; the profiles' panel takes the height (stretch 1).
    ui.layout("QVBoxLayout", (14, 10, 14, 10), 6, stretch="0,0,0,0,0,0,1,0")
    ui.leaf("QFrame", "ms_1_container_mouse_pic",
            {"minimumSize": size(204, 112), "maximumSize": size(204, 112)})

    def models(ui):
        for i in range(1, 7):
            pill(ui, f"ms_1_option_mouse_pic_{i}", str(i), i == 1, {"mini": b(True)},
                 f"mouse_model_{i}_tip_text")
        ui.spacer()
    row(ui, "ms_1_hor_mouse_pic", models, 3)

    def links(ui):
        label(ui, "ms_1_wired", "Wired", {"link": b(True)}, {"visible": b(False)})
        label(ui, "ms_1_wireless", "2.4 GHz", {"link": b(True)}, {"visible": b(False)})
        label(ui, "ms_1_BLE", "Bluetooth", {"link": b(True)}, {"visible": b(False)})
        ui.spacer()
    row(ui, "ms_1_hor_links", links, 4)

    def power(ui):
        def bar(ui):
            ui.leaf("QProgressBar", "ms_1_progress_power",
                    {"value": n(0), "textVisible": b(False)})
            label(ui, "ms_1_label_power", "–", {"value": b(True)}, {"minimumSize": size(64, 0)})
        row(ui, "ms_1_row_power", bar)
        label(ui, "ms_1_low_power_label", "Battery low: please charge the mouse.", None,
              {"visible": b(False), "wordWrap": b(True)})
    section(ui, "ms_1_check_power", "ms_1_ver_power", "Battery", power)

    def profile(ui):
        ui.leaf("QListWidget", "ms_1_list_profile",
                {"minimumSize": size(0, 70), "horizontalScrollBarPolicy":
                 "<enum>Qt::ScrollBarAlwaysOff</enum>"})
        # Why the active profile is active, when a rule chose it.
        label(ui, "ms_1_label_active_reason", "", {"caption": b(True)},
              {"visible": b(False), "wordWrap": b(True)})
        ui.item()
        ui.open("QFrame", "ms_1_grid_profile_buttons", {}, {"row": b(True)})
        ui.out(f'<layout class="QGridLayout" name="{ui.auto("layout")}">')
        ui.depth += 1
        for prop, val in (("leftMargin", 0), ("topMargin", 0), ("rightMargin", 0),
                          ("bottomMargin", 0), ("horizontalSpacing", 4), ("verticalSpacing", 4)):
            ui.out(f'<property name="{prop}"><number>{val}</number></property>')
        buttons = [("ms_1_profile_add_btn", "Add"), ("ms_1_profile_rename_btn", "Rename"),
                   ("ms_1_profile_delete_btn", "Delete"), ("ms_1_profile_import_btn", "Import"),
                   ("ms_1_profile_export_btn", "Export"), ("ms_1_profile_reset_btn", "Reset")]
        for index, (name, text) in enumerate(buttons):
            props = {"text": s(text), "focusPolicy": TAB_STOP}
            if name == "ms_1_profile_reset_btn":
                # "Restore defaults" in the bottom bar does the same: one button for it.
                props["visible"] = b(False)
            ui.leaf("QPushButton", name, props,
                    {"small": b(True)}, f' row="{index // 3}" column="{index % 3}"')
        ui.depth -= 1
        ui.out("</layout>")
        ui.close()
        ui.end_item()
    section(ui, "ms_1_check_profile", "ms_1_ver_profile", "Profiles", profile)
    # Takes the height the profiles leave when they are closed; without it the rows above
    # would grow into tall blocks.
    ui.spacer(horizontal=False, width=20, height=0)
    ui.end_layout()
    ui.close()
    ui.end_item()


def settings(ui):
    ui.item()
    ui.open("QScrollArea", "ms_1_ver_setting",
            {"widgetResizable": b(True), "horizontalScrollBarPolicy":
             "<enum>Qt::ScrollBarAlwaysOff</enum>", "frameShape": "<enum>QFrame::NoFrame</enum>",
             "focusPolicy": "<enum>Qt::NoFocus</enum>"})
    ui.open("QWidget", "ms_1_setting_content")
    ui.layout("QVBoxLayout", (14, 10, 14, 10), 6)
    section(ui, "ms_1_check_dpi", "ms_1_ver_dpi", "DPI stages", dpi_body)
    section(ui, "ms_1_check_light", "ms_1_ver_light", "Lighting", light_body, checked=False)
    section(ui, "ms_1_check_prate", "ms_1_ver_prate", "Polling rate", prate_body, horizontal=True)
    section(ui, "ms_1_check_button", "ms_1_hor_button", "Buttons", buttons_body, horizontal=True)
    section(ui, "ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute", "Pointer",
            attribute_body, horizontal=True)
    section(ui, "ms_1_check_power_setting", "ms_1_ver_power_setting", "Lights off and sleep",
            power_setting_body, checked=False)
    section(ui, "ms_1_check_lift_of_distance", "ms_1_hor_lift_of_distance", "Lift-off distance",
            two_options("ms_1_option_lift_of_distance_", "Low", "High"), checked=False,
            horizontal=True)
    section(ui, "ms_1_check_key_debounce", "ms_1_hor_key_debounce", "Button debounce",
            debounce_body, checked=False, horizontal=True)
    section(ui, "ms_1_check_ripple_control", "ms_1_hor_ripple_control", "Ripple control",
            two_options("ms_1_option_ripple_control_", "Off", "On"), checked=False,
            horizontal=True)
    section(ui, "ms_1_check_angle_snap", "ms_1_hor_angle_snap", "Angle snapping",
            two_options("ms_1_option_angle_snap_", "Off", "On"), checked=False, horizontal=True)
    ui.spacer(horizontal=False, width=20, height=0)
    ui.end_layout()
    ui.close()
    ui.close()
    ui.end_item()

    def bottom(ui):
        ui.leaf("QPushButton", "ms_1_btn_reset", {"text": s("Restore defaults"),
                                                  "toolTip": s("restore_defaults_tip_text"),
                                                  "focusPolicy": TAB_STOP},
                {"resourcetip": b(True)})
        unconfirmed = "The mouse did not confirm the last change; it will be sent again."
        # Wrapped where the bottom bar is narrow, with the whole text as its tooltip.
        label(ui, "ms_1_label_unconfirmed", unconfirmed, None,
              {"visible": b(False), "wordWrap": b(True), "toolTip": s(unconfirmed)})
        ui.spacer()
        ui.leaf("QPushButton", "ms_1_apply_btn", {"text": s("Apply"),
                                                  "focusPolicy": TAB_STOP},
                {"primary": b(True)})
    ui.item()
    # At least 44 high; taller when the notice wraps onto a third line at a large text scale.
    ui.open("QFrame", "ms_1_bottom_bar", {"minimumSize": size(0, 44),
                                          "sizePolicy": '<sizepolicy hsizetype="Preferred" '
                                          'vsizetype="Minimum"><horstretch>0</horstretch>'
                                          '<verstretch>0</verstretch></sizepolicy>'})
    ui.layout("QHBoxLayout", (14, 6, 14, 6), 8)
    bottom(ui)
    ui.end_layout()
    ui.close()
    ui.end_item()


def main():
    ui = Ui()
    ui.out('<?xml version="1.0" encoding="UTF-8"?>')
    ui.out("<!-- Generated by scripts/make_page_skin.py: edit the script, not this file. -->")
    ui.out('<ui version="4.0">')
    ui.out("<class>ms_1_page</class>")
    ui.open("QWidget", "ms_1_page",
            {"geometry": "<rect><x>0</x><y>0</y><width>800</width><height>488</height></rect>",
             "styleSheet": f'<string notr="true">{escape(STYLE)}</string>'})
    ui.layout("QHBoxLayout", (0, 0, 0, 0), 0)
    side(ui)
    ui.item()
    ui.open("QFrame", "ms_1_main_column")
    ui.layout("QVBoxLayout", (0, 0, 0, 0), 0)
    settings(ui)
    ui.end_layout()
    ui.close()
    ui.end_item()
    ui.end_layout()
    ui.close()
    ui.out("<resources/>")
    ui.out("<connections/>")
    ui.out("</ui>")
    write(os.path.join(skin_dir(), PAGE), ui.lines)


if __name__ == "__main__":
    main()
