#!/usr/bin/env python3
"""Writes the macro editor's skins (Qt Designer UI files):

  skin/MS/MS_1/ms_1_macropage.xml  the editor window
  skin/keylistitem.xml             one row of its action list

Edit this script and run it again rather than editing the XML by hand. The control names are
the ones the program looks up; the texts and the look are free.

    scripts/make_macro_skin.py [SKIN_DIR]

SKIN_DIR (default skin/) is the folder the files are written under.
"""
import os
import sys
from xml.sax.saxutils import escape

sys.dont_write_bytecode = True  # no __pycache__ in scripts/
sys.path.insert(0, os.path.dirname(__file__))
from make_page_skin import Ui, s, b, n, size, label, caption, row, skin_dir, write  # noqa: E402


STYLE = """
QDialog#ms_1_macro_wnd { background: #f4f6f9; border: 1px solid #c5ccd6; }
QWidget { font-family: "DejaVu Sans"; font-size: 9pt; color: #1f2933; }
QFrame#caption { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #137fd0, stop:1 #1a9bb5); }
QLabel#title { color: white; font-weight: bold; font-size: 10.5pt; }
QPushButton#btn_exit { color: white; background: transparent; border: none; font-size: 12pt; min-width: 28px; }
QPushButton#btn_exit:hover { background: rgba(255, 255, 255, 40); }
QFrame[panel="true"] { background: #ffffff; border: 1px solid #dde2e8; border-radius: 8px; }
QFrame[row="true"] { background: transparent; border: none; }
QLabel[caption="true"] { color: #52606d; }
QLabel[heading="true"] { font-weight: bold; color: #137fd0; }
QLabel[columnhead="true"] { color: #52606d; font-size: 8.25pt; }
QLabel#ms_1_macro_hook_note { background: #fff4e5; color: #a15c07; border: 1px solid #f5c27a; border-radius: 6px; padding: 4px 8px; }
QListWidget { background: #ffffff; border: 1px solid #dde2e8; border-radius: 6px; outline: none; }
QListWidget#ms_1_macro_list::item { padding-left: 6px; }
QListWidget::item:selected { background: #d6ebfb; color: #1f2933; }
QListWidget::item:hover { background: #eef6fd; }
QPushButton { background: #eef1f5; border: 1px solid #c5ccd6; border-radius: 5px; padding: 4px 10px; min-height: 18px; }
QPushButton:hover { background: #e1e6ec; }
QPushButton:disabled { color: #9aa5b1; }
QPushButton[primary="true"] { background: #137fd0; color: white; border: none; font-weight: bold; padding: 5px 16px; }
QPushButton[primary="true"]:hover { background: #1a8fe3; }
QPushButton[mousebtn="true"] { padding: 4px 6px; min-width: 48px; }
QCheckBox#ms_1_macro_record_btn { background: #137fd0; color: white; font-weight: bold; border-radius: 6px; padding: 7px 16px; spacing: 8px; }
QCheckBox#ms_1_macro_record_btn::indicator { width: 10px; height: 10px; border-radius: 5px; background: #ff6b6b; }
QCheckBox#ms_1_macro_record_btn::indicator:checked { background: white; }
QCheckBox#ms_1_macro_record_btn:checked { background: #c81e1e; }
QCheckBox#ms_1_macro_record_btn:disabled { background: #b8c4d0; }
QCheckBox#ms_1_macro_record_btn::indicator:disabled { background: #e4e8ee; }
QLineEdit { border: 1px solid #c5ccd6; border-radius: 4px; padding: 3px 6px; background: #ffffff; }
QLineEdit:focus { border: 2px solid #137fd0; }
QLineEdit:disabled { background: #f1f3f6; color: #7b8794; }
QComboBox { border: 1px solid #c5ccd6; border-radius: 5px; padding: 2px 8px; background: #ffffff; }
QPushButton:focus { border: 2px solid #0b63b0; padding: 3px 9px; outline: none; }
QPushButton[primary="true"]:focus { border: 2px solid #0a3d6b; padding: 3px 14px; }
QPushButton[mousebtn="true"]:focus { padding: 3px 5px; }
QCheckBox#ms_1_macro_record_btn:focus { border: 2px solid #0a3d6b; padding: 5px 14px; }
QCheckBox:focus, QRadioButton:focus { background: #e3f1fc; border: 1px solid #137fd0; border-radius: 4px; outline: none; }
QListWidget:focus { border: 2px solid #137fd0; }
QComboBox:focus { border: 2px solid #137fd0; padding: 1px 7px; }
QWidget#keylistitem QLabel#action { color: #323f4b; }
QWidget#keylistitem QLabel#delay { color: #52606d; }
"""

