"""Finding and working the controls of the native window through AT-SPI, as a screen reader does."""
import os
import subprocess
import time

import pyatspi

import x11_window

EDITABLE_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT)
CONTROL_ROLES = EDITABLE_ROLES + (pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_COMBO_BOX,
                                  pyatspi.ROLE_LABEL)


KEY_ESCAPE = 0xFF1B
KEY_TAB = 0xFF09
KEY_HOME = 0xFF50
KEY_DOWN = 0xFF54
KEY_RETURN = 0xFF0D
KEY_LEFT, KEY_RIGHT, KEY_PAGE_UP, KEY_PAGE_DOWN = 0xFF51, 0xFF53, 0xFF55, 0xFF56
SHIFT, CONTROL, ALT = 1, 4, 8  # modifier masks


class Failure(Exception):
    pass


class Ended(Failure):
    """What is waited for can no longer come: waiting stops at once."""


def wait_until(what, seconds, probe):
    """Polls probe every 0.1 s until it gives a true value; fails with what after seconds."""
    deadline = time.monotonic() + seconds
    last_error = None
    while time.monotonic() < deadline:
        try:
            value = probe()
            if value:
                return value
        except Ended:
            raise
        except Exception as error:  # a window being built or torn down
            last_error = error
        time.sleep(0.1)
    raise Failure(f"{what} (after {seconds}s{', ' + str(last_error) if last_error else ''})")


def application(name, seconds=30, process=None):
    """The application called name on the accessibility bus; when process (its subprocess.Popen) has ended
    first, fails at once with its exit code rather than after seconds."""
    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        if process is not None and process.poll() is not None:
            raise Ended(f"{name} ended with exit code {process.returncode} before it was on the accessibility bus")
        return None
    return wait_until(f"no application {name!r} on the accessibility bus", seconds, find)


def log_tail(path, lines=20):
    """The last lines of a log, indented, for a failure's report; kept quiet when the log is missing."""
    try:
        with open(path, errors="replace") as f:
            kept = f.read().splitlines()[-lines:]
    except OSError as error:
        return f"    ({error.strerror}: {path})"
    return "\n".join(f"    {line}" for line in kept) if kept else f"    (empty: {path})"


def top_window(app, caption, seconds=10):
    def find():
        for window in app:
            if window is not None and window.name == caption and window.getState().contains(pyatspi.STATE_SHOWING):
                return window
        return None
    return wait_until(f"no window {caption!r}", seconds, find)


def window_gone(app, caption, seconds=10):
    def gone():
        return not any(w is not None and w.name == caption and w.getState().contains(pyatspi.STATE_SHOWING)
                       for w in app)
    wait_until(f"window {caption!r} still open", seconds, gone)


def node_gone(node, what, seconds=10):
    """Waits until this very window is closed (another of the same caption may follow it)."""
    def gone():
        try:
            return not node.getState().contains(pyatspi.STATE_SHOWING)
        except Exception:  # destroyed
            return True
    wait_until(f"{what} still open", seconds, gone)


