#!/usr/bin/python3
"""Checks what a screen reader sees of the program, through AT-SPI.

Starts the program (which must find a D-Bus session bus and an X display,
see atspi-check.sh), prints the accessible tree of the main window, drives it
the way a screen reader user would (types a name through EditableText, presses
the button through Action), prints the reading window's tree, switches tabs,
goes back, and exits non-zero if any expectation failed.
"""

import argparse
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

import pyatspi  # noqa: E402

APP_NAME = "OrraFreeNativeAmericanAstrology"
CALCULATE = "Get Native American Astrology Result"
OPEN = "Open Previously Saved Reading"
TOP_LINK_START = "The Most Popular Online Quillon Discussion Forum"
TABS = ["Native American Astrology Details", "Other Information"]
# Headings as a reader should hear them, per tab.
DETAIL_HEADINGS = ["Native American Sign", "Lucky Color", "Lucky Stone", "Lucky Tree", "Lucky day",
                   "Lucky time", "Compatible Signs", "Polarity Totem", "Animal Symbol", "Clan",
                   "Sub-Desires", "Sexual nature", "Nature", "Avoid"]
OTHER_HEADINGS = ["Positive Attributes", "Negative Attributes", "Element", "Goals", "Function",
                  "Description"]
PLACEHOLDER = "Label2"  # the value labels' text before the reading fills them

STATES = [(pyatspi.STATE_FOCUSABLE, "focusable"), (pyatspi.STATE_FOCUSED, "focused"),
          (pyatspi.STATE_SELECTED, "selected"), (pyatspi.STATE_SHOWING, "showing"), (pyatspi.STATE_ENABLED, "enabled")]
RELATIONS = [(pyatspi.RELATION_LABELLED_BY, "labelled-by"), (pyatspi.RELATION_LABEL_FOR, "label-for"),
             (pyatspi.RELATION_DESCRIBED_BY, "described-by")]


# --------------------------------------------------------------------------- helpers

def role(acc):
    try:
        return acc.getRoleName()
    except Exception:
        return "?"


def name(acc):
    try:
        return acc.name or ""
    except Exception:
        return ""


def description(acc):
    try:
        return acc.description or ""
    except Exception:
        return ""


def has_state(acc, state):
    try:
        return acc.getState().contains(state)
    except Exception:
        return False


def showing(acc):
    return has_state(acc, pyatspi.STATE_SHOWING)


def focusable(acc):
    return has_state(acc, pyatspi.STATE_FOCUSABLE)


def children(acc):
    try:
        count = acc.childCount
    except Exception:
        return []
    out = []
    for i in range(count):
        try:
            child = acc.getChildAtIndex(i)
        except Exception:
            child = None
        if child is not None:
            out.append(child)
    return out


def walk(acc):
    yield acc
    for child in children(acc):
        yield from walk(child)


def related(acc, relation_type):
    out = []
    try:
        for rel in acc.getRelationSet():
            if rel.getRelationType() == relation_type:
                out.extend(rel.getTarget(i) for i in range(rel.getNTargets()))
    except Exception:
        pass
    return [t for t in out if t is not None]


def action_names(acc):
    try:
        action = acc.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def do_action(acc, wanted):
    if acc is None:
        raise LookupError("nothing to %s: the control is missing" % wanted.lower())
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == wanted:
            return action.doAction(i)
    raise LookupError("no %r action on %s %r" % (wanted, role(acc), name(acc)))


def short(text, width=72):
    text = text.replace("\n", "\\n")
    return text if len(text) <= width else text[: width - 1] + "…"


def wait_for(what, fn, timeout):
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(0.1)


def find(root, pred, only_showing=False):
    for acc in walk(root):
        if pred(acc) and (not only_showing or showing(acc)):
            return acc
    return None


def find_all(root, pred, only_showing=False):
    return [a for a in walk(root) if pred(a) and (not only_showing or showing(a))]


def is_(role_name, acc_name=None):
    return lambda a: role(a) == role_name and (acc_name is None or name(a).strip() == acc_name)


