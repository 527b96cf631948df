"""A scripted session of creature_sim, net_tester or net_lab under valgrind's memcheck, under Xvfb.

Start with a good network, drive the program's keys and mouse, load a hostile file, a good
one, a link to /dev/zero and a pipe with L, show the help with F1, save screenshots with F12
and quit with Esc. The run passes when the program answered throughout, left through Esc
with status 0, and valgrind found no invalid access, no use of uninitialised values and no
definitely lost block.

Usage: session_check.py creature_sim|net_tester|net_lab PROGRAM EXAMPLES_DIR
Exit status 77 (skipped) when Xvfb, xdotool or valgrind is missing.
"""

import os
import shutil
import stat
import sys
import tempfile
import time

import e2e_support as e2e

# Layers the engine refuses before building anything, a structural fault, and bytes that are
# no text at all: the program must show its error panel and carry on.
HOSTILE_NETWORK = ("input_layer: 3\n"
                   "comp_layer: 2000000000\n"
                   "weights: 1e309 -. nan\n"
                   "\x01\x7f\xff garbage \x00 after a NUL\n"
                   "input_layer: -4\n")

# valgrind runs the program some twenty times slower: allow for it everywhere.
START_TIMEOUT = 90
EXIT_TIMEOUT = 90
HOLD = 0.4


class Program:
    """What differs between the two programs in this session."""

    def __init__(self, name, width, height, start_file, good_file, drive):
        self.name = name
        self.width = width
        self.height = height
        self.start_file = start_file
        self.good_file = good_file
        self.drive = drive


def drive_creature_sim(run):
    """Numpad keys, the speed keys, the mouse and its buttons, Alt with the mouse."""
    for name in ("KP_Prior", "KP_Home", "KP_Multiply", "KP_Divide", "KP_Subtract"):
        run.hold_key(name, HOLD)
    run.move_mouse(40, -30)
    for button in (1, 3):
        with run.holding_button(button):
            time.sleep(HOLD)
    with run.holding("Alt_L"):
        run.move_mouse(-25, 15)
        time.sleep(HOLD)


def drive_net_tester(run):
    """Digit keys held while the mouse moves up and down."""
    for name in ("1", "2", "0"):
        with run.holding(name):
            run.move_mouse(0, -200)
            time.sleep(HOLD)
            run.move_mouse(0, 120)
            time.sleep(HOLD)


def drive_net_lab(run):
    """Single passes, passes per frame, training started and paused, reset and save."""
    for name in ("period", "KP_Add", "period", "minus", "space", "space", "r", "s"):
        run.hold_key(name, HOLD)


def program_for(name, examples):
    if name == "creature_sim":
        return Program(name, 640, 480, os.path.join(examples, "config_generated.txt"),
                       os.path.join(examples, "follower.txt"), drive_creature_sim)
    if name == "net_tester":
        return Program(name, 800, 600, os.path.join(examples, "xor.txt"),
                       os.path.join(examples, "exclusive_or.txt"), drive_net_tester)
    if name == "net_lab":
        return Program(name, 800, 600, os.path.join(examples, "exclusive_or_training.txt"),
                       os.path.join(examples, "exclusive_or_training.txt"), drive_net_lab)
    raise SystemExit("unknown program %r" % name)


def read(path):
    with open(path, "rb") as source:
        return source.read().decode("latin-1")


def valgrind_wrapper(directory, program, log_path):
    """A script that replaces itself by the program under memcheck, so the session's process
    is valgrind and its exit status valgrind's verdict."""
    wrapper = os.path.join(directory, "under_valgrind.sh")
    with open(wrapper, "w") as out:
        out.write("#!/bin/sh\n"
                  "exec valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite"
                  " --show-leak-kinds=definite --track-origins=yes --error-exitcode=99"
                  " --log-file='%s' '%s' \"$@\"\n" % (log_path, os.path.abspath(program)))
    os.chmod(wrapper, os.stat(wrapper).st_mode | stat.S_IXUSR)
    return wrapper


def load_file(run, path):
    """L with the file selector, at valgrind's pace; the program must still answer."""
    e2e.load_file(run, path, type_delay_ms=60, hold=0.3, open_wait=2.5, close_wait=3)
    run.check_running()


def error_panel_shown(run, program):
    image = run.screenshot(timeout=30, wait_pause=3)
    assert (image.width, image.height) == (program.width, program.height), "screenshot size"
    return image.count(e2e.ERROR_COLOR) > 0


def valgrind_summary(log_path):
    lines = read(log_path).splitlines()
    wanted = ("ERROR SUMMARY", "definitely lost", "indirectly lost", "All heap blocks")
    return [line for line in lines if any(word in line for word in wanted)]


def session(program, executable):
    log_dir = tempfile.mkdtemp(prefix="nc_session_")
    log_path = os.path.join(log_dir, "valgrind.log")
    try:
        wrapper = valgrind_wrapper(log_dir, executable, log_path)
        files = {"config_generated.txt": read(program.start_file),
                 "good.txt": read(program.good_file),
                 "hostile.txt": HOSTILE_NETWORK}
        with e2e.Session(wrapper, width=program.width, height=program.height,
                         files=files) as run:
            run.wait_ready(timeout=START_TIMEOUT, settle=2)

            def start_and_keys():
                program.drive(run)
                run.check_running()
                assert not error_panel_shown(run, program), "error panel over a good start-up file"

            def load_hostile_file():
                load_file(run, run.path("hostile.txt"))
                assert error_panel_shown(run, program), "no error panel for a hostile file"

            def load_good_file():
                load_file(run, run.path("good.txt"))
                assert not error_panel_shown(run, program), "error panel after a good file"
                program.drive(run)
                run.check_running()

            def load_device_and_pipe():
                # Names the file selector accepts: a link to a device that never ends its
                # first line, and a pipe that nobody writes to. Both must be refused, not read.
                if os.path.exists("/dev/zero"):
                    os.symlink("/dev/zero", run.path("zero.txt"))
                    load_file(run, run.path("zero.txt"))
                    assert error_panel_shown(run, program), "no error panel for /dev/zero"
                load_file(run, run.path("good.txt"))
                os.mkfifo(run.path("pipe.txt"))
                load_file(run, run.path("pipe.txt"))
                assert error_panel_shown(run, program), "no error panel for a pipe"

            def help_screen():
                run.hold_key("F1", 0.3)
                time.sleep(2)
                shown = run.capture_screen().count(e2e.HELP_BG_RGB)
                assert shown > 1000, "help panel not shown (%d pixels of its colour)" % shown
                run.tap_key("space")
                time.sleep(1.5)
                run.check_running()

            def escape_quits():
                run.hold_key("Escape", HOLD)
                status = run.wait_exit(timeout=EXIT_TIMEOUT)
                print("\n".join(valgrind_summary(log_path)), flush=True)
                if status == 99:
                    print(read(log_path), flush=True)
                assert status is not None, "still running %s s after Esc" % EXIT_TIMEOUT
                assert status != 99, "valgrind reported errors or definitely lost memory"
                assert status == 0, "exit status %r" % status

            e2e.run_checks([("start and keys", start_and_keys),
                            ("L with a hostile file", load_hostile_file),
                            ("L with a good file", load_good_file),
                            ("L with a device and a pipe", load_device_and_pipe),
                            ("F1 help", help_screen),
                            ("Esc, valgrind clean", escape_quits)])
    finally:
        shutil.rmtree(log_dir, ignore_errors=True)


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    name, executable, examples = sys.argv[1:]
    e2e.require_tools("valgrind")
    session(program_for(name, examples), executable)


if __name__ == "__main__":
    main()
