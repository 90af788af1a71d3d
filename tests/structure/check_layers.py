#!/usr/bin/env python3
"""The program's layers, read from what the compiler really included (ninja's dependency log) and
from the include paths each source is compiled with:

  app -> sound, controls -> toolkit -> files, Qt, ALSA
  cli -> the sound engine, signals, encode, formats, the file writer, measure, plot, playback
  formats -> encode -> signals; plot -> measure, playback -> encode (playback -> ALSA)

The render command's own stages point one way too: options -> request -> plan -> jobs -> report,
each including only itself and the stages before it (main() joins them). Only the toolkit, the
render command's playback (ALSA) and the tests may include a Qt or ALSA header or be compiled with
Qt's include paths; the sound engine includes nothing beyond itself; nothing below app/ includes
app/ but the one header that the shell offers downward; the toolkit's internals stay inside it
and its tests.

Usage: check_layers.py SOURCE_DIR BUILD_DIR NINJA
Prints the include graph between the folders, and every include that crosses a fence.
"""
import collections
import json
import shlex
import subprocess
import sys

SOURCE, BUILD, NINJA = sys.argv[1].rstrip("/") + "/", sys.argv[2], sys.argv[3]
FOLDERS = ("app", "cli", "sound", "signals", "encode", "formats", "files", "measure", "plot",
           "playback", "controls", "toolkit", "bench", "tests")
# The sound engine: what the pure library is built from.
ENGINE = ("sound/wav_buffer", "sound/shape_", "sound/number_text")
UPWARD_HEADER = "app/program_references.h"
TOOLKIT_INTERFACE = "toolkit/toolkit.h"
FILE_WRITER_INTERFACE = "files/file_writer.h"
# Which folders each folder may reach, besides itself (the engine and headers named above aside).
REACHES = {
    "signals": (),
    "encode": ("signals",),
    "formats": ("encode", "signals"),
    "measure": ("encode", "signals"),
    "plot": ("measure", "encode", "signals"),
    "playback": ("encode", "signals"),
    "files": (),
    "cli": ("signals", "encode", "formats", "measure", "plot", "playback"),
    "bench": ("signals", "encode", "formats"),
}
# The render command's stages, by file name, in the order data flows through them.
CLI_STAGES = (
    ("options", ("render_options",)),
    ("request", ("number_reading", "frequency_reading", "output_names", "request_checks",
                 "render_request")),
    ("plan", ("level_plan", "signal_plan", "frame_sources", "output_conflicts", "render_plan")),
    ("jobs", ("interruption", "progress_line", "job_output", "render_playback", "render_jobs")),
    ("report", ("render_report",)),
)


def folder_of(path):
    if not path.startswith(SOURCE):
        return None
    relative = path[len(SOURCE):]
    top = relative.split("/", 1)[0]
    return top if top in FOLDERS else None


def is_platform_header(path):
    return "/qt6/" in path or "/alsa/" in path


def is_engine(relative):
    return relative.startswith(ENGINE)


def cli_stage(relative):
    """The stage's place in the render command's order; None for main() and anything else."""
    name = relative.rsplit("/", 1)[-1].split(".", 1)[0]
    for index, (_, names) in enumerate(CLI_STAGES):
        if name in names:
            return index
    return None


def cli_fence(src, relative):
    source_stage, header_stage = cli_stage(src), cli_stage(relative)
    if source_stage is None or header_stage is None or header_stage <= source_stage:
        return None
    return (f"the {CLI_STAGES[source_stage][0]} stage reaching the later "
            f"{CLI_STAGES[header_stage][0]} stage")


