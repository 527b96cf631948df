#!/usr/bin/env python3
"""Makes the README's pictures: starts each program under Xvfb on the shipped examples,
drives it with xdotool, takes its own F12 screenshot (or, for the help screens, which are
drawn straight onto the screen, a capture of the whole X screen) and writes PNG files to
docs/images/. Rerun it whenever the drawing changes:

    python3 scripts/make_pictures.py [BUILD_DIR]

BUILD_DIR holds a build of the programs; without it the script builds them into
build-pictures/. Needs Xvfb, xdotool and xwd (scripts/install_deps.sh test installs them).

Sections: PNG writing, driving the programs, the pictures, main.
"""

import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import e2e_support as e2e  # noqa: E402

EXAMPLES = os.path.join(ROOT, "examples")
IMAGES = os.path.join(ROOT, "docs", "images")

LIGHT_BASE_COLOR = 100   # creature_sim: light level k is palette entry 100 + k
SENSOR_INNER_COLOR = 95  # creature_sim: inner ring of each sensor


# --- PNG writing -------------------------------------------------------------------------

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_indexed_png(path, width, height, indices, palette):
    """Writes an 8-bit palette PNG: `indices` holds one byte per pixel, top row first;
    `palette` lists (r, g, b) with 8-bit components."""
    rows = b"".join(b"\x00" + indices[y * width:(y + 1) * width] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
    plte = b"".join(bytes(colour) for colour in palette)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"PLTE", plte))
        out.write(png_chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(png_chunk(b"IEND", b""))


def save_screenshot(image, name):
    """An F12 screenshot (IndexedImage) as a PNG with the program's own palette."""
    write_indexed_png(os.path.join(IMAGES, name), image.width, image.height, image.pixels,
                      image.palette)
    print("wrote docs/images/" + name, flush=True)


def save_capture(image, name):
    """A capture of the X screen (RgbImage). The programs run in 256 colours, so the
    colours fit a palette."""
    palette = sorted(set(image.pixels))
    if len(palette) > 256:
        raise ValueError("the capture has %d colours, more than a palette holds" % len(palette))
    index_of = {colour: index for index, colour in enumerate(palette)}
    indices = bytes(index_of[colour] for colour in image.pixels)
    write_indexed_png(os.path.join(IMAGES, name), image.width, image.height, indices, palette)
    print("wrote docs/images/" + name, flush=True)


# --- Driving the programs ----------------------------------------------------------------

def example(name):
    with open(os.path.join(EXAMPLES, name)) as text:
        return text.read()


def start(program, width, height, files):
    """A program run whose window is up. Xvfb resets when its last client leaves, and a
    program that connects during that reset cannot open the display: try once more."""
    for attempt in (1, 2):
        run = e2e.Session(program, width, height, files=files)
        try:
            run.start()
            run.wait_ready()
            return run
        except e2e.ProgramExited:
            run.dump_logs()
            run.close()
            if attempt == 2:
                raise
            print("note: the program could not start; starting it once more", flush=True)
        except BaseException:
            run.close()
            raise


def quit_program(run):
    run.hold_key("Escape", 0.2)
    run.wait_exit(timeout=8)
    run.close()


def capture_help(run, name):
    """F1, then a capture of the screen while the help is shown, then any key to leave."""
    run.hold_key("F1", 0.15)
    time.sleep(0.4)
    save_capture(run.capture_screen(), name)
    run.tap_key("space")
    time.sleep(0.5)


def centre_of(image, predicate):
    box = image.bounding_box(predicate)
    if box is None:
        raise RuntimeError("the picture lacks what was looked for")
    x0, y0, x1, y1 = box
    return ((x0 + x1 - 1) / 2.0, (y0 + y1 - 1) / 2.0)


def move_pointer_to_row(run, row, height):
    """Pins the pointer to the top row with relative moves of twice the screen height,
    then moves it down to `row`: relative moves count exact mickeys."""
    for _ in range(3):
        run.move_mouse(0, -2 * height)
        time.sleep(0.05)
    if row:
        run.move_mouse(0, row)
    time.sleep(0.1)


def set_input(run, key, value, height):
    """Places the pointer where the mouse value is `value` (1 on the top row, 0 on the
    bottom one), then holds the digit key so the input takes it."""
    move_pointer_to_row(run, round((1.0 - value) * (height - 1)), height)
    run.hold_key(key, 0.3)
    time.sleep(0.1)


# --- The pictures ------------------------------------------------------------------------

def creature_pictures(program):
    """The default creature under the spotlight, the help screen, and the error panel of a
    directory without config_generated.txt."""
    run = start(program, 640, 480, {"config_generated.txt": example("config_generated.txt")})
    try:
        # Numpad 6 and 5 stop the spotlight; then put it just beside the creature.
        run.key_down("KP_Right")
        run.key_down("KP_Begin")
        time.sleep(0.3)
        run.key_up("KP_Begin")
        run.key_up("KP_Right")
        image = run.screenshot()
        light = centre_of(image, lambda v: LIGHT_BASE_COLOR <= v < LIGHT_BASE_COLOR + 64)
        creature = centre_of(image, lambda v: v == SENSOR_INNER_COLOR)
        run.move_mouse(round(creature[0] + 60 - light[0]), round(creature[1] + 30 - light[1]))
        time.sleep(0.6)  # the creature is on its way to the light's centre
        save_screenshot(run.screenshot(), "creature_sim.png")
        capture_help(run, "creature_sim_help.png")
        quit_program(run)
    finally:
        run.close()

    run = start(program, 640, 480, {})
    try:
        save_screenshot(run.screenshot(), "creature_sim_no_network.png")
        quit_program(run)
    finally:
        run.close()


def tester_pictures(program):
    """The exclusive-or network with its two inputs held at several values, and the help."""
    height = 600
    run = start(program, 800, height, {"config_generated.txt": example("exclusive_or.txt")})
    try:
        for first, second, name in ((1.0, 0.0, "net_tester_1_0.png"),
                                    (1.0, 1.0, "net_tester_1_1.png"),
                                    (0.25, 0.75, "net_tester_between.png")):
            set_input(run, "1", first, height)
            set_input(run, "2", second, height)
            save_screenshot(run.screenshot(), name)
        capture_help(run, "net_tester_help.png")
        quit_program(run)
    finally:
        run.close()


def lab_pictures(program):
    """Exclusive-or in net_lab before training and once it has converged."""
    run = start(program, 800, 600, {"config_generated.txt": example("exclusive_or_training.txt")})
    try:
        save_screenshot(run.screenshot(), "net_lab_before.png")
        for _ in range(2):  # 500 passes a frame: converged within a few seconds
            run.hold_key("KP_Add", 0.15)
            time.sleep(0.1)
        run.hold_key("space", 0.2)
        time.sleep(8)
        save_screenshot(run.screenshot(), "net_lab_after.png")
        quit_program(run)
    finally:
        run.close()


# --- Main --------------------------------------------------------------------------------

def build_programs():
    build_dir = os.path.join(ROOT, "build-pictures")
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF", "-DNC_BUILD_BENCHMARKS=OFF"], check=True)
    subprocess.run(["cmake", "--build", build_dir, "-j", str(min(os.cpu_count() or 1, 2)),
                    "--target", "creature_sim", "net_tester", "net_lab"], check=True)
    return build_dir


def main():
    missing = [tool for tool in ("Xvfb", "xdotool", "xwd") if not shutil.which(tool)]
    if missing:
        sys.exit("make_pictures: missing tools: " + ", ".join(missing))
    build_dir = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else build_programs()
    os.makedirs(IMAGES, exist_ok=True)
    creature_pictures(os.path.join(build_dir, "creature_sim", "creature_sim"))
    tester_pictures(os.path.join(build_dir, "net_tester", "net_tester"))
    lab_pictures(os.path.join(build_dir, "net_lab", "net_lab"))


if __name__ == "__main__":
    main()
