#!/usr/bin/python3
"""The page as a screen reader sees it, through AT-SPI.

Run on a private session bus (dbus-run-session): starts Xvfb, openbox, the accessibility bus
and `ms1 --simulate` with Qt's accessibility on, finds the application "ms1" on the desktop
and fails on
  - a showing focusable object without a name or without a role,
  - a focusable control that Tab does not reach (Tab is pressed until the focus comes round;
    an option of a group whose chosen option Tab reaches is reached with the arrows),
  - a name asked for that no object has (--expect NAME: names in the language asked for),
  - an object asked for by name that is missing or tells another value (--expect-value).

Usage: atspi_page.py --program build/bin/ms1 [--lang de_DE.UTF-8] [--expect "DPI Stufe 3"]...
       [--expect-value "Stage 3 DPI=2400"]... [--no-tab]
       [--dump] (prints the tree of showing objects: role, name, value, description)
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

START_SECONDS = 60
EVENT_SECONDS = 20
MAX_TABS = 400

# Objects reached inside their container by arrows, not by Tab.
INNER_ROLES = {
    Atspi.Role.LIST_ITEM, Atspi.Role.TABLE_CELL, Atspi.Role.MENU_ITEM, Atspi.Role.TREE_ITEM,
    Atspi.Role.PAGE_TAB,
}
NO_ROLES = {Atspi.Role.INVALID, Atspi.Role.UNKNOWN}


class Failed(Exception):
    pass


def poll(what, seconds, check):
    """Bounded poll of a state that raises no event: returns check()'s first true answer."""
    deadline = time.monotonic() + seconds
    while True:
        answer = check()
        if answer:
            return answer
        if time.monotonic() > deadline:
            raise Failed(f"timed out waiting for {what}")
        GLib.MainContext.default().iteration(False)
        time.sleep(0.05)


