#!/usr/bin/env python3
"""scripts/check_layers against small trees: each include that ran the wrong way before the
folders were rebuilt fails it, with its file and line; the includes the table allows pass."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CHECK = os.path.join(ROOT, "scripts", "check_layers")


def run_on(files):
    """Runs the check on a tree of the real table and `files` ({path: text})."""
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "scripts"))
        shutil.copy(os.path.join(ROOT, "scripts", "layers.txt"), os.path.join(root, "scripts"))
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write(text)
        done = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
        return done.returncode, done.stdout


class CheckLayersTest(unittest.TestCase):
    def test_each_wrong_way_include_of_the_old_house_fails(self):
        rows = [
            ("protocol/ProfileRecord.h", "storage/MacroRecord.h"),
            ("storage/ProfileStore.h", "protocol/LittleEndian.h"),
            ("transport/VendorHidBinding.h", "protocol/DeviceStatus.h"),
            ("protocol/ApplyEngine.h", "transport/LinkFlags.h"),
            ("ui/CShortcutWnd.h", "app/HookTable.h"),
            ("ui/MousePageWindow.cpp", "app/CMainWnd.h"),
            ("core/ProfileRecord.h", "storage/NameRules.h"),
            ("storage/MacroFile.cpp", "platform/dui/SkinLoader.h"),
            ("cli/HeadlessHost.cpp", "app/MouseDeviceSession.h"),
        ]
        for source, target in rows:
            with self.subTest(source=source, target=target):
                code, out = run_on({source: '// a file\n#include <vector>\n#include "%s"\n' % target})
                self.assertEqual(code, 1)
                folder = os.path.dirname(source)
                self.assertEqual(out, "%s:3: %s/ may not include %s (%s/)\n"
                                 % (source, folder, target, os.path.dirname(target)))

    def test_allowed_includes_pass(self):
        rows = [
            ("storage/ProfileStore.h", "core/ProfileRecord.h"),
            ("protocol/ApplyEngine.h", "ports/LinkFlags.h"),
            ("platform/bluez/BluezGattPlatform.h", "transport/GattPlatform.h"),
            ("platform/dui/MenuWindow.h", "platform/WindowMessage.h"),
            ("app/CMainWnd.cpp", "ui/CMsgWnd.h"),
            ("tests/storage/AnyTest.cpp", "app/CMainWnd.h"),
            ("ui/page/Page.h", "ui/KeyTables.h"),
        ]
        for source, target in rows:
            with self.subTest(source=source, target=target):
                self.assertEqual(run_on({source: '#include "%s"\n' % target}), (0, ""))


if __name__ == "__main__":
    unittest.main()
