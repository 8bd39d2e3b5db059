#!/usr/bin/env python3
"""scripts/check_links against small trees and manifests: an include of a folder whose target
is not linked fails with its file and line; what a linked target passes on is reachable, what
it links privately is not; tests are not checked."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "check_links")

# name, kind, folder, sources, links, passed on
TARGETS = [
    ("ms1_core", "STATIC_LIBRARY", "core", ["core/Record.cpp"], [], []),
    ("ms1_ports", "INTERFACE_LIBRARY", "ports", [], [], ["ms1_core"]),
    ("ms1_protocol", "STATIC_LIBRARY", "protocol", ["protocol/Reports.cpp"], ["ms1_ports"],
     ["ms1_ports"]),
    ("ms1_storage", "STATIC_LIBRARY", "storage", ["storage/Store.cpp"], ["ms1_core"], []),
    ("ms1_engine", "STATIC_LIBRARY", "engine", ["engine/Session.cpp"], ["ms1_storage"],
     ["ms1_storage"]),
    ("ms1_cli", "STATIC_LIBRARY", "cli", ["cli/Command.cpp"], ["ms1_engine"], ["ms1_engine"]),
    ("tests_any", "EXECUTABLE", "tests", ["tests/AnyTest.cpp"], [], []),
]
FILES = ["core/Record.h", "ports/Port.h", "protocol/Reports.h", "storage/Store.h",
         "engine/Session.h", "cli/Command.h", "tests/AnyTest.cpp"]


def run_on(includes):
    """Runs the check on the tree above, where each file of `includes` includes its header."""
    with tempfile.TemporaryDirectory() as root:
        for path in FILES + [s for t in TARGETS for s in t[3]]:
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                out.write("// a file\n" + "".join('#include "%s"\n' % h
                                                   for h in includes.get(path, [])))
        manifest = os.path.join(root, "targets.txt")
        with open(manifest, "w", encoding="utf-8") as out:
            for name, kind, folder, sources, links, passed in TARGETS:
                out.write("|".join([name, kind, os.path.join(root, folder),
                                    ";".join(os.path.join(root, s) for s in sources),
                                    ";".join(links), ";".join(passed)]) + "\n")
        done = subprocess.run([sys.executable, CHECK, manifest, root], capture_output=True,
                              text=True)
        return done.returncode, done.stdout


class CheckLinksTest(unittest.TestCase):
    def test_includes_of_targets_not_linked_fail(self):
        rows = [
            # a folder nobody links
            ("storage/Store.cpp", "protocol/Reports.h", "ms1_protocol", "ms1_storage"),
            # linked only privately by what is linked: not passed on
            ("cli/Command.cpp", "core/Record.h", "ms1_core", "ms1_cli"),
            # a header is checked for the target of its source
            ("engine/Session.h", "ports/Port.h", "ms1_ports", "ms1_engine"),
        ]
        for source, header, holder, by in rows:
            with self.subTest(source=source, header=header):
                code, out = run_on({source: [header]})
                self.assertEqual(code, 1)
                self.assertEqual(out, "%s:2: %s is in %s, which %s does not link\n"
                                 % (source, header, holder, by))

    def test_linked_and_passed_on_includes_pass(self):
        rows = [
            ("protocol/Reports.cpp", ["ports/Port.h", "core/Record.h", "protocol/Reports.h"]),
            ("cli/Command.cpp", ["engine/Session.h", "storage/Store.h"]),
            ("storage/Store.h", ["core/Record.h"]),
            # a header-only library's headers include what it passes on
            ("ports/Port.h", ["core/Record.h"]),
            ("tests/AnyTest.cpp", ["cli/Command.h", "protocol/Reports.h"]),
        ]
        for source, headers in rows:
            with self.subTest(source=source):
                self.assertEqual(run_on({source: headers}), (0, ""))


if __name__ == "__main__":
    unittest.main()
