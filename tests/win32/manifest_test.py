#!/usr/bin/env python3
"""Reads the application manifest out of built programs, as Windows does when it
starts them (resource 1 of type RT_MANIFEST), and checks it: well-formed XML,
the common controls of version 6, per-monitor DPI awareness with its
fallback, Windows 7 to 11, the program's architecture, and an execution
level on x64 only (on x86 one would end the file virtualization).

    manifest_test.py x86|x64 PROGRAM...
"""
import struct
import sys
import unittest
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10 and 11
}
MACHINES = {"x86": 0x14C, "x64": 0x8664}


def resources(data):
    """(type, name, bytes) of every resource of a PE file."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
    machine, sections = struct.unpack_from("<HH", data, pe + 4)
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size

    def offset(address):
        for n in range(sections):
            size, va, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * n + 8)
            if va <= address < va + max(size, raw_size):
                return raw + address - va
        raise ValueError("address outside every section")

    base = offset(rva)

    def entries(at):
        named, numbered = struct.unpack_from("<HH", data, at + 12)
        for k in range(named + numbered):
            yield struct.unpack_from("<II", data, at + 16 + 8 * k)

    found = []
    for kind, to_names in entries(base):
        for name, to_languages in entries(base + (to_names & 0x7FFFFFFF)):
            for _, to_data in entries(base + (to_languages & 0x7FFFFFFF)):
                address, size = struct.unpack_from("<II", data, base + to_data)
                found.append((kind, name, data[offset(address):offset(address) + size]))
    return machine, found


class ManifestTest(unittest.TestCase):
    arch = "x64"
    programs = []

    def test_every_program_carries_the_manifest(self):
        for program in self.programs:
            with self.subTest(program=program):
                with open(program, "rb") as f:
                    machine, found = resources(f.read())
                self.assertEqual(machine, MACHINES[self.arch])
                manifests = [blob for kind, name, blob in found if kind == RT_MANIFEST]
                self.assertEqual([name for kind, name, _ in found if kind == RT_MANIFEST], [1])
                root = ET.fromstring(manifests[0])
                identity = root.find(ASM_V1 + "assemblyIdentity")
                self.assertEqual(identity.get("processorArchitecture"),
                                 {"x86": "x86", "x64": "amd64"}[self.arch])
                controls = [a for a in root.iter(ASM_V1 + "assemblyIdentity")
                            if a.get("name") == "Microsoft.Windows.Common-Controls"]
                self.assertEqual([a.get("version") for a in controls], ["6.0.0.0"])
                self.assertEqual({os.get("Id") for os in root.iter(COMPAT + "supportedOS")}, SUPPORTED_OS)
                settings = {e.tag.split("}")[1]: (e.text or "").strip() for e in root.iter()
                            if e.tag.endswith("}dpiAware") or e.tag.endswith("}dpiAwareness")}
                self.assertEqual(settings.get("dpiAware", "").lower(), "true/pm")
                self.assertTrue(settings.get("dpiAwareness", "").startswith("PerMonitorV2"))
                levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
                self.assertEqual(levels, ["asInvoker"] if self.arch == "x64" else [])


if __name__ == "__main__":
    ManifestTest.arch = sys.argv[1]
    ManifestTest.programs = sys.argv[2:]
    unittest.main(argv=sys.argv[:1])