def stop(process):
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_xvfb(log):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1366x768x24", "-nolisten",
         "tcp"], pass_fds=(write_end,), stdout=log, stderr=log)
    os.close(write_end)
    number = b""
    while select.select([read_end], [], [], 20)[0]:
        chunk = os.read(read_end, 16)
        number += chunk
        if not chunk or chunk.endswith(b"\n"):
            break
    os.close(read_end)
    if not number.strip():
        stop(xvfb)
        raise Failed("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()


def states(obj):
    try:
        return obj.get_state_set()
    except GLib.Error:
        return None


def key_of(obj):
    """The same object on the bus: its application and path."""
    try:
        return (obj.get_process_id(), obj.path)
    except (GLib.Error, AttributeError):
        return id(obj)


def describe(obj):
    try:
        return f"{obj.get_role_name()} '{obj.get_name()}'"
    except GLib.Error:
        return "(gone)"


def walk(obj, depth=0, out=None):
    """Every showing object under obj, with its depth."""
    if out is None:
        out = []
    count = obj.get_child_count()
    for i in range(count):
        try:
            child = obj.get_child_at_index(i)
        except GLib.Error:
            continue
        if child is None:
            continue
        s = states(child)
        if s is None or not s.contains(Atspi.StateType.SHOWING):
            continue
        out.append((depth, child))
        walk(child, depth + 1, out)
    return out


def find_application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


class FocusWatch:
    """The objects that gain the focus, from the bridge's focus events."""

    def __init__(self):
        self.focused = []
        self.listener = Atspi.EventListener.new(self.on_event)
        self.listener.register("object:state-changed:focused")

    def on_event(self, event):
        if event.detail1 == 1 and event.source is not None:
            self.focused.append(event.source)

    def next_focus(self, after):
        deadline = time.monotonic() + EVENT_SECONDS
        context = GLib.MainContext.default()
        while len(self.focused) <= after:
            if time.monotonic() > deadline:
                return None
            context.iteration(False)
            if len(self.focused) <= after:
                time.sleep(0.01)
        return self.focused[-1]


def unnamed_in(objects):
    problems = []
    for _, obj in objects:
        s = states(obj)
        if s is None or not s.contains(Atspi.StateType.FOCUSABLE):
            continue
        if obj.get_role() in NO_ROLES:
            problems.append(f"no role: {describe(obj)}")
        if not obj.get_name().strip():
            problems.append(f"no name: {obj.get_role_name()} (child {obj.get_index_in_parent()}"
                            f" of {describe(obj.get_parent())})")
    return problems


def dump(objects):
    for depth, obj in objects:
        s = states(obj)
        if s is None:
            continue
        try:
            desc = obj.get_description()
        except GLib.Error:
            desc = ""
        mark = " [focusable]" if s.contains(Atspi.StateType.FOCUSABLE) else ""
        value = obj.get_value_iface()
        if value is not None:
            mark = f" = {value.get_current_value():g}" + mark
        print(f"{'  ' * depth}{obj.get_role_name()}: '{obj.get_name()}'"
              f"{' — ' + desc if desc else ''}{mark}")


def check_opened(app, objects, name, show):
    """Clicks the control named `name` as a person would and checks the window it opens."""
    target = next((o for _, o in objects if o.get_name() == name), None)
    if target is None:
        return [f"nothing named '{name}' to open"]
    before = {key_of(app.get_child_at_index(i)) for i in range(app.get_child_count())}
    box = target.get_extents(Atspi.CoordType.SCREEN)
    subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", "1"], check=True, timeout=10)

    def opened():
        for i in range(app.get_child_count()):
            child = app.get_child_at_index(i)
            s = states(child) if child is not None else None
            if (child is not None and key_of(child) not in before and s is not None
                    and s.contains(Atspi.StateType.SHOWING)):
                return child
        return None

    try:
        window = poll(f"the window that '{name}' opens", START_SECONDS, opened)
    except Failed as failure:
        return [str(failure)]
    poll("its controls", START_SECONDS, lambda: walk(window))
    shown = [(0, window)] + walk(window, 1)
    if show:
        print(f"--- opened by '{name}':")
        dump(shown)
    problems = [f"in '{name}': {p}" for p in unnamed_in(shown)]
    subprocess.run(["xdotool", "key", "Escape"], check=True, timeout=10)
    try:
        poll(f"the window of '{name}' to close on Escape", EVENT_SECONDS,
             lambda: opened() is None)
    except Failed as failure:
        problems.append(str(failure))
    return problems


def activate(window, log):
    """Brings the main window to the front as a person does: a click on its status line (no
    control there), then, if the window manager did not take it, its activation."""
    def active():
        return (states(window) or Atspi.StateSet()).contains(Atspi.StateType.ACTIVE)

    box = window.get_extents(Atspi.CoordType.SCREEN)
    for _ in range(3):
        subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2),
                        str(box.y + box.height - 6), "click", "1"], timeout=10)
        try:
            return poll("the main window to be active", EVENT_SECONDS, active)
        except Failed:
            subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^" + window.get_name() + "$", "windowactivate"],
                           stdout=log, stderr=log, timeout=30)
    return poll("the main window to be active", EVENT_SECONDS, active)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--bus-launcher", default="/usr/libexec/at-spi-bus-launcher")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--expect", action="append", default=[])
    parser.add_argument("--expect-value", action="append", default=[],
                        help="NAME=NUMBER: the object so named has this value")
    parser.add_argument("--dump", action="store_true")
    parser.add_argument("--no-tab", action="store_true")
    parser.add_argument("--open", action="append", default=[],
                        help="NAME: click the control so named and check the window it opens")
    args = parser.parse_args()
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        raise Failed("run me on a private session bus: dbus-run-session -- atspi_page.py ...")

    folder = tempfile.mkdtemp(prefix="ms1-atspi-")
    log = open(os.path.join(folder, "log.txt"), "w")
    processes = []
    try:
        xvfb, display = start_xvfb(log)
        processes.append(xvfb)
        os.environ["DISPLAY"] = display
        processes.append(subprocess.Popen(["openbox"], stdout=log, stderr=log))
        processes.append(subprocess.Popen([args.bus_launcher, "--launch-immediately"], stdout=log,
                                          stderr=log))
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)

        def bus_up():
            answer = session.call_sync(
                "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)), None,
                Gio.DBusCallFlags.NONE, -1, None)
            return answer.unpack()[0]

        # The launcher owns its name before anyone asks for the bus (no second launcher).
        poll("the accessibility bus", START_SECONDS, bus_up)
        Atspi.init()
        home = os.path.join(folder, "home")
        runtime = os.path.join(folder, "runtime")
        data = os.path.join(folder, "data")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        os.makedirs(data)
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   LANG=args.lang, LC_ALL=args.lang, LANGUAGE="")
        program = subprocess.Popen([args.program, "--simulate", "--data", data], env=env,
                                   stdout=log, stderr=log, start_new_session=True)
        processes.append(program)

        app = poll("the application ms1 on the accessibility bus", START_SECONDS,
                   lambda: program.poll() is None and find_application("ms1"))
        if program.poll() is not None:
            raise Failed("ms1 ended")
        # Every question goes to the program: states change under the polls below, and a
        # cached answer would never change.
        app.set_cache_mask(Atspi.Cache.NONE)
        # The page is filled once the controls of the DPI stages show.
        poll("the page's controls", START_SECONDS,
             lambda: any(o.get_role() == Atspi.Role.SLIDER for _, o in walk(app)))
        objects = walk(app)
        # Tab walks the main window: the one with the page (the virtual mouse has its own).
        main_window = next(child for depth, child in objects if depth == 0 and any(
            o.get_role() == Atspi.Role.SLIDER for _, o in walk(child)))
        in_main = {key_of(o) for _, o in walk(main_window)}
        if args.dump:
            dump(objects)
        problems = unnamed_in(objects)
        focusable = []
        for _, obj in objects:
            s = states(obj)
            if (s is not None and s.contains(Atspi.StateType.FOCUSABLE)
                    and s.contains(Atspi.StateType.ENABLED)
                    and obj.get_role() not in INNER_ROLES and key_of(obj) in in_main):
                focusable.append(obj)
        named = {o.get_name(): o for _, o in objects}
        for expected in args.expect:
            if expected not in named:
                problems.append(f"no object named '{expected}'")
        for expected in args.expect_value:
            name, number = expected.rsplit("=", 1)
            obj = named.get(name)
            value = obj.get_value_iface() if obj is not None else None
            if value is None:
                problems.append(f"no object named '{name}' with a value")
            elif value.get_current_value() != float(number):
                problems.append(f"'{name}' tells {value.get_current_value()}, not {number}")
        print(f"{len(focusable)} focusable controls showing, {len(objects)} showing objects")

        # Before Tab: its walk scrolls the page, and a person clicks what the page shows.
        for name in args.open:
            problems += check_opened(app, objects, name, args.dump)

        if not args.no_tab:
            activate(main_window, log)
            watch = FocusWatch()
            reached = {}
            first = None
            for presses in range(MAX_TABS):
                count = len(watch.focused)
                subprocess.run(["xdotool", "key", "Tab"], check=True, timeout=10)
                obj = watch.next_focus(count)
                if obj is None:
                    problems.append(f"Tab {presses + 1} moved the focus nowhere")
                    break
                key = key_of(obj)
                if first is None:
                    first = key
                elif key == first:
                    break
                reached[key] = obj
            print(f"Tab reached {len(reached)} controls")
            # An option group is one Tab stop, its chosen option; arrows walk the others.
            groups = {key_of(o.get_parent()) for o in reached.values()
                      if o.get_role() == Atspi.Role.RADIO_BUTTON}
            for obj in focusable:
                if (obj.get_role() == Atspi.Role.RADIO_BUTTON
                        and key_of(obj.get_parent()) in groups):
                    continue
                if key_of(obj) not in reached:
                    problems.append(f"Tab does not reach: {describe(obj)}"
                                    f" in {describe(obj.get_parent())}")
        for problem in problems:
            print(problem)
        return 1 if problems else 0
    finally:
        for process in reversed(processes):
            stop(process)
        log.close()
        if os.environ.get("MS1_KEEP_LOG"):
            print("log kept in", folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failed as failure:
        print("FAILED:", failure)
        sys.exit(1)
