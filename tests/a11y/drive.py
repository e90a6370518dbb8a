#!/usr/bin/python3
"""Drives Namorel as a screen-reader user would, through AT-SPI only.

    drive.py <namorel program>

Needs a D-Bus session and an X display (tests/display/with_window_manager.sh gives one; run it under
dbus-run-session), and Debian's python3-pyatspi, so run it with the system's Python. It starts the
program with a settings folder of its own, then:

- lists every control of the main window and of the About window with its role and name, and fails on a
  control without a name;
- types a surname, unticks every origin and ticks one back, sets the lengths, presses Generate, reads the
  summary and closes it;
- chooses the first recommended name and reads the signature and the initials back;
- closes the program through its Exit command, which must end it normally.

Prints what it does; exits with 0 when every step worked, 1 otherwise.
"""

import os
import re
import subprocess
import sys
import tempfile
import time

import pyatspi

SURNAME = "Nakamura"
ORIGIN = "Celtic"
MIN_LENGTH, MAX_LENGTH = 5, 8

# Roles of the objects a user works with or reads; each must be named. Containers (fillers, panels, the
# tab pages, the scroll bars of a list) are not controls.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_ITEM,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_LINK, pyatspi.ROLE_IMAGE, pyatspi.ROLE_LABEL,
}

# A message box is an alert to some platforms' tools, a dialog to others.
MESSAGE_ROLES = (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)


class Failure(Exception):
    pass