def fence_broken(source, header):
    """Why including header from source crosses a fence, or None."""
    src = source[len(SOURCE):]
    src_folder = folder_of(source)
    if src_folder == "tests":
        return None
    if is_platform_header(header):
        if src_folder == "toolkit" or (src_folder == "playback" and "/alsa/" in header):
            return None
        return "a Qt or ALSA header outside the toolkit"
    header_folder = folder_of(header)
    if header_folder is None:
        return None
    relative = header[len(SOURCE):]
    if header_folder == src_folder:
        if src_folder == "cli":
            return cli_fence(src, relative)
        return None
    if header_folder == "tests":
        return "a test header in the program"
    if header_folder == "cli":
        return "the render command reached from " + src_folder
    if header_folder == "files":
        if src_folder == "toolkit" or relative == FILE_WRITER_INTERFACE and src_folder in (
                "cli", "sound", "app", "controls", "bench"):
            return None if not is_engine(src) else "the file writer in the pure engine"
        return "the file writer's internals reached from " + src_folder
    if src_folder in REACHES:
        if header_folder in REACHES[src_folder]:
            return None
        if header_folder == "sound" and is_engine(relative) and src_folder in ("cli", "bench"):
            return None
        if src_folder == "bench" and header_folder in ("sound", "toolkit"):
            return None if relative == TOOLKIT_INTERFACE or header_folder == "sound" else \
                "a toolkit internal in the benchmark"
        return f"{src_folder}/ reaching {header_folder}/"
    if header_folder in ("signals", "encode", "formats", "measure", "plot", "playback"):
        return header_folder + "/ reached from " + src_folder
    if header_folder == "toolkit":
        if relative != TOOLKIT_INTERFACE:
            return "a toolkit internal outside the toolkit"
        return "the toolkit in the pure engine" if is_engine(src) else None
    if src_folder == "toolkit":
        return "the toolkit reaching up"
    if header_folder == "app":
        if src_folder in ("sound", "controls") and relative == UPWARD_HEADER and not is_engine(src):
            return None
        return "app/ reached from below"
    if header_folder == "controls" and src_folder != "app":
        return "controls/ reached from below app"
    if header_folder == "sound" and src_folder not in ("app", "controls"):
        return "sound/ reached from " + src_folder
    if is_engine(src):
        return "the pure engine reaching out"
    return None


def dependency_log():
    """(source, [included files]) for every object ninja has compiled."""
    text = subprocess.run([NINJA, "-C", BUILD, "-t", "deps"], check=True,
                          capture_output=True, text=True).stdout
    entries, current = [], None
    for line in text.splitlines():
        if not line.strip():
            continue
        if not line.startswith(" "):
            current = None
            if "(VALID)" in line:
                current = []
                entries.append(current)
        elif current is not None:
            current.append(line.strip())
    return [(files[0], files[1:]) for files in entries if files]


def include_path_faults():
    faults = []
    for entry in json.load(open(BUILD + "/compile_commands.json")):
        source = entry["file"]
        if folder_of(source) in (None, "toolkit", "tests"):
            continue
        words = shlex.split(entry["command"])
        for index, word in enumerate(words):
            path = None
            if word.startswith("-I") or word.startswith("-isystem"):
                path = word[2:] if word.startswith("-I") else word[len("-isystem"):]
                if not path and index + 1 < len(words):
                    path = words[index + 1]
            if path and is_platform_header(path + "/"):
                faults.append(f"{source[len(SOURCE):]}: compiled with {path} on its include path")
    return faults


def main():
    graph = collections.Counter()
    faults = include_path_faults()
    log = dependency_log()
    if not log:
        sys.exit("FAIL: the dependency log is empty: build first")
    for source, headers in log:
        src_folder = folder_of(source)
        if src_folder is None:
            continue
        for header in headers:
            header_folder = folder_of(header) or ("Qt/ALSA" if is_platform_header(header) else None)
            if header_folder and header_folder != src_folder:
                graph[(src_folder, header_folder)] += 1
            reason = fence_broken(source, header)
            if reason:
                faults.append(f"{source[len(SOURCE):]} includes {header}: {reason}")
    print("include graph (folder -> folder: includes):")
    for (src, dst), count in sorted(graph.items()):
        print(f"  {src} -> {dst}: {count}")
    for fault in sorted(set(faults)):
        print("FAIL:", fault)
    if faults:
        sys.exit(1)
    print(f"PASS: {len(log)} compiled sources keep to their layers")


main()
