#!/usr/bin/env python3
"""scripts/measure: what it reads from /proc, the table it prints, and one quick run of the
whole measurement on the build (the real programs under Xvfb) whose output must have the
table's shape. No figure is asserted: the machine is shared.

    measure_test.py [--build DIR] [unittest arguments]
"""
import importlib.machinery
import os
import re
import shutil
import subprocess
import sys
import tempfile
import types
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(ROOT, "scripts", "measure")
BUILD = None


def load_script():
    # The script has no .py ending: its source is read by a loader named for it.
    loader = importlib.machinery.SourceFileLoader("measure", SCRIPT)
    module = types.ModuleType("measure")
    module.__file__ = SCRIPT
    loader.exec_module(module)
    return module


measure = load_script()


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="ascii") as out:
        out.write(text)


def thread(proc, pid, tid, cpu_ns, voluntary, involuntary):
    task = os.path.join(proc, str(pid), "task", str(tid))
    write(os.path.join(task, "schedstat"), f"{cpu_ns} 12345 67\n")
    write(os.path.join(task, "status"),
          f"Name:\tms1\nThreads:\t3\nvoluntary_ctxt_switches:\t{voluntary}\n"
          f"nonvoluntary_ctxt_switches:\t{involuntary}\n")


class ProcTest(unittest.TestCase):
    def test_memory_and_threads_are_read_from_their_files(self):
        with tempfile.TemporaryDirectory() as proc:
            write(os.path.join(proc, "42", "status"),
                  "Name:\tms1\nVmPeak:\t  900000 kB\nVmRSS:\t   48128 kB\nRssAnon:\t 20000 kB\n")
            write(os.path.join(proc, "42", "smaps_rollup"),
                  "00400000-7fff [rollup]\nRss:      48128 kB\nPss:      31000 kB\n"
                  "Pss_Anon:  20000 kB\n")
            thread(proc, 42, 42, 1500000, 10, 2)
            thread(proc, 42, 43, 250, 7, 0)
            self.assertEqual(measure.memory_kib(proc, 42), (48128, 31000))
            self.assertEqual(measure.thread_counters(proc, 42),
                             {"42": (1500000, 12), "43": (250, 7)})

    def test_a_missing_line_is_a_failed_start(self):
        with self.assertRaises(measure.Failed):
            measure.read_kib("Name:\tms1\nVmSize:\t 100 kB\n", "VmRSS")

    def test_idle_rates_count_threads_that_started_from_zero(self):
        cases = [
            # before, after, seconds -> CPU %, wake-ups per second
            ({"1": (0, 0)}, {"1": (0, 0)}, 10.0, 0.0, 0.0),
            ({"1": (1_000_000_000, 50)}, {"1": (1_100_000_000, 1050)}, 10.0, 1.0, 100.0),
            # two threads: 10 ms and 30 ms of CPU, 4 + 16 switches, over 2 s
            ({"1": (5, 0), "2": (7, 4)}, {"1": (10_000_005, 4), "2": (30_000_007, 20)}, 2.0,
             2.0, 10.0),
            # thread 3 started within the interval, thread 2 ended in it
            ({"1": (0, 0), "2": (900, 9)}, {"1": (0, 1), "3": (50_000_000, 9)}, 5.0, 1.0, 2.0),
        ]
        for before, after, seconds, cpu, wakeups in cases:
            with self.subTest(before=before, after=after):
                got_cpu, got_wakeups = measure.idle_rates(before, after, seconds)
                self.assertAlmostEqual(got_cpu, cpu)
                self.assertAlmostEqual(got_wakeups, wakeups)


def figures(first, rss, pss, cpu, wakeups):
    return {"first": first, "rss": rss, "pss": pss, "cpu": cpu, "wakeups": wakeups}


