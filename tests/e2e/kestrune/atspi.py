"""Reading the windows as assistive technology does, over AT-SPI (pyatspi)."""


from .base import *  # noqa: F401,F403
from .x11 import *  # noqa: F401,F403


def _pyatspi():
    import pyatspi  # Debian's python3-pyatspi; imported late so a missing module shows as a clear failure
    return pyatspi


def accessible_text(accessible):
    return accessible.queryText().getText(0, -1)


def extents(accessible):
    pyatspi = _pyatspi()
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


# How assistive technology names each control the tests use: buttons by their captions, boxes and bars by
# their labels. Keyed by window title and the control's name in the program.
ACCESSIBLE = {
    "Kestrune": {
        "Text1": ("Time", "text"), "Text2": ("Alarm", "text"), "Text5": ("Alarm status", "text"),
        "Command1": ("ON", "push button"), "Command2": ("OFF", "push button"), "Command3": ("Sleep", "push button"),
        "Command4": ("Select Alarm Sound", "push button"), "Command5": ("Tray", "push button"),
        "Command6": ("Exit", "push button"), "Command7": ("Options", "push button"),
    },
    "Options": {
        "Text2": ("Sleep minutes", "text"), "HScroll1": ("Sleep Timer / Min", "scroll bar"),
        "Command1": ("Exit", "push button"), "Command2": ("Clock Forecolor", "push button"),
        "Command3": ("Clock Backcolor", "push button"),
    },
    "About": {
        "Text5": ("Title", "text"), "Text4": ("Designer's web site", "link"), "Text2": ("Author", "text"),
        "Text6": ("E-mail", "link"), "Text3": ("Web site", "link"),
    },
}


def accessible_name(window, control):
    """The accessible name and role of a control, by the window's title and the control's name."""
    return ACCESSIBLE.get(window, {}).get(control, (control, None))


def find_named(root, name, role=None):
    """The first accessible below root with this accessible name (and role name, if given), depth first."""
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if node is not root and node.name == name and (role is None or node.getRoleName() == role):
            return node
        stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
    return None


def all_text(root):
    """Every name and text below root, to find a message's words wherever the toolkit put them."""
    texts = []
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        texts.append(node.name or "")
        try:
            texts.append(accessible_text(node))
        except Exception:
            pass
        stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
    return [t for t in texts if t]


def press(accessible):
    """A real mouse click in the middle of the control."""
    x, y, w, h = extents(accessible)
    if w <= 0 or h <= 0:
        raise RuntimeError(f"{accessible.name} is not on screen (extents {x},{y},{w},{h})")
    click_at(x + w // 2, y + h // 2)
