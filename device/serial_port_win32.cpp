// Serial port on Windows.
