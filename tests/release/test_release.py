"""Checks of what a release hands out, run by ctest after the test command has made it:

  test_release.py archive ZIP VERSION BITS SOURCE_DIR UNSTRIPPED_EXE
      a release archive (scripts/package.sh): exactly the two programs, the README and the
      licence; programs for the right machine that import system DLLs only, stripped, with the
      project's version in their version resource and the application manifest.
  test_release.py install PREFIX VERSION BITS SOURCE_DIR COMPILER
      an install of the libraries (scripts/examples.sh): exactly the public headers, complete on
      their own, the two static libraries and the CMake package files.
"""

import os
import re
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_file import MACHINE_AMD64, MACHINE_I386, PeFile  # noqa: E402

# DLLs every Windows installation has. A compiler run-time DLL (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll) would have to ship beside the program.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "gdiplus.dll", "kernel32.dll",
    "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleacc.dll", "oleaut32.dll", "psapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll", "wininet.dll",
    "ws2_32.dll",
}

PROGRAMS = {"Varnel.exe": "Varnel", "varnel_gallery.exe": "Varnel control gallery"}

# supportedOS identifiers: Windows 7, 8, 8.1 and 10/11.
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}

PUBLIC_HEADERS = {
    "skin/core/skin_engine.h", "skin/core/method_thunk.h", "skin/core/skin_types.h",
    "skin/core/window_properties.h", "skin/services/background_picture.h",
    "skin/core/composition_types.h", "skin/core/dpi.h", "skin/core/scroll_bar_types.h",
    "skin/core/gdi_owners.h", "skin/core/kept_picture.h",
    "plus/plus_brush.h", "plus/plus_font.h", "plus/plus_font_family.h", "plus/plus_graphics.h",
    "plus/plus_image.h", "plus/plus_object.h", "plus/plus_path.h", "plus/plus_pen.h",
    "plus/plus_region.h", "plus/plus_stream.h", "plus/plus_string_format.h",
    "plus/plus_tooltip.h",
}

ARGS = {}


def non_system_dlls(pe):
    return sorted(name for name in pe.imported_dlls() if name.lower() not in SYSTEM_DLLS)


def version_text(version):
    return ".".join(str(n) for n in version)