class Window:
    """A dialog's controls by the names a screen reader says: "Primary Callsign", "Port", "Secondary Mic-E Path"."""

    def __init__(self, node):
        self.node = node
        self.controls = {}
        self.names = []  # every control's name, in the window's order, repeats included
        self.tabs = []
        self._index(node)

    def _index(self, node):
        for child in node:
            if child is None:
                continue
            role = child.getRole()
            if role == pyatspi.ROLE_PAGE_TAB:
                self.tabs.append(child)
            elif role in CONTROL_ROLES:
                if role == pyatspi.ROLE_LABEL:
                    # Labels name their controls; only the status line is read.
                    if child.description == "Status line":
                        self.controls["Status line"] = child
                    continue
                self.names.append(child.name)
                self.controls.setdefault(child.name, child)
            elif role in (pyatspi.ROLE_FILLER, pyatspi.ROLE_PAGE_TAB_LIST, pyatspi.ROLE_LAYERED_PANE,
                          pyatspi.ROLE_PANEL):
                self._index(child)

    def control(self, key):
        node = self.controls.get(key)
        if node is None or (node.getRole() != pyatspi.ROLE_LABEL and node.name != key):  # renamed: the bank shown
            self.controls, self.names, self.tabs = {}, [], []
            self._index(self.node)
        if key not in self.controls:
            raise Failure(f"no control {key!r}")
        return self.controls[key]

    def text(self, key):
        node = self.control(key)
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            field = self._field_of(node)
            # A drop list's value: the selected item of its list.
            return field.queryText().getText(0, -1) if field is not None else next(
                (i.name for c in node if c.getRole() == pyatspi.ROLE_LIST for i in c if i.getState().contains(
                    pyatspi.STATE_SELECTED)), "")
        if node.getRole() == pyatspi.ROLE_LABEL:
            return node.name
        return node.queryText().getText(0, -1)

    def _field_of(self, combo):
        return next((c for c in combo if c is not None and c.getRole() in EDITABLE_ROLES), None)

    def set_text(self, key, value):
        node = self.control(key)
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            node = self._field_of(node)
        if not node.queryEditableText().setTextContents(value):
            raise Failure(f"{key!r} refused the text {value!r}")

    def do(self, key, name):
        action = self.control(key).queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if name not in names:
            raise Failure(f"{key!r} has no action {name} (actions {names})")
        action.doAction(names.index(name))

    def press(self, key):
        action = self.control(key).queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        for wanted in ("Press", "Toggle"):
            if wanted in names:
                action.doAction(names.index(wanted))
                return
        raise Failure(f"{key!r} cannot be pressed (actions {names}, enabled {self.enabled(key)})")

    def state(self, key, state):
        return self.control(key).getState().contains(state)

    def checked(self, key):
        return self.state(key, pyatspi.STATE_CHECKED)

    def enabled(self, key):
        return self.state(key, pyatspi.STATE_ENABLED)

    def focused(self, key):
        return self.state(key, pyatspi.STATE_FOCUSED)

    def items(self, key):
        lists = [c for c in self.control(key) if c is not None and c.getRole() == pyatspi.ROLE_LIST]
        return [item.name for item in lists[0]] if lists else []

    def select(self, key, index):
        """Chooses item index as a keyboard user does: the list opened, Home, Down index times, Enter."""
        items = self.items(key)
        if index >= len(items):
            raise Failure(f"no item {index} in {key!r}")
        self.do(key, "ShowMenu")
        popup = next(c for c in self.control(key) if c is not None and c.getRole() == pyatspi.ROLE_LIST)
        wait_until(f"the list of {key!r} did not open", 10,
                   lambda: popup.getState().contains(pyatspi.STATE_SHOWING))
        press_key(KEY_HOME)
        for _ in range(index):
            press_key(KEY_DOWN)
        press_key(KEY_RETURN)
        wait_until(f"{key!r} did not show item {index}", 10, lambda: self.text(key) == self.items(key)[index])

    def focus(self, key):
        self.control(key).queryComponent().grabFocus()
        wait_until(f"{key!r} did not take the focus", 10, lambda: self.focused(key))

    def switch_tab(self, index):
        self.tabs[index].queryAction().doAction(0)


# --- what a window manager and a keyboard do ---------------------------------------------------

def close_window(caption):
    """Asks the window captioned caption to close, as a window manager's close box does."""
    if not x11_window.close_window(caption):
        raise Failure(f"no X window {caption!r}")


def press_key(keysym, modifiers=0):
    """A key stroke on the focused window (Escape is 0xff1b), with the modifiers (SHIFT | CONTROL | ALT) held."""
    pyatspi.Registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_LOCKMODIFIERS)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    pyatspi.Registry.generateKeyboardEvent(modifiers, None, pyatspi.KEY_UNLOCKMODIFIERS)


def screenshot(window, path):
    """The window (an accessible top-level window) as PNG, taken from its own X window: a window
    over another one comes out black when cut from the whole screen of Xvfb."""
    display = x11_window.Display()
    try:
        x_window = display.find(window.name)
    finally:
        display.close()
    if x_window is None:
        raise Failure(f"no X window {window.name!r} to take a picture of")
    picture = f"xwd -id {x_window} -silent | xwdtopnm 2>/dev/null | pnmtopng"
    with open(path + ".tmp", "wb") as out:
        subprocess.run(["sh", "-c", picture], stdout=out, stderr=subprocess.DEVNULL, check=True, timeout=30)
    os.replace(path + ".tmp", path)
