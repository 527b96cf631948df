#!/usr/bin/env python3
"""The built creature_lab end to end: results on stdout, problems on stderr, exit statuses,
and files written where asked.

Usage: creature_lab_e2e.py CREATURE_LAB EXAMPLES_DIR
"""
import os
import resource
import subprocess
import sys
import tempfile


# An address-space limit far below what the largest accepted evolution asks for.
MEMORY_LIMIT = 1 << 30


def run(tool, arguments, cwd, limit_memory=False):
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (MEMORY_LIMIT, MEMORY_LIMIT))
    return subprocess.run([tool] + arguments, cwd=cwd, capture_output=True, text=True, timeout=60,
                          preexec_fn=limit if limit_memory else None)


def main():
    tool, examples = sys.argv[1], sys.argv[2]
    follower = os.path.join(examples, "follower.txt")
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)
            print("FAILED: " + what)

    with tempfile.TemporaryDirectory() as work:
        scored = run(tool, ["score", follower, "--frames", "200"], work)
        expect(scored.returncode == 0, "score exits 0: " + scored.stderr)
        expect(scored.stdout.splitlines()[-1].startswith("score: "), "score ends with 'score: NUMBER'")
        expect(scored.stderr == "", "score writes nothing to stderr")

        traced = run(tool, ["trace", follower, "-o", "t.csv", "--image", "t.png", "--frames", "50"], work)
        expect(traced.returncode == 0, "trace exits 0: " + traced.stderr)
        with open(os.path.join(work, "t.csv")) as csv:
            expect(len(csv.read().splitlines()) == 51, "trace writes a header and 50 rows")
        with open(os.path.join(work, "t.png"), "rb") as png:
            expect(png.read(8) == b"\x89PNG\r\n\x1a\n", "trace --image writes a PNG")

        evolved = run(tool, ["evolve", "--behaviour", "flee", "-o", "e.txt", "--population", "4",
                             "--generations", "2", "--frames", "30"], work)
        expect(evolved.returncode == 0, "evolve exits 0: " + evolved.stderr)
        expect(evolved.stderr == "", "evolve off a terminal shows no progress line")
        rescored = run(tool, ["score", "e.txt", "--behaviour", "flee", "--frames", "30"], work)
        expect(rescored.stdout.splitlines()[-1] == evolved.stdout.splitlines()[-1],
               "the evolved file scores what evolve reported")

        missing = run(tool, ["score", "none.txt"], work)
        expect(missing.returncode == 2, "a missing file exits 2")
        expect(missing.stderr.startswith("creature_lab: none.txt: "), "a missing file is named: " + missing.stderr)

        # Names and file text reach the terminal escaped: a file cannot retitle or clear it.
        hostile = os.path.join(work, "bell\x07.txt")
        with open(hostile, "w") as file:
            file.write("input_layer: 3\ncomp_layer: 4\nweights: 1 \x1b]0;owned\x07 \x1b[2J\n")
        for arguments in (["score", hostile], ["score", "\x1b[2J.txt"], ["trace", follower, "-o", "no/\x1b[2J.csv"]):
            shown = run(tool, arguments, work)
            expect(shown.stderr.startswith("creature_lab: ") and "\x1b" not in shown.stderr
                   and "\x07" not in shown.stderr, "control characters escaped: %r" % shown.stderr)
        shown = run(tool, ["score", hostile], work).stderr
        expect("bell\\a.txt:3: " in shown and "\\x1b]0;owned\\a" in shown, "the name and token escaped: %r" % shown)

        # Results that cannot reach standard output are a failure, with the reason on stderr.
        for arguments in (["--help"], ["score", follower, "--frames", "20"]):
            with open("/dev/full", "w") as full:
                lost = subprocess.run([tool] + arguments, cwd=work, stdout=full, stderr=subprocess.PIPE, text=True,
                                      timeout=60)
            expect(lost.returncode == 74, "%s > /dev/full exits 74, not %d" % (arguments, lost.returncode))
            expect(lost.stderr == "creature_lab: cannot write standard output: no space left on device\n",
                   "%s > /dev/full says why: %r" % (arguments, lost.stderr))

        wrong = run(tool, ["score", follower, "--frames", "many"], work)
        expect(wrong.returncode == 64, "a wrong command line exits 64")

        # The sanitizers reserve more address space than the limit allows.
        if not os.environ.get("NC_SANITIZED"):
            huge = run(tool, ["evolve", "--behaviour", "flee", "-o", "huge.txt", "--population", "100000",
                              "--hidden", "1000", "--generations", "1"], work, limit_memory=True)
            expect(huge.returncode == 71, "running out of memory exits 71, not %d" % huge.returncode)
            expect(huge.stderr.startswith("creature_lab: not enough memory"),
                   "running out of memory is explained: " + huge.stderr)
            expect(not os.path.exists(os.path.join(work, "huge.txt")), "running out of memory writes nothing")

    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
