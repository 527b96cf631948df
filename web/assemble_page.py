#!/usr/bin/env python3
"""Assembles the browser edition's single page: the HTML template with the style sheet, the
compiled engine's two builds, with WebAssembly SIMD and without (their WebAssembly already
inlined), the page's scripts and the example files written into it, so that the page needs no
other file and makes no request."""
import argparse
import json
import os
import sys
import tempfile


def read(path):
    with open(path, encoding="utf-8") as source:
        return source.read()


def script_text(path):
    text = read(path)
    # A script element ends at the first "</script", wherever it stands.
    if "</script" in text.lower():
        sys.exit(f"assemble_page: {path}: holds '</script', which would end the page's script")
    return text


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--template", required=True)
    parser.add_argument("--style", required=True)
    parser.add_argument("--engine", required=True, help="the compiled engine's JavaScript")
    parser.add_argument("--plain-engine", required=True, help="the same, built without WebAssembly SIMD")
    parser.add_argument("--examples-dir", required=True)
    parser.add_argument("--example", action="append", default=[], help="an example file's name")
    parser.add_argument("--output", required=True)
    parser.add_argument("scripts", nargs="+", help="the page's scripts, in load order")
    arguments = parser.parse_args()

    examples = {name: read(os.path.join(arguments.examples_dir, name)) for name in arguments.example}
    # "<\/" keeps the JSON text from closing its script element.
    examples_json = json.dumps(examples, ensure_ascii=True).replace("</", "<\\/")
    page = read(arguments.template)
    for marker, text in (("/*@STYLE@*/", read(arguments.style)),
                         ("/*@EXAMPLES@*/", examples_json),
                         ("/*@ENGINE@*/", script_text(arguments.engine)),
                         ("/*@PLAIN_ENGINE@*/", script_text(arguments.plain_engine)),
                         ("/*@PAGE@*/", "\n".join(script_text(path) for path in arguments.scripts))):
        if page.count(marker) != 1:
            sys.exit(f"assemble_page: {arguments.template}: needs {marker} exactly once")
        page = page.replace(marker, text)

    # Written whole or not at all.
    directory = os.path.dirname(os.path.abspath(arguments.output))
    handle, temporary = tempfile.mkstemp(dir=directory, prefix=".neural-creatures.")
    try:
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o666 & ~umask)  # readable as any file the build makes
        with os.fdopen(handle, "w", encoding="utf-8") as out:
            out.write(page)
        os.replace(temporary, arguments.output)
    except BaseException:
        os.unlink(temporary)
        raise


if __name__ == "__main__":
    main()
