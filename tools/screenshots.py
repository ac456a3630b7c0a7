#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A screenshot of the lesson with its full player open, on one desktop set-up, in a real X window.

The sample library's first story, its sound swapped for a 3 s tone so that the three hearings are quick.
Run one set-up a process (tools/screenshots.sh runs them all):
  xvfb-run -a -s "-screen 0 1400x1000x24" dbus-run-session -- /usr/bin/python3 tools/screenshots.py \\
      VANTREL TONE_MP3 OUT.png [--gtk-font "Cantarell 11"] [--scale 2]
"""

import argparse, os, pathlib, shutil, subprocess, sys, tempfile, time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import lesson_e2e as e2e  # noqa: E402
from pyatspi import DESKTOP_COORDS, ROLE_PUSH_BUTTON, ROLE_RADIO_BUTTON, ROLE_SLIDER  # noqa: E402

SAMPLES = pathlib.Path(__file__).resolve().parent.parent / "stories"


def sample_library(folder, tone):
    shutil.copy(SAMPLES / "vtl.txt", folder / "vtl.txt")
    shutil.copy(tone, folder / "STORY01.MP3")
    # The story's own sentences, squeezed into the tone's 3 s, so that the
    # full player offers its sentence steps.
    cues = [block.split("\n")[1] for block in (SAMPLES / "STORY01.vtt").read_text().split("\n\n")[1:] if block]
    (folder / "STORY01.vtt").write_text("WEBVTT\n\n" + "".join(
        f"00:0{i * 0.7:05.3f} --> 00:0{i * 0.7 + 0.6:05.3f}\n{text}\n\n" for i, text in enumerate(cues)))


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("vantrel"), parser.add_argument("tone"), parser.add_argument("out")
    parser.add_argument("--gtk-font"), parser.add_argument("--scale", type=int, default=1)
    args = parser.parse_args()
    e2e.write_library = sample_library
    with tempfile.TemporaryDirectory(prefix="vantrel-shots-") as work:
        lesson = e2e.Lesson(pathlib.Path(work), args.gtk_font)
        if args.scale != 1:
            lesson.env["QT_SCALE_FACTOR"] = str(args.scale)

        def click(acc):  # Qt 6.4 tells screen readers unscaled places
            box = acc.queryComponent().getExtents(DESKTOP_COORDS)
            lesson.xdotool("mousemove", str((box.x + box.width // 2) * args.scale),
                           str((box.y + box.height // 2) * args.scale), "click", "1")
        lesson.click = click
        try:
            lesson.start(os.path.realpath(args.vantrel), args.tone)
            lesson.box(e2e.MENU.split(":")[0] + " 5.75", lambda text: True, "Enter")
            title = (SAMPLES / "vtl.txt").read_bytes().split(b"\r\n")[1].decode("cp1252")
            lesson.click(lesson.shown(ROLE_RADIO_BUTTON, title))
            lesson.keys(e2e.MENU, "Return")
            for prompt in e2e.PROMPTS[1:]:
                lesson.click(lesson.shown(ROLE_PUSH_BUTTON, "Click to Listen", True))
                lesson.shown(e2e.ROLE_LABEL, prompt)
            lesson.shown(ROLE_SLIDER, "Position")
            time.sleep(0.5)
            window = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(lesson.app.pid), "--name",
                                     "^%s$" % e2e.MENU], env=lesson.env, capture_output=True, text=True, check=True)
            subprocess.run(["import", "-window", window.stdout.split()[0], args.out], env=lesson.env, check=True)
        finally:
            lesson.stop()


if __name__ == "__main__":
    main()
