"""Reads the running gadget as a screen reader does, through AT-SPI, and prints what it finds.

  read_accessibility.py gadget          the window's name, then one line per panel: name | description | inside
  read_accessibility.py dialog          one line per named control: role | name | description
  read_accessibility.py grid            the grid table's name, size, headers and the first rows' cells
  read_accessibility.py menu            the open menu's items, submenus' items after their own:
                                        name | "checked" for an item that shows its mark
  read_accessibility.py focus|names|descriptions|shown[,...] COMMAND
                                        runs the shell command and prints the focus given to grid cells,
                                        the names or descriptions announced as changed, or the objects
                                        announced as shown
"""
import subprocess
import sys

import pyatspi
from gi.repository import GLib


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "kestrival":
            return app
    sys.exit("no kestrival application on the accessibility bus")


def window(name_part):
    for frame in application():
        if frame is not None and name_part(frame):
            return frame
    sys.exit("no such window")


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def inside(inner, outer):
    x, y, w, h = inner
    ox, oy, ow, oh = outer
    return w > 0 and h > 0 and x >= ox and y >= oy and x + w <= ox + ow and y + h <= oy + oh


def gadget():
    frame = window(lambda f: f.getRoleName() == "frame" and "設定" not in f.name)
    print(frame.name)
    for i in range(frame.childCount):
        panel = frame.getChildAtIndex(i)
        print(f"{panel.name}|{panel.description}|{inside(extents(panel), extents(frame))}")


def settings_dialog():
    return window(lambda f: "設定" in f.name)


def dialog():
    for node in walk(settings_dialog()):
        role = node.getRoleName()
        if role in ("text", "slider", "push button", "radio button", "check box"):
            print(f"{role}|{node.name}|{node.description}")


def grid_table():
    for node in walk(settings_dialog()):
        if node.getRoleName() == "table":
            return node
    sys.exit("no table in the dialog")


def grid():
    node = grid_table()
    print(node.name)
    table = node.queryTable()
    print(table.nRows, table.nColumns)
    print("|".join(table.getColumnHeader(c).name for c in range(table.nColumns)))
    for r in range(3):
        print("|".join(table.getAccessibleAt(r, c).name for c in range(table.nColumns)))


def open_menu():
    for node in walk(application()):
        if node.getRoleName() == "popup menu" and node.getState().contains(pyatspi.STATE_SHOWING):
            return node
    sys.exit("no open menu")


def menu():
    for node in walk(open_menu()):
        if node.getRoleName() != "menu item":
            continue
        mark = "checked" if node.getState().contains(pyatspi.STATE_CHECKED) else ""
        print(f"{node.name}|{mark}")


def cell_focus(event):
    source = event.source
    if event.detail1 != 1 or source is None or source.getRoleName() != "table cell":
        return None
    index = source.getIndexInParent()
    cells = source.parent.queryTable()
    return f"{cells.getRowAtIndex(index)},{cells.getColumnAtIndex(index)}|{source.name}"


def changed_name(event):
    return f"{event.source.getRoleName()}|{event.source.name}"


def changed_description(event):
    return f"{event.source.getRoleName()}|{event.source.name}|{event.source.description}"


def shown(event):
    if event.detail1 != 1 or event.source is None:
        return None
    return f"{event.source.getRoleName()}|{event.source.name}"


LISTENERS = {
    "focus": ("object:state-changed:focused", cell_focus),
    "names": ("object:property-change:accessible-name", changed_name),
    "descriptions": ("object:property-change:accessible-description", changed_description),
    "shown": ("object:state-changed:showing", shown),
}


def events(kinds, command):
    """Runs the shell command and prints the events of these kinds that arrive within 2 seconds."""
    announced = []
    loop = GLib.MainLoop()
    listeners = []
    for kind in kinds:
        event_name, describe = LISTENERS[kind]

        def on_event(event, describe=describe):
            line = describe(event)
            if line is not None:
                announced.append(line)

        pyatspi.Registry.registerEventListener(on_event, event_name)
        listeners.append((on_event, event_name))

    def act():
        subprocess.run(command, shell=True, check=True)
        GLib.timeout_add(2000, loop.quit)
        return False

    GLib.timeout_add(300, act)
    loop.run()
    for on_event, event_name in listeners:
        pyatspi.Registry.deregisterEventListener(on_event, event_name)
    for line in announced:
        print(line)


if __name__ == "__main__":
    what = sys.argv[1]
    if what.split(",")[0] in LISTENERS:
        events(what.split(","), sys.argv[2])
    else:
        {"gadget": gadget, "dialog": dialog, "grid": grid, "menu": menu}[what]()