# --------------------------------------------------------------------------- printing

def describe(acc):
    parts = [role(acc)]
    n = name(acc)
    if n:
        parts.append('"%s"' % short(n))
    d = description(acc)
    if d:
        parts.append('desc="%s"' % short(d))
    for rel_type, label in RELATIONS:
        targets = related(acc, rel_type)
        if targets:
            parts.append("%s=%s" % (label, ",".join('"%s"' % short(name(t), 30) for t in targets)))
    flags = [label for state, label in STATES if has_state(acc, state) and label != "enabled"]
    if not has_state(acc, pyatspi.STATE_ENABLED):
        flags.append("disabled")
    if flags:
        parts.append("[" + " ".join(flags) + "]")
    acts = action_names(acc)
    if acts and role(acc) in ("push button", "link", "page tab", "check box", "radio button"):
        parts.append("actions=" + "/".join(acts))
        try:
            keys = acc.queryAction().getKeyBinding(0)
        except Exception:
            keys = ""
        if keys:
            parts.append("keys=" + keys)
    return " ".join(parts)


def dump(acc, out, depth=0):
    out.append("  " * depth + describe(acc))
    kids = children(acc)
    # A combo box's drop-down list repeats every entry; one line is enough.
    if role(acc) == "list" and kids and role(kids[0]) == "list item":
        names = [name(k) for k in kids]
        out.append("  " * (depth + 1) + "(%d list items: %s … %s)" % (len(names), names[0], names[-1]))
        return
    # Closed menus are not what a reader meets on the window; keep them short too.
    if role(acc) == "popup menu" and not showing(acc):
        out.append("  " * (depth + 1) + "(closed menu: %s)" % ", ".join(
            name(k) for k in kids if role(k) != "separator"))
        return
    for child in kids:
        dump(child, out, depth + 1)


# --------------------------------------------------------------------------- checks

class Report:
    def __init__(self):
        self.failures = 0
        self.notes = 0

    def section(self, title):
        print()
        print("== " + title)

    def check(self, ok, what, detail=""):
        print("  %s  %s%s" % ("PASS" if ok else "FAIL", what, (" — " + detail) if detail else ""))
        if not ok:
            self.failures += 1
        return ok

    def note(self, what):
        print("  NOTE  " + what)
        self.notes += 1


def check_named_focusable(report, acc, what):
    if not report.check(acc is not None, what + " exists"):
        return False
    report.check(focusable(acc) and showing(acc), what + " is focusable and showing", describe(acc))
    return True


