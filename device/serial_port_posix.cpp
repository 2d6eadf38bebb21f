// Serial port on POSIX systems (termios).