# The rows' colours are the editor's (STYLE), so that the dark style, laid over the editor's
# sheet, can change them: a row's own sheet would win over any sheet of the editor.
ROW_STYLE = """
QWidget#keylistitem QLabel { background: transparent; }
QWidget#keylistitem QLabel#key { font-weight: bold; }
"""

MOUSE_BUTTONS = [("ms_1_macro_key1_btn", "Left"), ("ms_1_macro_key2_btn", "Right"),
                 ("ms_1_macro_key3_btn", "Middle"), ("ms_1_macro_key4_btn", "Forward"),
                 ("ms_1_macro_key5_btn", "Back")]
NO_FOCUS = "<enum>Qt::NoFocus</enum>"
# Reached with Tab; a click leaves the focus where it was. Keys typed while recording never act
# on the editor, so a focused button cannot be pressed by a recorded Space.
TAB_STOP = "<enum>Qt::TabFocus</enum>"
# Panels below the action list keep their own height; the list takes what is left.
KEEP_HEIGHT = ('<sizepolicy hsizetype="Preferred" vsizetype="Maximum"><horstretch>0</horstretch>'
               '<verstretch>0</verstretch></sizepolicy>')


def button(ui, name, text, tip=None, dyn=None, focus=False, stop=True):
    props = {"text": s(text), "autoDefault": b(False)}
    if tip:
        props["toolTip"] = s(tip)
    if not focus:
        props["focusPolicy"] = TAB_STOP if stop else NO_FOCUS
    ui.leaf("QPushButton", name, props, dyn)


def edit(ui, name, width=None, max_length=None, tip=None, placeholder=None):
    props = {}
    if width:
        props["minimumSize"] = size(width, 0)
        props["maximumSize"] = size(width, 16777215)
    if max_length:
        props["maxLength"] = n(max_length)
    if tip:
        props["toolTip"] = s(tip)
    if placeholder:
        props["placeholderText"] = s(placeholder)
    ui.leaf("QLineEdit", name, props)


def frame(ui, name, body, horizontal=False, panel=False, margins=(0, 0, 0, 0), spacing=6,
          props=None):
    ui.item()
    ui.open("QFrame", name, props or {}, {"panel": b(True)} if panel else {"row": b(True)})
    ui.layout("QHBoxLayout" if horizontal else "QVBoxLayout", margins, spacing)
    body(ui)
    ui.end_layout()
    ui.close()
    ui.end_item()


def caption_bar(ui):
    def body(ui):
        label(ui, "title", "Macro editor")
        ui.spacer()
        # The title bar's close is the frame's, as Esc is: no Tab stop.
        button(ui, "btn_exit", "✕", "Close the editor", stop=False)
    frame(ui, "caption", body, horizontal=True, margins=(16, 0, 6, 0),
          props={"minimumSize": size(0, 40), "maximumSize": size(16777215, 40)})