def wait_for(what, find, timeout=20.0):
    """Polls find() until it returns something, for at most timeout seconds."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # the tree changes under us while windows open and close
            found = None
        if found:
            return found
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def children(accessible):
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            yield child


def descendants(accessible):
    for child in children(accessible):
        yield child
        yield from descendants(child)


def find(root, role, name=None):
    for accessible in descendants(root):
        if accessible.getRole() == role and (name is None or accessible.name == name):
            return accessible
    return None


def has_state(accessible, state):
    return accessible.getState().contains(state)


def do_action(accessible, *names):
    actions = accessible.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index) in names:
            actions.doAction(index)
            return
    raise Failure("%s '%s' has no action %s" % (accessible.getRoleName(), accessible.name, "/".join(names)))


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def window_named(application, name, roles=(pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG)):
    for window in children(application):
        if window.getRole() in roles and window.name == name and has_state(window, pyatspi.STATE_SHOWING):
            return window
    return None


def list_controls(window, title):
    """Prints every control under window with role and name; returns the unnamed ones."""
    print("%s:" % title)
    unnamed = []
    for accessible in descendants(window):
        if accessible.getRole() not in CONTROL_ROLES:
            continue
        name = accessible.name.strip()
        print("  %-14s %s" % (accessible.getRoleName(), repr(name)))
        # A label is read by its text; one that holds none yet says nothing.
        if not name and accessible.getRole() != pyatspi.ROLE_LABEL:
            unnamed.append(accessible.getRoleName())
    return unnamed


def drive(program):
    application = wait_for("the program on the accessibility bus", lambda: next(
        (app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == "Namorel"), None))
    main = wait_for("the main window", lambda: window_named(application, "Namorel", (pyatspi.ROLE_FRAME,)))
    unnamed = list_controls(main, "Main window")

    about_item = find(main, pyatspi.ROLE_MENU_ITEM, "About...")
    started = time.monotonic()
    do_action(about_item, "click", "Press")
    # The command is answered at once; the window then shows modally.
    if time.monotonic() - started > 2:
        raise Failure("About... kept the caller waiting %.1f s" % (time.monotonic() - started))
    about = wait_for("the About window", lambda: window_named(application, "About..."))
    unnamed += list_controls(about, "About window")
    do_action(find(about, pyatspi.ROLE_PUSH_BUTTON, "Close"), "Press")
    wait_for("the About window to close", lambda: window_named(application, "About...") is None)
    if unnamed:
        raise Failure("controls without a name: " + ", ".join(unnamed))

    surname = find(main, pyatspi.ROLE_TEXT, "Your Surname: ")
    surname.queryEditableText().setTextContents(SURNAME)
    if text_of(surname) != SURNAME:
        raise Failure("the surname reads %r" % text_of(surname))
    print("Typed the surname %s" % SURNAME)

    origins = find(main, pyatspi.ROLE_LIST, "Name Origin")
    rows = list(children(origins))
    for row in rows:
        if not has_state(row, pyatspi.STATE_CHECKED):
            raise Failure("origin %s is not ticked at the start" % row.name)
        do_action(row, "Toggle")
    if any(has_state(row, pyatspi.STATE_CHECKED) for row in rows):
        raise Failure("an origin is still ticked after unticking them all")
    chosen = next(row for row in rows if row.name == ORIGIN)
    do_action(chosen, "Toggle")
    ticked = [row.name for row in rows if has_state(row, pyatspi.STATE_CHECKED)]
    if ticked != [ORIGIN]:
        raise Failure("ticked origins are %s" % ticked)
    print("Unticked all %d origins, ticked %s back" % (len(rows), ORIGIN))

    for name, value in (("Minimum characters", MIN_LENGTH), ("Maximum characters", MAX_LENGTH)):
        box = find(main, pyatspi.ROLE_SPIN_BUTTON, name)
        box.queryValue().currentValue = value
        if int(box.queryValue().currentValue) != value:
            raise Failure("%s reads %s" % (name, box.queryValue().currentValue))
    print("Set the lengths to %d to %d" % (MIN_LENGTH, MAX_LENGTH))

    do_action(find(main, pyatspi.ROLE_PUSH_BUTTON, "Generate Namorel"), "Press")
    summary = wait_for("the summary", lambda: window_named(application, "Namorel", MESSAGE_ROLES))
    message = next((label.name for label in descendants(summary)
                    if label.getRole() == pyatspi.ROLE_LABEL and label.name.startswith("Search Complete!")), "")
    match = re.fullmatch(r"Search Complete!\s+Scanned Names in Database: (\d+)\s+Relevent Names displayed: (\d+)",
                         message)
    if not match or int(match.group(2)) == 0:
        raise Failure("the summary reads %r" % message)
    print("Summary: %s" % " / ".join(line for line in message.splitlines() if line))
    do_action(find(summary, pyatspi.ROLE_PUSH_BUTTON, "OK"), "Press")
    wait_for("the summary to close", lambda: window_named(application, "Namorel", MESSAGE_ROLES) is None)

    recommended = find(main, pyatspi.ROLE_LIST, "Recommended Names")
    first = wait_for("the recommended names", lambda: next(children(recommended), None))
    do_action(first, "Toggle")
    signature = find(main, pyatspi.ROLE_TEXT, "Baby Signature:")
    initials = find(main, pyatspi.ROLE_TEXT, "Baby Initials:")
    expected = "\n%s %s" % (first.name, SURNAME)
    wait_for("the signature of %s" % first.name, lambda: text_of(signature) == expected, timeout=5)
    print("Chose %s: signature %r, initials %r" % (first.name, text_of(signature), text_of(initials)))
    if text_of(initials).strip() != "%s.%s." % (first.name[0].upper(), SURNAME[0]):
        raise Failure("the initials read %r" % text_of(initials))

    do_action(find(main, pyatspi.ROLE_MENU_ITEM, "Exit"), "Press")
    return program.wait(timeout=30)


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory() as settings:
        environment = dict(os.environ, XDG_CONFIG_HOME=settings, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_ACCESSIBILITY="1")
        environment.setdefault("QT_QPA_PLATFORM", "xcb")
        program = subprocess.Popen([sys.argv[1]], env=environment)
        try:
            status = drive(program)
        except Failure as failure:
            print("FAIL: %s" % failure)
            return 1
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
        if status != 0:
            print("FAIL: the program ended with status %d" % status)
            return 1
        print("PASS")
        return 0


if __name__ == "__main__":
    sys.exit(main())
