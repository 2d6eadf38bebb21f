"""Top-level X windows by caption, through libX11: whether one is mapped, and closing it as a window manager does."""
import ctypes

_CLIENT_MESSAGE = 33
_IS_VIEWABLE = 2


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


class _WindowAttributes(ctypes.Structure):
    # Only map_state is read; the fields before it keep its offset right.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("pad", ctypes.c_long * 8)]


def _library():
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                             ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                             ctypes.POINTER(ctypes.c_uint)]
    x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(_WindowAttributes)]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x


_x = None


class Display:
    """One connection to the X server of $DISPLAY."""

    def __init__(self):
        global _x
        if _x is None:
            _x = _library()
        self.handle = _x.XOpenDisplay(None)
        if not self.handle:
            raise RuntimeError("cannot open the X display")

    def close(self):
        _x.XCloseDisplay(self.handle)

    def find(self, caption):
        """The top-level window captioned caption, or None."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not _x.XQueryTree(self.handle, _x.XDefaultRootWindow(self.handle), ctypes.byref(root),
                             ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count)):
            return None
        found = None
        for i in range(count.value):
            name = ctypes.c_char_p()
            if _x.XFetchName(self.handle, children[i], ctypes.byref(name)) and name.value == caption.encode():
                found = children[i]
        if children:
            _x.XFree(children)
        return found

    def viewable(self, caption):
        window = self.find(caption)
        if window is None:
            return False
        attributes = _WindowAttributes()
        return bool(_x.XGetWindowAttributes(self.handle, window, ctypes.byref(attributes))) and \
            attributes.map_state == _IS_VIEWABLE

    def has_input_focus(self, caption):
        """Whether the keyboard's input goes to the window captioned caption (or one inside it)."""
        window = self.find(caption)
        focus, revert = ctypes.c_ulong(), ctypes.c_int()
        _x.XGetInputFocus(self.handle, ctypes.byref(focus), ctypes.byref(revert))
        root = _x.XDefaultRootWindow(self.handle)
        current = focus.value
        while window is not None and current not in (0, 1, root):  # None and PointerRoot are 0 and 1
            if current == window:
                return True
            parent, children, count = ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
            if not _x.XQueryTree(self.handle, current, ctypes.byref(ctypes.c_ulong()), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
                return False
            if children:
                _x.XFree(children)
            current = parent.value
        return False

    def close_window(self, caption):
        window = self.find(caption)
        if window is None:
            return False
        event = _XEvent()
        event.client.type = _CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = _x.XInternAtom(self.handle, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = _x.XInternAtom(self.handle, b"WM_DELETE_WINDOW", 0)
        _x.XSendEvent(self.handle, window, 0, 0, ctypes.byref(event))
        _x.XFlush(self.handle)
        return True


def _on_display(action, caption):
    display = Display()
    try:
        return action(display, caption)
    finally:
        display.close()


def close_window(caption):
    """Sends WM_DELETE_WINDOW to the window captioned caption; False when there is none."""
    return _on_display(Display.close_window, caption)


def has_input_focus(caption):
    """Whether a key stroke now goes to the window captioned caption: the X server's input focus is there."""
    return _on_display(Display.has_input_focus, caption)
