"""Reads Corvane's kind label as a screen reader does, over AT-SPI.

Starts Corvane with no file and reads the label's name (empty) and
description ("Type"); starts it again with a DIV palette named on the
command line and waits for the label's name-changed event, then reads the
name again. Exits non-zero on any difference.

    names.py CORVANE WORK_FOLDER
"""
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

corvane, work = sys.argv[1:3]
DIV = "Palette DIV Games Studio"
failures = []
log = open(os.path.join(work, "corvane.log"), "w+")


def start(*args):
    return subprocess.Popen([corvane, *args], stdout=log, stderr=log)


def stop(process):
    process.terminate()
    process.wait(timeout=10)


def give_up(why):
    log.seek(0)
    sys.exit(why + "\n" + log.read())


def wait_for_app(seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Corvane":
                return app
        time.sleep(0.2)
    give_up("Corvane n'apparaît pas sur le bus d'accessibilité")


def is_kind_label(node):
    return node.getRole() == pyatspi.ROLE_LABEL and node.description == "Type"


def kind_label(app, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        found = pyatspi.findDescendant(app, is_kind_label)
        if found is not None:
            return found
        time.sleep(0.2)
    give_up("aucune étiquette décrite « Type » dans la fenêtre")


def expect(what, got, want):
    print(f"{what} : {got!r}")
    if got != want:
        failures.append(f"{what} : {got!r} au lieu de {want!r}")


# The registry up before Corvane starts, so that Corvane finds it.
pyatspi.Registry.getDesktop(0).childCount

# Before any file is opened.
process = start()
label = kind_label(wait_for_app())
expect("nom avant ouverture", label.name, "")
expect("description", label.description, "Type")
stop(process)

# A DIV palette named on the command line. The listener is in place before
# Corvane starts, so that Corvane knows someone listens.
palette = os.path.join(work, "rampe.pal")
with open(palette, "wb") as f:
    f.write(b"pal\x1a\r\n\x00\x00" + bytes((k + 21 * c) % 64 for k in range(256) for c in range(3)))
heard = []


def on_name_changed(event):
    try:
        if is_kind_label(event.source):
            heard.append(event.source.name)
            pyatspi.Registry.stop()
    except Exception:  # a node gone before it could be read
        pass


pyatspi.Registry.registerEventListener(on_name_changed, "object:property-change:accessible-name")
GLib.timeout_add_seconds(20, pyatspi.Registry.stop)
process = start(palette)
pyatspi.Registry.start()
expect("nom annoncé au changement", heard[:1], [DIV])
expect("nom après ouverture", kind_label(wait_for_app()).name, DIV)
stop(process)

if failures:
    sys.exit("\n".join(failures))
print("Le type est lu comme il est affiché.")
