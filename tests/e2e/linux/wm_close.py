#!/usr/bin/python3
# wm_close.py WINDOW: asks an X window to close the way a window manager's
# close box does, with a WM_DELETE_WINDOW client message (the tests run
# without a window manager).
import ctypes
import sys

x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x.XOpenDisplay(None) or sys.exit("cannot open display"))
window = ctypes.c_ulong(int(sys.argv[1], 0))
# An XClientMessageEvent as the longs of an x86-64 XEvent (ints padded to a
# long): type ClientMessage, serial, send_event, display, window, message_type,
# format 32, then the data: the protocol and CurrentTime. Atoms fit in an int.
event = (ctypes.c_long * 24)(33, 0, 0, 0, window.value, x.XInternAtom(display, b"WM_PROTOCOLS", 0), 32,
                             x.XInternAtom(display, b"WM_DELETE_WINDOW", 0), 0)
x.XSendEvent(display, window, 0, ctypes.c_long(0), event)
x.XCloseDisplay(display)  # flushes the event
