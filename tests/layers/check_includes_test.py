"""check_includes.py on small trees beside the project's own layer table: a
file that breaks an arrow on purpose is refused with its file, line and
arrow, and what the table allows passes."""

import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parents[1]
CHECK = HERE / "check_includes.py"

# Includes that the table allows: through the folders a row uses, the
# folder's own, system headers, generated headers without a folder, and
# lines that only mention an include.
ALLOWED = {
    "shell/fine.cpp": '#include "shell/program_shell.h"\n'
                      '#include "platform/platform.h"\n'
                      '#include "registry/modregistry.h"\n'
                      '#include "manifest/manifest_text.h"\n'
                      "#include <gtest/gtest.h>\n"
                      "#include <windows.h>\n"
                      '#include "program_identity.h"\n'
                      '// #include "tarrow/program/tarrow_app.h"\n',
    "tarrow/layout/table.def": 'TARROW_PICTURE("x.jpg")\n',
    "tests/anything.cpp": '#include "tarrow/program/tarrow_app.h"\n'
                          '#include "rollback/rollback_app.h"\n'
                          '#include "tests/support/test_machine.h"\n',
    "bench/timed.cpp": '#include "ui/pacing.h"\n#include "platform/platform.h"\n',
}

# (file, text, what the one refusal must say)
BROKEN = [
    ("ui/reaches_up.h", '#pragma once\n\n#include "shell/program_shell.h"\n',
     'ui/reaches_up.h:3: #include "shell/program_shell.h": no arrow ui -> shell '
     "(ui may include platform)"),
    ("platform/above_the_seam.cpp", '  #  include "registry/modregistry.h"\n',
     'platform/above_the_seam.cpp:1: #  include "registry/modregistry.h": '
     "no arrow platform -> registry (platform may include nothing)"),
    ("rollback/win32/main_program.cpp", '#include <tarrow/program/tarrow_app.h>\n',
     "rollback/win32/main_program.cpp:1: #include <tarrow/program/tarrow_app.h>: "
     "no arrow rollback -> tarrow"),
    ("bench/beside.cpp", '#include "gadget/gadget.h"\n',
     'bench/beside.cpp:1: #include "gadget/gadget.h": gadget/ is no folder of '
     "cmake/layers.txt"),
]


def tree(files):
    """A source tree with the project's layer table and `files`."""
    root = Path(tempfile.mkdtemp())
    (root / "cmake").mkdir()
    shutil.copy(SOURCE / "cmake" / "layers.txt", root / "cmake" / "layers.txt")
    for name, text in files.items():
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).write_text(text, encoding="utf-8")
    return root


def check(root, *extra):
    run = subprocess.run([sys.executable, str(CHECK), "--source", str(root), *extra],
                         capture_output=True, text=True)
    return run.returncode, run.stdout.splitlines()


class CheckIncludes(unittest.TestCase):
    def test_what_the_table_allows_passes(self):
        root = tree(ALLOWED)
        self.addCleanup(shutil.rmtree, root)
        self.assertEqual(check(root), (0, []))

    def test_a_file_that_breaks_an_arrow_is_refused_with_its_file_line_and_arrow(self):
        for name, text, refusal in BROKEN:
            with self.subTest(name):
                root = tree({**ALLOWED, name: text})
                self.addCleanup(shutil.rmtree, root)
                code, lines = check(root)
                self.assertEqual(code, 1)
                self.assertEqual(len(lines), 1, lines)
                self.assertTrue(lines[0].startswith(refusal), lines[0])

    def test_the_page_must_show_the_table_as_it_is(self):
        root = tree(ALLOWED)
        self.addCleanup(shutil.rmtree, root)
        table = (root / "cmake" / "layers.txt").read_text(encoding="utf-8")
        page = root / "page.md"
        page.write_text(f"# Layers\n\n```\n{table}```\n", encoding="utf-8")
        self.assertEqual(check(root, "--doc", str(page)), (0, []))
        page.write_text(f"```\n{table.replace('ui shutdown manifest', 'ui shutdown')}```\n",
                        encoding="utf-8")
        code, lines = check(root, "--doc", str(page))
        self.assertEqual(code, 1)
        self.assertEqual(lines, [f"{page}: does not show cmake/layers.txt as it is"])


if __name__ == "__main__":
    unittest.main()