class TableTest(unittest.TestCase):
    def test_medians_and_ratios_to_the_floor(self):
        results = {
            "floor": [figures(40, 30.0, 20.0, 0.0, 0.2), figures(38, 29.0, 19.0, 0.0, 0.4),
                      figures(90, 31.0, 21.0, 0.0, 0.3)],
            "simulate": [figures(97, 48.0, 33.0, 0.6, 100.0), figures(120, 47.0, 32.0, 0.5,
                                                                     101.0),
                         figures(95, 46.0, 31.0, 0.7, 99.0)],
        }
        self.assertEqual(
            measure.table(results, ["simulate"]).splitlines(),
            [
                "| | minimal Qt | ms1 --simulate |",
                "|---|---|---|",
                "| first window | 40 ms | 97 ms (2.42x) |",
                "| memory 5 s after (RSS) | 30.0 MB | 47.0 MB (1.57x) |",
                "| memory 5 s after (PSS) | 20.0 MB | 32.0 MB (1.60x) |",
                "| CPU over 10 s idle | 0.00 % | 0.60 % (floor 0) |",
                "| wake-ups per second | 0.3 | 100.0 (333.33x) |",
            ])

    def test_ms1_is_held_against_each_floor_in_turn(self):
        results = {
            "floor": [figures(50, 25.0, 18.0, 0.0, 0.0)],
            "label_floor": [figures(80, 30.0, 20.0, 0.0, 0.5)],
            "simulate": [figures(150, 42.0, 33.0, 0.2, 19.0)],
        }
        self.assertEqual(
            measure.table(results, ["simulate"]).splitlines(),
            [
                "| | minimal Qt | minimal Qt, one label | ms1 --simulate |",
                "|---|---|---|---|",
                "| first window | 50 ms | 80 ms | 150 ms (3.00x, 1.88x) |",
                "| memory 5 s after (RSS) | 25.0 MB | 30.0 MB | 42.0 MB (1.68x, 1.40x) |",
                "| memory 5 s after (PSS) | 18.0 MB | 20.0 MB | 33.0 MB (1.83x, 1.65x) |",
                "| CPU over 10 s idle | 0.00 % | 0.00 % | 0.20 % (floor 0, floor 0) |",
                "| wake-ups per second | 0.0 | 0.5 | 19.0 (floor 0, 38.00x) |",
            ])

    def test_an_even_number_of_runs_takes_the_middle_two(self):
        results = {"floor": [figures(40, 30.0, 20.0, 0.0, 1.0), figures(50, 32.0, 22.0, 0.0, 3.0)],
                   "receiver": [figures(80, 45.0, 30.0, 0.0, 2.0),
                                figures(100, 47.0, 34.0, 0.0, 4.0)]}
        lines = measure.table(results, ["receiver"]).splitlines()
        self.assertEqual(lines[0], "| | minimal Qt | ms1, receiver, in tray |")
        self.assertEqual(lines[2], "| first window | 45 ms | 90 ms (2.00x) |")
        self.assertEqual(lines[5], "| CPU over 10 s idle | 0.00 % | 0.00 % (-) |")
        self.assertEqual(lines[6], "| wake-ups per second | 2.0 | 3.0 (1.50x) |")


class CallgrindTest(unittest.TestCase):
    def test_counts_are_summed_over_the_threads_files(self):
        # files (name -> text) -> (all, window) in millions, or None when the count fails
        header = "version: 1\ncreator: callgrind-3.19.0\nevents: Ir\n"
        cases = [
            ("two threads and the empty file without a thread number",
             {"callgrind.7": "", "callgrind.7-01": header + "summary: 2500000\n",
              "callgrind.7-02": header + "summary: 500000\n"}, (3.0, 2.5)),
            ("a total at the end instead of a summary",
             {"callgrind.9-01": header + "fn=(1) main\n5 1\ntotals: 1000000\n"}, (1.0, 1.0)),
            ("other files in the folder are not counted",
             {"callgrind.9-01": header + "summary: 1000000\n", "notes.txt": "summary: 7\n",
              "callgrind.9-02.bak": header + "summary: 9000000\n"}, (1.0, 1.0)),
            ("no window thread", {"callgrind.7-02": header + "summary: 5\n"}, None),
            ("a thread without a total",
             {"callgrind.7-01": header + "summary: 5\n", "callgrind.7-02": header}, None),
        ]
        for title, files, expected in cases:
            with self.subTest(title), tempfile.TemporaryDirectory() as folder:
                for name, text in files.items():
                    write(os.path.join(folder, name), text)
                if expected is None:
                    with self.assertRaises(measure.Failed):
                        measure.callgrind_counts(folder)
                    continue
                counts = measure.callgrind_counts(folder)
                self.assertAlmostEqual(counts["all"], expected[0])
                self.assertAlmostEqual(counts["window"], expected[1])

    def test_the_count_table(self):
        results = {"floor": [{"all": 27.3, "window": 26.6}, {"all": 27.5, "window": 26.8}],
                   "simulate": [{"all": 282.4, "window": 281.3},
                                {"all": 284.0, "window": 282.9}]}
        self.assertEqual(
            measure.table(results, ["simulate"], rows=measure.COUNT_ROWS).splitlines(),
            [
                "| | minimal Qt | ms1 --simulate |",
                "|---|---|---|",
                "| instructions to the first frame (all threads) | 27.4 M | 283.2 M (10.34x) |",
                "| instructions to the first frame (window thread) | 26.7 M | 282.1 M (10.57x) |",
            ])


