#!/usr/bin/env python3
"""The release archive of one architecture: exactly the programs, the read-me
and the licence; every program small, made for that architecture, carrying
the project's version and needing no DLL beyond Windows' own. With --signer,
the release was signed with that certificate: every program and the setup
program carry its SHA-256 signature.

    archive_test.py velora-<version>-<arch>.zip --version V --arch x86|x64
                    --windres W --objdump O [--signer CERT.pem --setup SETUP.exe]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

PROGRAMS = {"velora.scr", "fracsave.scr", "velpanel.exe"}
TEXTS = {"README.txt", "LICENSE.txt"}
SIZE_LIMIT = 256 * 1024
# DLLs every Windows of the suite's generation has.
WINDOWS_DLLS = {
    "advapi32.dll", "avifil32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",
    "kernel32.dll", "msvcrt.dll", "msvfw32.dll", "ole32.dll", "shell32.dll",
    "user32.dll", "version.dll", "winmm.dll",
}

# What objdump -f says of a program of each architecture.
MACHINES = {"x86": "architecture: i386,", "x64": "architecture: i386:x86-64,"}

ARGS = None


class Archive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        with zipfile.ZipFile(ARGS.archive) as archive:
            cls.names = archive.namelist()
            archive.extractall(cls.tmp.name)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.tmp.name, name)

    def test_holds_exactly_the_programs_readme_and_licence(self):
        self.assertCountEqual(self.names, PROGRAMS | TEXTS)

    def test_every_program_carries_the_project_version(self):
        numbers = ", ".join(ARGS.version.split("."))
        for program in sorted(PROGRAMS):
            with self.subTest(program=program):
                rc = subprocess.run([ARGS.windres, "-J", "coff", "-O", "rc", "-i", self.path(program)],
                                    check=True, capture_output=True, text=True).stdout
                self.assertIn(f"FILEVERSION {numbers}\n", rc)
                self.assertIn(f"PRODUCTVERSION {numbers}\n", rc)
                self.assertIn(f'VALUE "FileVersion", "{ARGS.version}"', rc)
                self.assertIn(f'VALUE "ProductVersion", "{ARGS.version}"', rc)
                self.assertIn(f'value "originalfilename", "{program}"', rc.lower())

    def test_programs_are_small_stripped_and_need_only_windows(self):
        for program in sorted(PROGRAMS):
            with self.subTest(program=program):
                self.assertLessEqual(os.path.getsize(self.path(program)), SIZE_LIMIT)
                headers = subprocess.run([ARGS.objdump, "-p", "-h", self.path(program)],
                                         check=True, capture_output=True, text=True).stdout
                dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", headers)}
                self.assertTrue(dlls)
                self.assertLessEqual(dlls, WINDOWS_DLLS)
                self.assertNotRegex(headers, r"\.debug_|\.stab")

    def test_programs_and_setup_carry_the_signers_sha256_signature(self):
        if not ARGS.signer:
            self.skipTest("an unsigned release")
        for path in [self.path(p) for p in sorted(PROGRAMS)] + [ARGS.setup]:
            with self.subTest(file=os.path.basename(path)):
                # The signer is trusted by name: a self-signed certificate has no chain.
                verify = subprocess.run(["osslsigncode", "verify", "-CAfile", ARGS.signer, "-in", path],
                                        capture_output=True, text=True)
                self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
                self.assertIn("Signature verification: ok", verify.stdout)
                self.assertRegex(verify.stdout, r"Message digest algorithm\s*: SHA256")

    def test_programs_and_setup_are_made_for_the_architecture(self):
        files = [self.path(p) for p in sorted(PROGRAMS)] + ([ARGS.setup] if ARGS.setup else [])
        for path in files:
            with self.subTest(file=os.path.basename(path)):
                header = subprocess.run([ARGS.objdump, "-f", path], check=True, capture_output=True,
                                        text=True).stdout
                self.assertIn(MACHINES[ARGS.arch], header)

    def test_texts_are_windows_text_files(self):
        for text in sorted(TEXTS):
            with self.subTest(text=text):
                with open(self.path(text), "rb") as f:
                    data = f.read()
                self.assertIn(b"\r\n", data)
                self.assertNotRegex(data, rb"(?<!\r)\n")
        with open(self.path("README.txt"), "rb") as f:
            readme = f.read().decode("ascii")
        for program in PROGRAMS:
            self.assertIn(program, readme)
        self.assertIn(ARGS.version, readme)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("archive")
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True, choices=sorted(MACHINES))
    parser.add_argument("--windres", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--signer")
    parser.add_argument("--setup")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