def check_main(report, frame):
    report.section("Main window: what a screen reader meets")
    text = find(frame, lambda a: role(a) == "text", only_showing=True)
    if check_named_focusable(report, text, "name field (role text)"):
        report.check(name(text) == "Name", 'name field is named "Name"', 'name="%s"' % name(text))
        labels = [name(t) for t in related(text, pyatspi.RELATION_LABELLED_BY)]
        report.check("Name" in labels, 'name field is labelled-by the "Name" label', "labelled-by=%s" % labels)
        try:
            text.queryEditableText()
            report.check(True, "name field offers EditableText")
        except NotImplementedError:
            report.check(False, "name field offers EditableText")

    combos = find_all(frame, lambda a: role(a) == "combo box", only_showing=True)
    report.check(len(combos) == 3, "three combo boxes are showing", "found %d" % len(combos))
    by_desc = {description(c): c for c in combos}
    for desc in ("Month", "Day", "Year"):
        combo = by_desc.get(desc)
        if check_named_focusable(report, combo, 'combo box described "%s"' % desc):
            report.check(bool(name(combo)), 'combo box "%s" announces its entry' % desc,
                         'name="%s"' % name(combo))
    month = by_desc.get("Month")
    if month is not None:
        labels = [name(t) for t in related(month, pyatspi.RELATION_LABELLED_BY)]
        report.check("Date of Birth" in labels, 'month combo box is labelled-by "Date of Birth"',
                     "labelled-by=%s" % labels)
    for desc in ("Day", "Year"):
        combo = by_desc.get(desc)
        if combo is not None:
            labels = [name(t) for t in related(combo, pyatspi.RELATION_LABELLED_BY)]
            if "Date of Birth" not in labels:
                report.note('the "%s" combo box is labelled-by %s only; a reader hears "%s, combo box, %s"'
                            % (desc, labels, name(combo), desc))

    for caption in (CALCULATE, OPEN):
        button = find(frame, is_("push button", caption), only_showing=True)
        if check_named_focusable(report, button, 'push button "%s"' % caption):
            report.check("Press" in action_names(button), 'push button "%s" can be pressed' % caption,
                         "actions=%s" % action_names(button))

    links = find_all(frame, lambda a: role(a) == "link", only_showing=True)
    report.check(len(links) >= 2, "at least two links are showing (top line and banner)",
                 "found %d" % len(links))
    report.check(any(name(l).startswith(TOP_LINK_START) for l in links),
                 "the top line is a link named by its text")
    for link in links:
        what = 'link "%s"' % short(name(link), 40)
        report.check(bool(name(link)) and focusable(link) and "Press" in action_names(link),
                     what + " has its text as name, is focusable and can be pressed", describe(link))
    stray = [l for l in find_all(frame, lambda a: role(a) == "label", only_showing=True)
             if "click here" in name(l).lower()]
    report.check(not stray, "no clickable text is left as a plain label",
                 ", ".join('"%s"' % short(name(s), 40) for s in stray))

    unnamed = [a for a in walk(frame) if showing(a) and focusable(a) and not name(a).strip()
               and role(a) not in ("list", "list item", "frame", "filler", "panel")]
    report.check(not unnamed, "every showing focusable control has a name",
                 "; ".join(describe(a) for a in unnamed))
    return text, month


def tab_values(report, frame, headings, tab):
    """Each heading must be showing and point at its value (label-for / labelled-by)."""
    values = {}
    padded = []
    unlinked = []
    for heading_text in headings:
        heading = find(frame, is_("label", heading_text), only_showing=True)
        if not report.check(heading is not None, 'heading "%s" is showing on tab "%s"' % (heading_text, tab)):
            continue
        targets = related(heading, pyatspi.RELATION_LABEL_FOR)
        value = targets[0] if targets else None
        how = "label-for"
        if value is None:
            # Fall back to the next sibling: a reader walking the window hears it next.
            parent = heading.parent
            siblings = children(parent) if parent is not None else []
            idx = next((i for i, s in enumerate(siblings) if s == heading), -1)
            value = siblings[idx + 1] if 0 <= idx < len(siblings) - 1 else None
            how = "adjacent only"
        ok = (value is not None and showing(value) and bool(name(value).strip())
              and name(value) != PLACEHOLDER)
        back = heading in related(value, pyatspi.RELATION_LABELLED_BY) if value is not None else False
        linked = how == "label-for" and back
        # Right after its heading is the least a reader needs; the relation is better.
        report.check(ok, '"%s" → "%s"' % (heading_text, short(name(value), 50) if value is not None else "?"),
                     "" if linked else ("value not labelled-by its heading" if how == "label-for" else how))
        if ok and not linked:
            unlinked.append(heading_text)
        if heading_text != name(heading):
            padded.append('"%s"' % name(heading))
        if value is not None:
            values[heading_text] = name(value)
    if unlinked:
        report.note("%d values only follow their heading, with no label-for/labelled-by relation: %s"
                    % (len(unlinked), ", ".join(unlinked)))
    if padded:
        report.note("%d heading names end in a space (braille shows it): %s" % (len(padded), ", ".join(padded)))
    return values


