"""Reads the running gadget as a screen reader does, through AT-SPI, and prints what it finds.

  read_accessibility.py gadget          the window's name, then one line per panel: name | description | inside
  read_accessibility.py dialog          one line per named control: role | name | description
  read_accessibility.py grid            the grid table's name, size, headers and the first rows' cells
  read_accessibility.py menu            the open menu's items, submenus' items after their own:
                                        name | "checked" for an item that shows its mark
  read_accessibility.py odd             out-of-range questions to the grid table and the gadget: question = answer
  read_accessibility.py menuodd         out-of-range questions to the grid row's open menu: question = answer
  read_accessibility.py held COMMAND... holds the grid's second goal row's first cell and the gadget's third
                                        panel, then runs each command and asks them again: n: question = answer
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


def answer(ask):
    """What a question gets: an object by its role and name, a number, "none" for no object, or
    "error" for an error reply (a reader hears nothing). A process that died gives "error" too,
    which the caller tells apart by asking the application afterwards."""
    try:
        value = ask()
    except Exception:  # a D-Bus error of any kind
        return "error"
    if value is None:
        return "none"
    if isinstance(value, (bool, int, str)):
        return str(value)
    if isinstance(value, (list, tuple)):
        return ",".join(str(v) for v in value)
    return f"{value.getRoleName()}:{value.name}"


def ask_all(questions):
    for label, ask in questions:
        print(f"{label} = {answer(ask)}")


def gadget_frame():
    return window(lambda f: f.getRoleName() == "frame" and "設定" not in f.name)


def odd():
    node = grid_table()
    table = node.queryTable()
    count = node.childCount
    frame = gadget_frame()
    panels = frame.childCount
    ask_all([
        ("cell 150,0", lambda: table.getAccessibleAt(150, 0)),
        ("cell 149,2", lambda: table.getAccessibleAt(149, 2)),
        ("cell -1,0", lambda: table.getAccessibleAt(-1, 0)),
        ("cell 0,-1", lambda: table.getAccessibleAt(0, -1)),
        ("cell 0,3", lambda: table.getAccessibleAt(0, 3)),
        ("index of 150,0", lambda: table.getIndexAt(150, 0)),
        ("index of -1,-1", lambda: table.getIndexAt(-1, -1)),
        ("row at -1", lambda: table.getRowAtIndex(-1)),
        ("row at count", lambda: table.getRowAtIndex(count)),
        ("column at 100000", lambda: table.getColumnAtIndex(100000)),
        ("row extent 150,0", lambda: table.getRowExtentAt(150, 0)),
        ("column extent -1,0", lambda: table.getColumnExtentAt(-1, 0)),
        ("row header 150", lambda: table.getRowHeader(150)),
        ("row header -1", lambda: table.getRowHeader(-1)),
        ("column header -1", lambda: table.getColumnHeader(-1)),
        ("column header 3", lambda: table.getColumnHeader(3)),
        ("selected 150,0", lambda: table.isSelected(150, 0)),
        ("selected -1,-1", lambda: table.isSelected(-1, -1)),
        ("extents at index 100000", lambda: table.getRowColumnExtentsAtIndex(100000)),
        ("extents at index -1", lambda: table.getRowColumnExtentsAtIndex(-1)),
        ("row description -1", lambda: table.getRowDescription(-1)),
        ("column description 7", lambda: table.getColumnDescription(7)),
        ("table child -1", lambda: node.getChildAtIndex(-1)),
        ("table child count", lambda: node.getChildAtIndex(count)),
        ("table child 100000", lambda: node.getChildAtIndex(100000)),
        ("gadget child -1", lambda: frame.getChildAtIndex(-1)),
        ("gadget child count", lambda: frame.getChildAtIndex(panels)),
        ("gadget child 150", lambda: frame.getChildAtIndex(150)),
        ("table children", lambda: node.childCount),
    ])


def menu_odd():
    """Out-of-range questions to the open menu of the grid's row, and to the grid about it."""
    menu_node = open_menu()
    node = grid_table()
    count = menu_node.childCount
    ask_all([
        ("menu child -1", lambda: menu_node.getChildAtIndex(-1)),
        ("menu child count", lambda: menu_node.getChildAtIndex(count)),
        ("menu child 1000", lambda: menu_node.getChildAtIndex(1000)),
        ("table child 453", lambda: node.getChildAtIndex(453)),
        ("table child 454", lambda: node.getChildAtIndex(454)),
    ])


def held(commands):
    """Holds the cell and the panel, then after each command asks them again, each line led by the
    command's number."""
    cell = grid_table().queryTable().getAccessibleAt(1, 0)
    panel = gadget_frame().getChildAtIndex(2)
    for number, command in enumerate(commands, 1):
        subprocess.run(command, shell=True, check=True)
        for label, ask in [
            ("cell name", lambda: cell.name),
            ("cell role", lambda: cell.getRoleName()),
            ("cell index", lambda: cell.getIndexInParent()),
            ("panel name", lambda: panel.name),
            ("panel index", lambda: panel.getIndexInParent()),
            ("panel extents", lambda: panel.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width),
            ("gadget children", lambda: gadget_frame().childCount),
        ]:
            print(f"{number}: {label} = {answer(ask)}")


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
    elif what == "held":
        held(sys.argv[2:])
    else:
        {"gadget": gadget, "dialog": dialog, "grid": grid, "menu": menu, "odd": odd, "menuodd": menu_odd}[what]()
