#!/usr/bin/python3
"""A manual page against its program: it renders without warnings, and
where the program is given, it names the same options (forms and
arguments), exit statuses and version as the program's --help and
--version.

    manual_test.py PAGE [PROGRAM]
"""

import re
import subprocess
import sys
import unittest

PAGE = sys.argv[1] if len(sys.argv) > 1 else ""
PROGRAM = sys.argv[2] if len(sys.argv) > 2 else ""

# "  -d, --directory DIR  ..." or "      --png-level N  ...": the short form,
# the long form and the argument's name.
OPTION = re.compile(r"^ +(?:(-\w)(?:, |\s|$))? *(--[\w-]+)?(?: ([A-Z]+))?(?:\s|$)")


def rendered():
    result = subprocess.run(["groff", "-t", "-man", "-ww", "-Tascii", "-P-cbou", PAGE],
                            capture_output=True, text=True, check=True,
                            env={"PATH": "/usr/bin:/bin", "LC_ALL": "C"})
    return result.stdout, result.stderr


def section(text, name):
    """The lines of a section of rendered text, up to the next heading."""
    lines = text.splitlines()
    start = lines.index(name) + 1
    end = next((i for i in range(start, len(lines)) if re.match(r"^[A-Z]", lines[i])),
               len(lines))
    return lines[start:end]


def options(lines):
    found = set()
    for line in lines:
        match = OPTION.match(line) if line.lstrip().startswith("-") else None
        if match and (match.group(1) or match.group(2)):
            found.add(match.groups())
    return found


def program_output(*args):
    return subprocess.run([PROGRAM] + list(args), capture_output=True, text=True,
                          check=True).stdout


class PageTest(unittest.TestCase):
    def test_renders_without_warnings(self):
        text, warnings = rendered()
        self.assertEqual(warnings, "")
        self.assertIn("NAME", text.splitlines())

    def test_options_are_those_of_the_help(self):
        if not PROGRAM:
            self.skipTest("no program to compare with")
        page = options(section(rendered()[0], "OPTIONS"))
        helped = options(program_output("--help").splitlines())
        self.assertTrue(helped)
        self.assertEqual(page, helped)

    def test_exit_statuses_are_those_of_the_help(self):
        if not PROGRAM:
            self.skipTest("no program to compare with")
        statuses = re.search(r"^Exit status: (.*)$", program_output("--help"), re.M).group(1)
        listed = [match.group(1) for match in map(re.compile(r"^ {7}(\d+)\b").match,
                                                  section(rendered()[0], "EXIT STATUS")) if match]
        self.assertEqual(listed, re.findall(r"(\d+) (?:if|for)", statuses))

    def test_version_is_the_program_version(self):
        if not PROGRAM:
            self.skipTest("no program to compare with")
        version = program_output("--version").split()[-1]
        with open(PAGE) as page:
            heading = next(line for line in page if line.startswith(".TH "))
        self.assertIn('" ' + version + '"', heading.replace('"Tarnwick ', '" '))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