def check_reading(report, frame, tab_list, label):
    report.section("Reading window, tab \"%s\"" % label)
    tabs = [c for c in children(tab_list) if role(c) == "page tab"]
    report.check([name(t) for t in tabs] == TABS, "tab bar has the two tabs",
                 "tabs=%s" % [name(t) for t in tabs])
    selected = [name(t) for t in tabs if has_state(t, pyatspi.STATE_SELECTED)]
    # Qt 6.4 marks the current tab "focused" (even while focus is elsewhere), not "selected".
    current = selected or [name(t) for t in tabs if has_state(t, pyatspi.STATE_FOCUSED)]
    report.check(current == [label], 'tab "%s" is marked as the current one' % label,
                 "selected=%s, focused=%s" % (selected, [name(t) for t in tabs
                                                        if has_state(t, pyatspi.STATE_FOCUSED)]))
    if not selected:
        report.note('no tab carries the "selected" state; the current one is only "focused"')
    headings = DETAIL_HEADINGS if label == TABS[0] else OTHER_HEADINGS
    hidden = OTHER_HEADINGS if label == TABS[0] else DETAIL_HEADINGS
    values = tab_values(report, frame, headings, label)
    leaked = [h for h in hidden if find(frame, is_("label", h), only_showing=True) is not None]
    report.check(not leaked, "the other tab's headings are not showing", "showing: %s" % leaked)
    return values


def check_reading_fixed(report, frame, sign):
    report.section("Reading window: buttons and picture")
    for caption in ("Back", "Save"):
        button = find(frame, is_("push button", caption), only_showing=True)
        if check_named_focusable(report, button, 'push button "%s"' % caption):
            report.check("Press" in action_names(button), 'push button "%s" can be pressed' % caption)
    picture = find(frame, lambda a: name(a).startswith("Picture of the "), only_showing=True)
    if report.check(picture is not None, 'an object named "Picture of the <Sign>" is showing'):
        report.check(name(picture) == "Picture of the " + sign, 'picture is named after the sign "%s"' % sign,
                     'name="%s"' % name(picture))
        if role(picture) != "image":
            report.note('the picture\'s role is "%s", not "image": readers may skip it or call it a %s'
                        % (role(picture), role(picture)))
    links = find_all(frame, lambda a: role(a) == "link", only_showing=True)
    report.check(len(links) >= 2, "top line and banner are showing as links", "found %d" % len(links))
    unnamed = [a for a in walk(frame) if showing(a) and focusable(a) and not name(a).strip()
               and role(a) not in ("list", "list item", "frame", "filler", "panel", "page tab list")]
    report.check(not unnamed, "every showing focusable control has a name",
                 "; ".join(describe(a) for a in unnamed))


# --------------------------------------------------------------------------- driving

def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def showing_frames(app):
    return [c for c in children(app) if role(c) in ("frame", "dialog", "alert") and showing(c)]


def main_frame(app):
    for frame in showing_frames(app):
        if find(frame, lambda a: role(a) == "text", only_showing=True) is not None:
            return frame
    return None


def reading_frame(app):
    for frame in showing_frames(app):
        tab_list = find(frame, lambda a: role(a) == "page tab list", only_showing=True)
        if tab_list is not None and any(role(c) == "page tab" for c in children(tab_list)):
            return frame, tab_list
    return None


def message_boxes(app):
    return [f for f in showing_frames(app) if role(f) in ("dialog", "alert")]


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, t.characterCount)
    except NotImplementedError:
        return name(acc)


def check_empty_name_message(report, app, frame, text, timeout):
    """An empty name gets a message box; a reader must hear its text and reach OK."""
    report.section("Empty name: the message box")
    text.queryEditableText().setTextContents("")
    do_action(find(frame, is_("push button", CALCULATE), only_showing=True), "Press")
    try:
        box = wait_for("the message box", lambda: (message_boxes(app) or [None])[0], timeout)
    except TimeoutError:
        report.check(False, "a message box appears")
        return
    lines = []
    dump(box, lines, 1)
    print("\n".join(lines))
    said = " ".join(name(a) for a in walk(box) if role(a) in ("label", "alert", "dialog", "static"))
    report.check(role(box) == "alert" or role(box) == "dialog", "the message box is a dialog or alert",
                 "role=%s" % role(box))
    report.check("Please Enter Your Name" in said, "its text is readable", 'heard: "%s"' % short(said, 80))
    ok = find(box, lambda a: role(a) == "push button", only_showing=True)
    if report.check(ok is not None and bool(name(ok)), "it has a named button", describe(ok) if ok else ""):
        do_action(ok, "Press")
        wait_for("the message box to close", lambda: not message_boxes(app), timeout)