def macro_column(ui):
    def body(ui):
        label(ui, "ms_1_macro_list_heading", "Macros", {"heading": b(True)})
        ui.leaf("QListWidget", "ms_1_macro_list",
                {"horizontalScrollBarPolicy": "<enum>Qt::ScrollBarAlwaysOff</enum>"})

        def add_delete(ui):
            button(ui, "ms_1_macro_add_btn", "New", "Add a macro")
            button(ui, "ms_1_macro_delete_btn", "Delete", "Delete the selected macro")
        row(ui, "ms_1_macro_row_add", add_delete, 6)

        def files(ui):
            button(ui, "ms_1_macro_import_btn", "Import…", "Add a macro from a .macro file")
            button(ui, "ms_1_macro_export_btn", "Export…",
                   "Save the selected macro to a .macro file")
        row(ui, "ms_1_macro_row_files", files, 6)
        label(ui, "ms_1_macro_kept_note", "macro_changes_kept_text",
              {"caption": b(True), "resourcetext": b(True)}, {"wordWrap": b(True)})
    frame(ui, "ms_1_macro_column", body, panel=True, margins=(12, 10, 12, 12), spacing=8,
          props={"minimumSize": size(220, 0), "maximumSize": size(220, 16777215)})


def name_and_mouse_panels(ui):
    def top(ui):
        def name(ui):
            caption(ui, "Name", 44)
            edit(ui, "ms_1_macro_name_edit", max_length=23,
                 tip="The macro's name; it is taken when you leave the field")
        frame(ui, "ms_1_macro_name_tab", name, horizontal=True)

        def mouse(ui):
            caption(ui, "Insert", 44)
            for name, text in MOUSE_BUTTONS:
                button(ui, name, text, f"Insert a press and a release of the {text.lower()} "
                       "button after the selected action", {"mousebtn": b(True)})
            ui.spacer()
        frame(ui, "ms_1_macro_mouse_event_tab", mouse, horizontal=True,
              props={"visible": b(False)})
        ui.leaf("QCheckBox", "ms_1_macro_insert_mouse_btn",
                {"text": s("Mouse buttons"), "focusPolicy": TAB_STOP,
                 "toolTip": s("Show the buttons that insert mouse-button events")})
    frame(ui, "ms_1_macro_row_top", top, horizontal=True, spacing=10)


def action_list(ui):
    def heads(ui):
        ui.spacer(width=8, height=0, fixed=True)
        label(ui, "ms_1_macro_head_key", "Key or button", {"columnhead": b(True)},
              {"minimumSize": size(190, 0)})
        label(ui, "ms_1_macro_head_action", "Action", {"columnhead": b(True)})
        ui.spacer()
        label(ui, "ms_1_macro_head_delay", "Delay after (ms)", {"columnhead": b(True)})
        ui.spacer(width=24, height=0, fixed=True)
    frame(ui, "ms_1_macro_row_heads", heads, horizontal=True, spacing=10)
    ui.leaf("QListWidget", "ms_1_macro_action_list",
            {"minimumSize": size(0, 120),
             "horizontalScrollBarPolicy": "<enum>Qt::ScrollBarAlwaysOff</enum>",
             "verticalScrollMode": "<enum>QAbstractItemView::ScrollPerPixel</enum>",
             "uniformItemSizes": b(True)})

    def moves(ui):
        button(ui, "ms_1_macro_up_btn", "▲ Up", "Move the selected action up")
        button(ui, "ms_1_macro_down_btn", "▼ Down", "Move the selected action down")
        button(ui, "ms_1_macro_delete_action_btn", "Delete action", "Delete the selected action")
        ui.spacer()
        button(ui, "ms_1_macro_clear_action_btn", "Clear all", "Delete every action of the macro")
    row(ui, "ms_1_macro_row_moves", moves, 6)