def manifest_problems(text):
    """What the manifest lacks: the invoker execution level and the supported Windows list."""
    if text is None:
        return ["no manifest resource 1"]
    root = ElementTree.fromstring(text)
    levels = [e.get("level") for e in root.iter()
              if e.tag.endswith("}requestedExecutionLevel")]
    systems = {e.get("Id").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    problems = []
    if levels != ["asInvoker"]:
        problems.append("execution levels %r" % levels)
    if systems != SUPPORTED_OS:
        problems.append("supported systems %r" % sorted(systems))
    return problems


class ReleaseArchive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.version = ARGS["version"]
        cls.folder = "Varnel-%s-%s/" % (cls.version, "win64" if ARGS["bits"] == 64 else "win32")
        with zipfile.ZipFile(ARGS["path"]) as archive:
            cls.files = {info.filename: archive.read(info) for info in archive.infolist()
                         if not info.is_dir()}
        cls.programs = {name: PeFile(cls.files.get(cls.folder + name, b"MZ"))
                        for name in PROGRAMS if cls.folder + name in cls.files}

    def test_holds_the_two_programs_the_readme_and_the_licence_in_one_folder(self):
        self.assertEqual(sorted(self.files), sorted(
            self.folder + name for name in ["LICENSE", "README.md", *PROGRAMS]))
        for name in ["LICENSE", "README.md"]:
            with open(os.path.join(ARGS["source"], name), "rb") as original:
                self.assertEqual(self.files[self.folder + name], original.read(), name)

    def test_programs_are_built_for_the_archives_machine(self):
        machine = MACHINE_AMD64 if ARGS["bits"] == 64 else MACHINE_I386
        for name, pe in self.programs.items():
            self.assertEqual((pe.machine, pe.pe32_plus), (machine, ARGS["bits"] == 64), name)

    def test_programs_import_only_system_dlls(self):
        for name, pe in self.programs.items():
            imported = {dll.lower() for dll in pe.imported_dlls()}
            # The reading itself: what every one of them calls.
            self.assertTrue({"kernel32.dll", "user32.dll", "gdi32.dll", "gdiplus.dll"} <=
                            imported, name)
            self.assertEqual(non_system_dlls(pe), [], name)

    def test_a_compiler_runtime_import_is_seen(self):
        # The same program with one import renamed to the C++ run-time DLL's name.
        data = self.files[self.folder + "Varnel.exe"]
        name = next(dll for dll in PeFile(data).imported_dlls() if dll.lower() == "msvcrt.dll")
        patched = data.replace(name.encode() + b"\0", b"lib++.dll\0\0", 1)
        self.assertEqual(non_system_dlls(PeFile(patched)), ["lib++.dll"])

    def test_programs_are_stripped(self):
        for name, pe in self.programs.items():
            self.assertEqual(pe.symbol_count, 0, name)
            self.assertEqual(pe.debug_sections(), [], name)
            self.assertTrue(pe.stripped(), name)
        # The program as the build leaves it has both, and is told apart.
        with open(ARGS["unstripped"], "rb") as built:
            unstripped = PeFile(built.read())
        self.assertGreater(unstripped.symbol_count, 0)
        self.assertIn(".debug_info", unstripped.debug_sections())
        self.assertFalse(unstripped.stripped())

    def test_version_resource_holds_the_project_version(self):
        numbers = tuple(int(n) for n in self.version.split(".")) + (0,)
        for name, description in PROGRAMS.items():
            info = self.programs[name].version_info()
            self.assertIsNotNone(info, name)
            file_version, product_version, strings = info
            self.assertEqual(file_version, numbers, name)
            self.assertEqual(product_version, numbers, name)
            self.assertEqual(strings.get("ProductName"), "Varnel", name)
            self.assertEqual(strings.get("FileDescription"), description, name)
            self.assertEqual(strings.get("ProductVersion"), self.version, name)
            self.assertEqual(strings.get("FileVersion"), self.version, name)
            self.assertEqual(strings.get("OriginalFilename"), name, name)

    def test_manifest_asks_for_the_invokers_rights_and_names_the_windows_versions(self):
        for name, pe in self.programs.items():
            self.assertEqual(manifest_problems(pe.manifest()), [], name)
        self.assertEqual(manifest_problems(
            '<assembly xmlns="urn:schemas-microsoft-com:asm.v1"><trustInfo '
            'xmlns="urn:schemas-microsoft-com:asm.v3"><security><requestedPrivileges>'
            '<requestedExecutionLevel level="requireAdministrator"/></requestedPrivileges>'
            '</security></trustInfo></assembly>'),
            ["execution levels ['requireAdministrator']", "supported systems []"])


class LibraryInstall(unittest.TestCase):
    def setUp(self):
        self.prefix = ARGS["path"]
        self.include = os.path.join(self.prefix, "include", "varnel")

    def installed(self, folder):
        root = os.path.join(self.prefix, folder)
        return {os.path.relpath(os.path.join(d, f), root).replace(os.sep, "/")
                for d, _, files in os.walk(root) for f in files}

    def test_installs_exactly_the_public_headers(self):
        self.assertEqual(sorted(self.installed("include/varnel")), sorted(PUBLIC_HEADERS))
        for header in PUBLIC_HEADERS:
            with open(os.path.join(self.include, header), "rb") as installed, \
                    open(os.path.join(ARGS["source"], header), "rb") as original:
                self.assertEqual(installed.read(), original.read(), header)

    def test_public_headers_compile_with_nothing_but_each_other(self):
        # All of them, with only the install on the include path and none of the project's
        # definitions: a header that reaches an internal one fails here.
        with tempfile.TemporaryDirectory() as scratch:
            unit = os.path.join(scratch, "all_headers.cpp")
            with open(unit, "w") as f:
                f.write("".join('#include "%s"\n' % h for h in sorted(PUBLIC_HEADERS)))
            result = subprocess.run(
                [ARGS["compiler"], "-std=c++20", "-Wall", "-Wextra", "-Werror", "-fsyntax-only",
                 "-I", self.include, unit], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr[-3000:])

    def test_installs_both_libraries_and_the_package_files(self):
        installed = self.installed("lib")
        # One file of the build's configuration (the x64 build keeps debug information, the
        # x86 build not: their configuration names differ).
        configurations = {name for name in installed
                          if re.fullmatch(r"cmake/Varnel/VarnelTargets-[a-z]+\.cmake", name)}
        self.assertEqual(len(configurations), 1, installed)
        self.assertEqual(installed - configurations, {
            "libvarnel_plus.a", "libvarnel_skin.a", "cmake/Varnel/VarnelConfig.cmake",
            "cmake/Varnel/VarnelConfigVersion.cmake", "cmake/Varnel/VarnelTargets.cmake"})
        cmake = os.path.join(self.prefix, "lib", "cmake", "Varnel")
        with open(os.path.join(cmake, "VarnelConfigVersion.cmake")) as f:
            version_file = f.read()
        self.assertIn('set(PACKAGE_VERSION "%s")' % ARGS["version"], version_file)
        self.assertIn('"%d"' % (ARGS["bits"] // 8), version_file)
        with open(os.path.join(cmake, "VarnelTargets.cmake")) as f:
            targets = f.read()
        # Varnel::skin brings Varnel::plus; both find their headers below include/varnel.
        self.assertRegex(targets, r'set_target_properties\(Varnel::skin PROPERTIES[^)]*'
                                  r'INTERFACE_LINK_LIBRARIES "Varnel::plus;')
        self.assertEqual(len(re.findall(r'INTERFACE_INCLUDE_DIRECTORIES '
                                        r'"\$\{_IMPORT_PREFIX\}/include/varnel"', targets)), 2)
        for archive in ["libvarnel_plus.a", "libvarnel_skin.a"]:
            with open(os.path.join(self.prefix, "lib", archive), "rb") as f:
                self.assertEqual(f.read(8), b"!<arch>\n", archive)
        self.assertEqual(self.installed("share/doc/Varnel"), {"LICENSE", "API.md"})


def main():
    mode, path, version, bits, source, extra = sys.argv[1:7]
    ARGS.update(path=path, version=version, bits=int(bits), source=source)
    if mode == "archive":
        ARGS["unstripped"] = extra
        case = ReleaseArchive
    else:
        ARGS["compiler"] = extra
        case = LibraryInstall
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(case)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
