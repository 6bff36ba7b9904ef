#!/usr/bin/env python3
"""Tests of check_includes.py on small trees written for the purpose."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'check_includes.py')


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, 'w') as fh:
                fh.write(text)
        p = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        return p.returncode, p.stdout


class CheckIncludes(unittest.TestCase):
    def test_one_way_dependencies_pass(self):
        rc, out = run({'a/x.h': '', 'a/x.cpp': '#include "x.h"\n#include "y.h"\n',
                       'a/y.h': '#include <vector>\n', 'b/z.cpp': '#include "x.h"\n'})
        self.assertEqual(rc, 0, out)
        self.assertIn('no include circle among 3 components', out)

    def test_a_circle_through_a_source_file_fails(self):
        # The header and the source file of a component count as one.
        rc, out = run({'a/x.h': '#include "y.h"\n', 'a/y.h': '', 'a/y.cpp': '#include "x.h"\n'})
        self.assertEqual(rc, 1)
        self.assertIn('include circle: a/x <-> a/y', out)
        self.assertIn('a/y -> a/x (in a/y.cpp)', out)

    def test_a_longer_circle_is_named_whole(self):
        rc, out = run({'a/p.h': '#include "q.h"\n', 'a/q.cpp': '#include "r.h"\n', 'a/q.h': '',
                       'a/r.h': '', 'a/r.cpp': '  #  include "p.h"\n', 'a/s.h': '#include "p.h"\n'})
        self.assertEqual(rc, 1)
        self.assertIn('include circle: a/p <-> a/q <-> a/r', out)
        self.assertNotIn('a/s', out)


if __name__ == '__main__':
    unittest.main()