def recording(ui):
    def body(ui):
        def first(ui):
            ui.leaf("QCheckBox", "ms_1_macro_record_btn",
                    {"text": s("start_recording_text"), "focusPolicy": TAB_STOP,
                     "minimumSize": size(180, 0), "maximumSize": size(180, 16777215),
                     "toolTip": s("Record keys and mouse buttons; new actions go after the "
                                  "selected one")},
                    {"resourcetext": b(True)})
            label(ui, "ms_1_macro_record_hint",
                  "Keys and mouse buttons go in after the selected action. Clicks on this "
                  "window are not recorded, so the click that stops is not either.",
                  {"caption": b(True)}, {"wordWrap": b(True)})
        row(ui, "ms_1_macro_row_record", first, 12)

        def delays(ui):
            caption(ui, "Delays:")
            ui.leaf("QRadioButton", "ms_1_record_delay_btn",
                    {"text": s("Recorded delays"), "focusPolicy": TAB_STOP})
            ui.leaf("QRadioButton", "ms_1_default_delay_btn",
                    {"text": s("Default delay"), "checked": b(True), "focusPolicy": TAB_STOP})
            edit(ui, "ms_1_default_delay_edit", width=60, max_length=5,
                 tip="Delay between recorded actions, 10 to 25000 ms")
            caption(ui, "ms")
            ui.leaf("QRadioButton", "ms_1_no_delay_btn",
                    {"text": s("No delay"), "focusPolicy": TAB_STOP})
            ui.spacer()
        row(ui, "ms_1_macro_row_delays", delays, 10)
        label(ui, "ms_1_macro_hook_note", "hook_unavailable_text", {"resourcetext": b(True)},
              {"visible": b(False), "wordWrap": b(True)})
    frame(ui, "ms_1_macro_recording", body, panel=True, margins=(12, 10, 12, 10), spacing=8,
          props={"sizePolicy": KEEP_HEIGHT})


def edit_panel(ui):
    def body(ui):
        ui.leaf("QCheckBox", "ms_1_macro_action_edit_check",
                {"text": s("Edit the selected action"), "focusPolicy": TAB_STOP})
        ui.item()
        ui.open("QStackedWidget", "ms_1_macro_action_edit_tab",
                {"minimumSize": size(0, 34), "maximumSize": size(16777215, 34)})

        def page(name, content):
            ui.open("QWidget", name)
            ui.layout("QHBoxLayout", (0, 0, 0, 0), 8)
            content(ui)
            ui.end_layout()
            ui.close()

        page("ms_1_macro_edit_page_none", lambda ui: caption(
            ui, "Select an action and tick the box to change its key, button or delay."))

        def key_page(ui):
            caption(ui, "Key", 60)
            edit(ui, "ms_1_macro_action_edit", width=170,
                 tip="Click here, then press the key the action should use",
                 placeholder="press a key")
            caption(ui, "Delay after")
            edit(ui, "ms_1_macro_delay_edit", width=70, max_length=5, tip="1 to 25000 ms")
            caption(ui, "ms")
            ui.spacer()
        page("ms_1_macro_edit_page_key", key_page)

        def mouse_page(ui):
            caption(ui, "Button", 60)
            ui.item()
            ui.open("QComboBox", "ms_1_macro_mouse_action_combo",
                    {"minimumSize": size(170, 0), "focusPolicy": "<enum>Qt::StrongFocus</enum>"})
            for _, text in MOUSE_BUTTONS:
                ui.out(f'<item><property name="text">{s(text + " button")}</property></item>')
            ui.close()
            ui.end_item()
            caption(ui, "Delay after")
            edit(ui, "ms_1_macro_mouseaction_delay_edit", width=70, max_length=5,
                 tip="1 to 25000 ms")
            caption(ui, "ms")
            ui.spacer()
        page("ms_1_macro_edit_page_mouse", mouse_page)
        ui.close()
        ui.end_item()

        # Under the fields they act on, left, named after the action: not where a dialog's
        # OK and Cancel sit, since they neither close the window nor undo other changes.
        def buttons(ui):
            button(ui, "ms_1_macro_save_btn", "macro_save_action_text",
                   "macro_save_action_tip_text", {"primary": b(True), "resourcetext": b(True), "resourcetip": b(True)})
            button(ui, "ms_1_macro_cancel_btn", "macro_revert_action_text",
                   "macro_revert_action_tip_text", {"resourcetext": b(True), "resourcetip": b(True)})
            ui.spacer()
        row(ui, "ms_1_macro_row_save", buttons, 8)
    frame(ui, "ms_1_macro_edit_panel", body, panel=True, margins=(12, 10, 12, 10), spacing=6,
          props={"sizePolicy": KEEP_HEIGHT})


