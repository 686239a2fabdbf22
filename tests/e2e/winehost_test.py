"""The choice of Wine for the end-to-end tests, for both kinds of host, without running Wine:
a host runs either kind's tests, so the kind it does not take is checked here as well."""

import contextlib
import io
import tempfile
import unittest

from tests.e2e import winehost, wineprefix

ELF_CLASS = {1: "32-bit", 2: "64-bit"}


def elf_class(path):
    with open(path, "rb") as program:
        header = program.read(5)
    if header[:4] != b"\x7fELF":
        raise AssertionError(f"{path} is no ELF program")
    return ELF_CLASS[header[4]]


class WineHostTest(unittest.TestCase):
    def test_each_kind_is_one_architecture(self):
        # Wine's own files, as Debian installs them whether or not this host runs them.
        for runs_32bit, bits in ((True, "32-bit"), (False, "64-bit")):
            kind = winehost.for_host(runs_32bit)
            with self.subTest(kind=kind.build):
                self.assertEqual(elf_class(kind.loader), bits)
                self.assertEqual(elf_class(kind.server), bits)
                self.assertEqual(kind.arch, kind.build)

    def test_prefixes_are_run_by_the_loaders_own_server_and_architecture(self):
        with tempfile.TemporaryDirectory() as state:
            for kind in winehost.KINDS.values():
                with self.subTest(kind=kind.build):
                    wine = wineprefix.Wine(state, kind.loader)
                    wine.state = {"display": ":99"}
                    self.assertEqual(wine.server, kind.server)
                    self.assertEqual(wine.env("default")["WINEARCH"], kind.arch)

    def test_the_build_script_hears_the_hosts_build_and_its_loader(self):
        probe = winehost.KINDS["win32"]
        for answer, build in (("/bin/true", "win32"), ("/bin/false", "win64"),
                              ("/nonexistent/wine", "win64")):
            with self.subTest(loader_answers=answer):
                winehost.KINDS["win32"] = winehost.WineKind(
                    probe.build, answer, probe.server, probe.arch)
                try:
                    self.assertEqual(self.answer(["e2e-build"]), build)
                finally:
                    winehost.KINDS["win32"] = probe
                self.assertEqual(self.answer(["loader", build]), winehost.KINDS[build].loader)

    @staticmethod
    def answer(args):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            winehost.main(args)
        return out.getvalue().strip()


if __name__ == "__main__":
    unittest.main()
