#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A story and its answers chosen through the accessible actions alone (AT-SPI), as voice control and switch
access choose them, in the real program: "Toggle" on an option, "Press" on a button. The OK button comes on,
the story chosen opens, and the answers chosen are scored as the student's.
Usage: xvfb-run -a dbus-run-session -- /usr/bin/python3 -u options_e2e.py VANTREL TONE_MP3"""

import os, pathlib, sys, tempfile, time
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from lesson_e2e import (MENU, PROMPTS, ROLE_LABEL, ROLE_PUSH_BUTTON, ROLE_TEXT, STARTED, STATE_CHECKED, STORIES,
                        Lesson, expect, has, options, seen)


def act(acc, name):
    """Does the action NAME of ACC as an assistive technology does: by its index among the actions offered."""
    action = acc.queryAction()
    offered = [action.getName(i) for i in range(action.nActions)]
    expect(name in offered, "%r offers the actions %r, not %r", acc.name, offered, name)
    action.doAction(offered.index(name))


def choose(lesson, option):
    act(option, "Toggle")
    lesson.wait_for("%r selected" % option.name, lambda app: has(option, STATE_CHECKED))


def run(lesson):
    story = STORIES[2]
    lesson.box("Vantrel 5.75", lambda text: True, "Enter")
    offered = lesson.menu("unavailable")
    choose(lesson, offered[0])
    ok = lesson.shown(ROLE_PUSH_BUTTON, "OK", True)
    # Another story instead: the one chosen last opens.
    choose(lesson, offered[1])
    expect(not has(offered[0], STATE_CHECKED), "the first story is still selected")
    act(ok, "Press")
    lesson.shown(ROLE_LABEL, story[1])
    for prompt in PROMPTS[1:]:
        act(lesson.shown(ROLE_PUSH_BUTTON, "Click to Listen", True), "Press")
        lesson.shown(ROLE_LABEL, prompt)
    answers = lesson.wait_for("the three questions", lambda app: [options(seen(app), q[0])[1] for q in story[3]])
    # A wrong answer first, then the right one in its place.
    choose(lesson, answers[0][1])
    for question, (_, _, right) in enumerate(story[3]):
        choose(lesson, answers[question][right])
    expect(not has(answers[0][1], STATE_CHECKED), "the wrong answer is still selected")
    act(lesson.shown(ROLE_PUSH_BUTTON, "Check Answers", True), "Press")
    lesson.box("Checking Work", lambda text: text.startswith("You've answered all the questions correctly."), "Enter")
    lesson.shown(ROLE_TEXT, "Transcript")


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
    print("ok: a story and its answers chosen by accessible actions in %.1f s" % (time.monotonic() - STARTED))


if __name__ == "__main__":
    main()
