"""scripts/run without a display: the native window against a tracker, "Read Config" pressed, a screenshot, "Quit".

Run inside a D-Bus session with the accessibility bus, on an X display:
    run_headless.py PROGRAM PORT SCREENSHOT
Exits with the program's exit code, or 1 when a step failed.
"""
import os
import subprocess
import sys

from atspi_window import Failure, Window, application, log_tail, screenshot, top_window, wait_until

program, port, picture = sys.argv[1:4]


def say(text):
    print(f"run: {text}", flush=True)


def main():
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    log_path = os.path.join(os.path.dirname(picture), "run", "program.log")
    log = open(log_path, "w")
    process = subprocess.Popen([program, "--port", port], env=env, stdout=log, stderr=log,
                               stdin=subprocess.DEVNULL)
    try:
        main_window = Window(top_window(application("quorvale3config", 60, process), "Quorvale3Config v1.4", 60))
        say('window "Quorvale3Config v1.4" is up; pressing "Read Config"')
        main_window.press("Read Config")
        wait_until("no \"Read Config Successful\"", 60,
                   lambda: main_window.text("Status line") == "Read Config Successful")
        say("status field: Read Config Successful")
        say(f"the form shows callsign {main_window.text('Primary Callsign')}, path {main_window.text('Primary Path')}")
        screenshot(main_window.node, picture)
        say(f"screenshot of the window: {os.path.relpath(picture)}")
        main_window.press("Quit")
        code = process.wait(30)
        say(f"the program ended with exit code {code}")
        return code
    except (Failure, subprocess.TimeoutExpired) as error:
        say(str(error))
        process.kill()
        process.wait()
        log.flush()
        say(f"the program's standard error ({os.path.relpath(log_path)}):\n{log_tail(log_path)}")
        return 1


if __name__ == "__main__":
    sys.exit(main())