def action_column(ui):
    def body(ui):
        name_and_mouse_panels(ui)
        action_list(ui)
        recording(ui)
        edit_panel(ui)
    frame(ui, "ms_1_macro_actions", body, margins=(0, 0, 0, 0), spacing=8)


def editor():
    ui = Ui()
    ui.out('<?xml version="1.0" encoding="UTF-8"?>')
    ui.out("<!-- Generated by scripts/make_macro_skin.py: edit the script, not this file. -->")
    ui.out('<ui version="4.0">')
    ui.out("<class>ms_1_macro_wnd</class>")
    ui.open("QDialog", "ms_1_macro_wnd",
            {"geometry": "<rect><x>0</x><y>0</y><width>800</width><height>800</height></rect>",
             "minimumSize": size(800, 560),
             "styleSheet": f'<string notr="true">{escape(STYLE)}</string>'},
            {"frameless": b(True)})
    ui.layout("QVBoxLayout", (0, 0, 0, 0), 0)
    caption_bar(ui)

    def body(ui):
        macro_column(ui)
        action_column(ui)
    frame(ui, "ms_1_macro_body", body, horizontal=True, margins=(14, 12, 14, 14), spacing=12)
    ui.end_layout()
    ui.close()
    ui.out("<resources/>")
    ui.out("<connections/>")
    ui.out("</ui>")
    return ui.lines


def key_list_item():
    ui = Ui()
    ui.out('<?xml version="1.0" encoding="UTF-8"?>')
    ui.out("<!-- Generated by scripts/make_macro_skin.py: edit the script, not this file. -->")
    ui.out("<!-- One row of the macro editor's action list: sub-controls key, action, delay. -->")
    ui.out('<ui version="4.0">')
    ui.out("<class>keylistitem</class>")
    ui.open("QWidget", "keylistitem",
            {"geometry": "<rect><x>0</x><y>0</y><width>480</width><height>30</height></rect>",
             "minimumSize": size(0, 30), "maximumSize": size(16777215, 30),
             "styleSheet": f'<string notr="true">{escape(ROW_STYLE)}</string>'})
    ui.layout("QHBoxLayout", (8, 0, 12, 0), 10)
    align = "<set>Qt::AlignLeft|Qt::AlignVCenter</set>"
    # The pictures sit left in their cells (at most 35 px wide); the text starts after them.
    ui.leaf("QLabel", "key", {"minimumSize": size(190, 30), "maximumSize": size(190, 30),
                              "alignment": align, "indent": n(42)})
    ui.leaf("QLabel", "action", {"minimumSize": size(150, 30), "alignment": align,
                                 "indent": n(28)})
    ui.spacer()
    ui.leaf("QLabel", "delay", {"minimumSize": size(70, 30),
                                "alignment": "<set>Qt::AlignRight|Qt::AlignVCenter</set>"})
    ui.end_layout()
    ui.close()
    ui.out("<resources/>")
    ui.out("<connections/>")
    ui.out("</ui>")
    return ui.lines


def main():
    skin = skin_dir()
    write(os.path.join(skin, "MS", "MS_1", "ms_1_macropage.xml"), editor())
    write(os.path.join(skin, "keylistitem.xml"), key_list_item())


if __name__ == "__main__":
    main()
