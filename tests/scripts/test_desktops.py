"""The desktop matrix's judgement: what counts as a stale menu, and the table
rendered from its JSON."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import desktops  # noqa: E402

LAYOUT = ["Claude · Session (5h) 34% · resets in 2h 16m (at 09:38)",
          "Claude · Weekly (7d) 81% · resets in 3d 4h (Thu 11:33)",
          "Codex · 5 Hour 22% · resets in 2h 43m (at 10:05)"]
REMAINING = ["Claude · Session (5h) 66% left · resets in 2h 16m",
             "Claude · Weekly (7d) 19% left · resets in 3d 4h",
             "Codex · 5 Hour 78% left · resets in 2h 43m"]


class JudgeMenu(unittest.TestCase):
    def test_cases(self):
        cases = [
            ("as the layout", "Claude - Session (Sh) 34% - resets\nWeekly (7d) 81 %\nCodex : 5 Hour 22%", LAYOUT, None),
            ("figures the OCR missed are forgiven", "Claude Session 34%\nShow Usage...", LAYOUT, None),
            ("remaining, as the layout", "Session (5h) 66% left\nWeekly 19% left", REMAINING, None),
            ("loading while the layout has figures", "Claude · Loading…\nRefresh", LAYOUT, "Loading"),
            ("a figure from before the refresh", "Session 34%\nWeekly (7d) 76%\n5 Hour 22%", LAYOUT, "76%"),
            ("used figures after Show Remaining", "Session 34%\nWeekly 81%", REMAINING, "drawn figures"),
            ("remaining figures after it was turned off", "Session 66% left\nWeekly 19% left", LAYOUT,
             "drawn figures"),
        ]
        for name, drawn, labels, fault in cases:
            with self.subTest(name):
                found = desktops.judge_menu(drawn, labels)
                if fault is None:
                    self.assertIsNone(found)
                else:
                    self.assertIn(fault, found or "")

    def test_entry_while_refreshing(self):
        entries = {"Show Usage…": 3, "Refreshing…": 2, "Show Remaining": 5, "Quit": 9}
        self.assertEqual(desktops.entry(entries, "Refresh"), 2)
        self.assertEqual(desktops.entry(entries, "Show Remaining"), 5)


class Render(unittest.TestCase):
    def test_rows_in_session_order_and_a_failed_start_fills_its_row(self):
        release = {"title": "Debian 13 (trixie)", "sessions": {
            "sway": {"rows": {"sway (xcb)": {"checks": {"start": "could not start here"}, "notes": ["no sway"]}}},
            "xfce": {"desktop": "XFCE 4.20.4",
                     "rows": {"xfce (xcb)": {"checks": {"item": "PASS", "fresh": "FAIL (9 of 10)"},
                                             "notes": ["a | b"]}}},
        }}
        table, notes = desktops.render(release)
        rows = table.splitlines()[2:]
        self.assertTrue(rows[0].startswith("| xfce (xcb), XFCE 4.20.4 | PASS |"))
        self.assertIn("| FAIL (9 of 10) |", rows[0])
        self.assertEqual(rows[1].count("could not start here"), len(desktops.CHECKS))
        self.assertEqual(len(table.splitlines()[0].split("|")), len(desktops.CHECKS) + 3)
        self.assertIn("- **sway (xcb)**\n  - no sway", notes)

    def test_results_from_before_releases_are_debian_12s(self):
        old = {"xfce": {"rows": {}}}
        new = desktops.by_release(old)
        self.assertEqual(new["releases"]["bookworm"]["sessions"], old)
        self.assertEqual(desktops.by_release(new), new)
        self.assertEqual(desktops.by_release({}), {"releases": {}})


if __name__ == "__main__":
    unittest.main()
