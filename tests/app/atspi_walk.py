#!/usr/bin/env python3
"""Walks the configurator's window through the accessibility bus, as a screen reader
would: page by page (Ctrl+Tab), every control a user can focus with its name, and a Tab
walk that reads the focused control's name after each press. Prints one JSON object a
page. Run inside a session bus on a display of its own."""
import json
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PAGES = 10


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True)


def find_app(pid, deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    return None


def spoken(node):
    """What a screen reader says for a control: a list is named by its label (its own
    name is the chosen item), and the edit box inside an editable list is the list."""
    try:
        parent = node.parent
        if node.getRole() == pyatspi.ROLE_TEXT and parent is not None and parent.getRole() == pyatspi.ROLE_COMBO_BOX:
            node = parent
        if node.getRole() != pyatspi.ROLE_COMBO_BOX:
            return node.name
        for relation in node.getRelationSet():
            if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
                continue
            for i in range(relation.getNTargets()):
                target = relation.getTarget(i)
                if target.getRole() == pyatspi.ROLE_LABEL:
                    return target.name
        return node.name
    except Exception:
        return "?"


def labels_of(node):
    """The names of the labels that the bus says name the control."""
    names = []
    try:
        for relation in node.getRelationSet():
            if relation.getRelationType() != pyatspi.RELATION_LABELLED_BY:
                continue
            for i in range(relation.getNTargets()):
                target = relation.getTarget(i)
                if target.getRole() == pyatspi.ROLE_LABEL:
                    names.append(target.name)
    except Exception:
        pass
    return names


def value_of(node):
    """What the control holds, as the bus says it: a field's text, a list's chosen item
    (which is also a list's own name on this platform), a number's value."""
    try:
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            for i in range(node.childCount):
                child = node.getChildAtIndex(i)
                if child.getRole() == pyatspi.ROLE_TEXT:
                    return value_of(child)
            return node.name
        try:
            text = node.queryText()
            return text.getText(0, -1)
        except NotImplementedError:
            pass
        try:
            return str(node.queryValue().currentValue)
        except NotImplementedError:
            return ""
    except Exception:
        return "?"


def walk(node, out):
    try:
        states = node.getState()
    except Exception:
        return
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    role = node.getRole()
    if role in (pyatspi.ROLE_MENU_BAR, pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM):
        return
    if states.contains(pyatspi.STATE_FOCUSABLE):
        out.append(node)
        # An editable list is one control to the user.
        if role == pyatspi.ROLE_COMBO_BOX:
            return
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), out)


def main():
    program = sys.argv[1]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    proc = subprocess.Popen([program], env=env)
    focused = []

    def on_focus(event):
        if event.detail1 == 1:
            try:
                focused.append((spoken(event.source), event.source.getRole()))
            except Exception:
                focused.append(("?", None))

    try:
        app = find_app(proc.pid, time.time() + 30)
        if app is None:
            print(json.dumps({"error": "the window never appeared on the accessibility bus"}))
            return 1
        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        context = GLib.MainContext.default()
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(proc.pid)],
                                check=True, capture_output=True, text=True).stdout.split()[0]
        xdo("windowfocus", "--sync", window)

        def pump(seconds, until=None):
            end = time.time() + seconds
            while time.time() < end:
                while context.pending():
                    context.iteration(False)
                if until and until():
                    return True
                time.sleep(0.01)
            return False

        pump(0.5)
        for _ in range(PAGES):
            xdo("key", "--clearmodifiers", "ctrl+Tab")
            pump(0.3)
            frame = app.getChildAtIndex(0)
            controls = []
            walk(frame, controls)
            names = []
            for c in controls:
                s = c.getState()
                names.append({"name": spoken(c), "own": c.name, "value": value_of(c), "labels": labels_of(c),
                              "description": c.description, "role": c.getRoleName(),
                              "enabled": s.contains(pyatspi.STATE_SENSITIVE),
                              "checked": s.contains(pyatspi.STATE_CHECKED),
                              "selected": s.contains(pyatspi.STATE_SELECTED)})
            # A whole round of Tab: as many presses as there are controls, and a few more.
            focused.clear()
            visited = []
            for _ in range(len(controls) + 3):
                before = len(focused)
                xdo("key", "--clearmodifiers", "Tab")
                pump(2.0, lambda: len(focused) > before)
                if len(focused) > before:
                    visited.append(focused[-1][0])
            page = {"controls": names, "visited": visited}
            print(json.dumps(page, ensure_ascii=False), flush=True)
        return 0
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
