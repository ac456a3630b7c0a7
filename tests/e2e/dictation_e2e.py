#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A dictation taken through the accessibility tree (AT-SPI) in the real program: once the answers are right, the
timed story's "Dictation" opens in the transcript's place; F9 goes to the second sentence, which is typed on the
keyboard with a typo, a wrong word and a missing word; the marking and the score are read back as text. Closed, the
transcript is back.
Usage: xvfb-run -a dbus-run-session -- /usr/bin/python3 -u dictation_e2e.py VANTREL TONE_MP3"""

import os, pathlib, sys, tempfile, time
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from lesson_e2e import (MENU, ROLE_LABEL, ROLE_PUSH_BUTTON, ROLE_TEXT, SECOND, STARTED, STATE_FOCUSED, Lesson,
                        expect, find, has, seen)
from options_e2e import act, run as answer_by_actions


def run(lesson):
    answer_by_actions(lesson)
    act(lesson.shown(ROLE_PUSH_BUTTON, "Dictation", True), "Press")
    lesson.shown(ROLE_LABEL, "Sentence 1 of 2")
    field = lesson.shown(ROLE_TEXT, "What you heard")
    lesson.wait_for("the typing field to have the keyboard", lambda app: has(field, STATE_FOCUSED))
    expect(not find(seen(lesson.application()), ROLE_TEXT, "Transcript"), "the transcript is still on screen")

    # F9: the second sentence. How it sounds is measured by bench/sentences_bench.py: a rare stall of the
    # sound server's stream clock on a fresh stream's first step (see README, Sound) would make this test flaky.
    lesson.keys(MENU, "F9")
    lesson.shown(ROLE_LABEL, "Sentence 2 of 2")

    expect(SECOND == "The whole town came to see it.", "the second sentence changed: %r", SECOND)
    lesson.keys(MENU, "ctrl+a")
    lesson.xdotool("type", "--delay", "30", "the whole twon went see it")
    lesson.wait_for("the typing", lambda app: field.queryText().getText(0, -1) == "the whole twon went see it")
    lesson.keys(MENU, "Return")
    marking = "The whole town [typo: twon] came [wrong: went] to [missing] see it."
    lesson.shown(ROLE_LABEL, marking)
    lesson.shown(ROLE_LABEL, "4 of 7 words right, 1 typo")

    act(lesson.shown(ROLE_PUSH_BUTTON, "Close", True), "Press")
    lesson.shown(ROLE_TEXT, "Transcript")
    expect(not find(seen(lesson.application()), ROLE_LABEL, marking), "the marking is still on screen")


def main():
    vantrel, tone = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="vantrel-e2e-") as work:
        lesson = Lesson(pathlib.Path(work))
        try:
            lesson.start(os.path.realpath(vantrel), tone)
            run(lesson)
        except Exception:
            for log in sorted(lesson.work.glob("*.log")):
                print("--- %s\n%s" % (log.name, log.read_text(errors="replace")[-4000:]), file=sys.stderr)
            raise
        finally:
            lesson.stop()
    print("ok: a dictation through the accessibility tree in %.1f s" % (time.monotonic() - STARTED))


if __name__ == "__main__":
    main()