def run(args):
    report = Report()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    proc = subprocess.Popen([args.app], env=env)
    try:
        app = wait_for("the program on the accessibility bus", lambda: find_app(proc.pid), args.timeout)
        # Read every value live: the program changes under us and we do not listen to events.
        Atspi.Accessible.set_cache_mask(app, Atspi.Cache.NONE)
        frame = wait_for("the main window", lambda: main_frame(app), args.timeout)

        print("== Main window tree")
        lines = []
        dump(frame, lines, 1)
        print("\n".join(lines))
        text, _ = check_main(report, frame)
        if text is None:
            return report

        if not args.skip_message:
            check_empty_name_message(report, app, frame, text, args.timeout)

        report.section("Driving: type a name, press the button")
        text.queryEditableText().setTextContents(args.name)
        report.check(text_of(text) == args.name, 'name field now holds "%s" (set through EditableText)' % args.name,
                     'text="%s"' % text_of(text))
        button = find(frame, is_("push button", CALCULATE), only_showing=True)
        do_action(button, "Press")
        report.check(True, 'pressed "%s" through the Action interface' % CALCULATE)
        try:
            reading, tab_list = wait_for("the reading window", lambda: reading_frame(app), args.timeout)
        except TimeoutError:
            boxes = message_boxes(app)
            said = "; ".join(name(a) for b in boxes for a in walk(b) if name(a))
            report.check(False, "the reading window appears", ("message box: " + said) if said else "")
            return report
        report.check(True, "the reading window appears", 'title="%s"' % name(reading))
        report.check(main_frame(app) is None, "the main window is gone")

        print()
        print("== Reading window tree (first tab)")
        lines = []
        dump(reading, lines, 1)
        print("\n".join(lines))
        values = check_reading(report, reading, tab_list, TABS[0])
        check_reading_fixed(report, reading, values.get("Native American Sign", "?"))

        report.section('Driving: press the tab "%s"' % TABS[1])
        other = find(tab_list, is_("page tab", TABS[1]))
        do_action(other, "Press")
        try:
            wait_for("the second tab's headings", lambda: find(reading, is_("label", OTHER_HEADINGS[0]),
                                                               only_showing=True), args.timeout)
        except TimeoutError:
            pass
        print()
        print("== Reading window tree (second tab, panel only)")
        lines = []
        heading = find(reading, is_("label", OTHER_HEADINGS[0]), only_showing=True)
        dump(heading.parent if heading is not None else reading, lines, 1)
        print("\n".join(lines))
        check_reading(report, reading, tab_list, TABS[1])

        report.section("Driving: press Back")
        do_action(find(reading, is_("push button", "Back"), only_showing=True), "Press")
        try:
            back = wait_for("the main window again", lambda: main_frame(app), args.timeout)
            report.check(True, "Back returns to the main window", 'title="%s"' % name(back))
        except TimeoutError:
            report.check(False, "Back returns to the main window")
        return report
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--app", required=True, help="path of the program")
    parser.add_argument("--name", default="Ada", help="name to type")
    parser.add_argument("--timeout", type=float, default=20, help="seconds to wait for each step")
    parser.add_argument("--skip-message", action="store_true", help="do not try the empty-name message box")
    args = parser.parse_args()
    try:
        report = run(args)
    except (TimeoutError, LookupError) as error:
        print("\nFAIL  " + str(error))
        return 2
    print()
    print("== Summary: %d failed, %d notes" % (report.failures, report.notes))
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main())
