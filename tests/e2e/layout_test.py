"""The layout tables as the Wine and sandbox tests read them from the C++ source: every row
they find controls by, with its defaults, and a loud stop where a table is written otherwise."""

import unittest

from tests.e2e import layout

FORM1_SOURCE = (layout.ROOT / "forms/Form1/Form1Layout.cpp").read_text()


class LayoutTest(unittest.TestCase):
    def test_the_countdown_window(self):
        table = layout.FORM1
        named = ["Command1(0)", "Command1(1)", "Command2", "Command3", "lblCountDown", "lblKlok",
                 "Label1", "Picture1", "Frame1", "Image1", "Image2"]
        names = [row.name for row in table.rows]
        self.assertLessEqual({*named, *(f"txtTime({i})" for i in range(3))}, set(names))
        windowless = sum(FORM1_SOURCE.count(f"Kind::{kind}") for kind in layout.WINDOWLESS)
        self.assertEqual(len(names), FORM1_SOURCE.count("ControlSpec{") - windowless)
        for row in table.rows:  # a container is found before what it holds
            if row.container:
                self.assertLess(names.index(row.container), names.index(row.name))
        self.assertFalse(table.row["Command1(1)"].enabled)
        self.assertEqual(table.row["Label4"], layout.Row(
            "Label4", "Label", "Time to shutdown your computer", (0, 0, 2445, 180),
            container="Picture2", auto_size=True))
        self.assertIsNone(table.row["Image2"].caption)  # a picture's name
        self.assertEqual((table.client, table.position), ((4755, 3570), None))

    def test_the_about_window(self):
        table = layout.FRM_ABOUT
        self.assertEqual((table.client, table.position), ((5730, 3555), (2340, 1935)))
        self.assertEqual(table.row["cmdSysInfo"].caption, "&System Info...")
        self.assertTrue(table.row["lblURL"].auto_size)
        self.assertNotIn("Line1(0)", table.row)

    def test_a_table_written_otherwise_stops_the_reader(self):
        for old, new in [(".left = 120,", ".left = 2 * 60,"), (".enabled = false", ".enabled = !true"),
                         ("Kind::Timer", "Kind::Slider"), ("std::array Layout", "std::array Rows"),
                         ('.name = "Label3"', '.name = "Label2"'),
                         ("} // namespace", 'const auto Extra = ControlSpec{.name = "x"};')]:
            with self.subTest(new=new), self.assertRaises(layout.LayoutError):
                layout.Table(FORM1_SOURCE.replace(old, new, 1))


if __name__ == "__main__":
    unittest.main()