class LinesTest(unittest.TestCase):
    def test_lines_are_whole_across_chunks_and_a_silence_is_none(self):
        # The helper writes "window" in two pieces with a pause, then stays silent.
        script = ("import sys, time\n"
                  "w = sys.stdout.buffer\n"
                  "w.write(b'ready\\nmapped 0x1 1.0\\nwin'); w.flush(); time.sleep(0.3)\n"
                  "w.write(b'dow 0x2 7 800x572 2.5\\n'); w.flush(); time.sleep(30)\n")
        helper = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE)
        try:
            lines = measure.Lines(helper)
            self.assertEqual(lines.wait_for("ready", 10), "ready")
            self.assertEqual(lines.wait_for("window", 10), "window 0x2 7 800x572 2.5")
            self.assertIsNone(lines.wait_for("unmapped", 0.5))
        finally:
            helper.kill()
            helper.wait()


class CommandLineTest(unittest.TestCase):
    def test_wrong_options_are_refused(self):
        for arguments in (["--configs", "simulate,tray"], ["--runs", "0"]):
            with self.subTest(arguments=arguments):
                done = subprocess.run([sys.executable, SCRIPT] + arguments, capture_output=True,
                                      text=True)
                self.assertEqual(done.returncode, 2, done.stderr)


CELL = {
    "first window": r"\d+ ms",
    "memory 1 s after (RSS)": r"\d+\.\d MB",
    "memory 1 s after (PSS)": r"\d+\.\d MB",
    "CPU over 2 s idle": r"\d+\.\d\d %",
    "wake-ups per second": r"\d+\.\d",
}
ONE_RATIO = r"(\d+\.\d\dx|-|floor 0)"
RATIO = rf" \({ONE_RATIO}, {ONE_RATIO}\)"


class QuickRunTest(unittest.TestCase):
    def test_the_real_programs_give_a_whole_table(self):
        tools = ["Xvfb", "openbox", "xdotool", "xprop", "umockdev-wrapper"]
        if BUILD is None or any(shutil.which(t) is None for t in tools):
            self.skipTest("no build given, or Xvfb, openbox, xdotool or umockdev is missing")
        if not os.path.exists(os.path.join(BUILD, "tests", "ms1_umock_receiver")):
            self.skipTest("the build has no receiver bed (umockdev was missing at configure)")
        done = subprocess.run(
            [sys.executable, SCRIPT, "--build", BUILD, "--runs", "1", "--quick"],
            capture_output=True, text=True, timeout=240)
        self.assertEqual(done.returncode, 0, done.stderr)
        # Each start was measured, in turn: the floors, then each configuration.
        self.assertEqual([line.split(":")[0] for line in done.stderr.splitlines()],
                         ["run 1 floor", "run 1 label_floor", "run 1 simulate", "run 1 receiver"])
        rows = [line for line in done.stdout.splitlines() if line.startswith("|")]
        self.assertEqual(rows[0], "| | minimal Qt | minimal Qt, one label | ms1 --simulate | "
                                  "ms1, receiver, in tray |")
        self.assertEqual([row.split(" | ")[0].lstrip("| ") for row in rows[2:]], list(CELL))
        for row in rows[2:]:
            cells = row.strip("| ").split(" | ")
            with self.subTest(row=cells[0]):
                self.assertEqual(len(cells), 5)
                for cell in cells[1:3]:
                    self.assertRegex(cell, "^" + CELL[cells[0]] + "$")
                for cell in cells[3:]:
                    self.assertRegex(cell, "^" + CELL[cells[0]] + RATIO + "$")


class InstructionsRunTest(unittest.TestCase):
    def test_both_programs_are_counted_to_their_first_frame(self):
        tools = ["Xvfb", "openbox", "xprop", "valgrind"]
        if BUILD is None or any(shutil.which(t) is None for t in tools):
            self.skipTest("no build given, or Xvfb, openbox or valgrind is missing")
        done = subprocess.run(
            [sys.executable, SCRIPT, "--build", BUILD, "--runs", "1", "--instructions"],
            capture_output=True, text=True, timeout=600)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual([line.split(":")[0] for line in done.stderr.splitlines()],
                         ["run 1 floor", "run 1 label_floor", "run 1 simulate"])
        rows = [line for line in done.stdout.splitlines() if line.startswith("|")]
        self.assertEqual(rows[0], "| | minimal Qt | minimal Qt, one label | ms1 --simulate |")
        self.assertEqual(len(rows), 4)
        for row in rows[2:]:
            cells = row.strip("| ").split(" | ")
            with self.subTest(row=cells[0]):
                self.assertRegex(cells[1], r"^\d+\.\d M$")
                self.assertRegex(cells[2], r"^\d+\.\d M$")
                self.assertRegex(cells[3], r"^\d+\.\d M \(\d+\.\d\dx, \d+\.\d\dx\)$")


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--build":
        BUILD = sys.argv[2]
        del sys.argv[1:3]
    unittest.main()
