"""End-to-end scenarios of the native window: the real program against qv3sim, worked through AT-SPI.

Run by run_qt_e2e.sh inside a private D-Bus session on an Xvfb display. Prints one
line per scenario and ends with "N passed, N failed".
"""
import os
import shutil
import signal
import subprocess
import sys
import time

import x11_window
from pyatspi import STATE_ACTIVE, STATE_FOCUSED, STATE_IS_DEFAULT, STATE_READ_ONLY, STATE_SELECTED

from atspi_window import (ALT, CONTROL, KEY_ESCAPE, KEY_LEFT, KEY_PAGE_DOWN, KEY_PAGE_UP, KEY_RIGHT, KEY_TAB, SHIFT,
                          Failure, Window, application, close_window, log_tail, node_gone, press_key, screenshot,
                          top_window, wait_until, window_gone)

CAPTION = "Quorvale3Config v1.4"
WRITE_CAPTION = "Quorvale3 Write"
TELEMETRY = "Telemetry Settings"
HISTORY = "History"
READ_OK = "Read Config Successful"
WRITTEN_OK = "Config Written Successfully!"
QUESTIONS = [
    "You are about to configure your Quorvale with the ability to send an EMERGENCY beacon.  Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send a longer path than is normally recommended. Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send at a rate that is more frequent then is normally recommended. Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send telemetry definitions at a rate that is more frequent then is normally recommended. Are you sure you want to do this?",
]
BANKS = ("Primary", "Secondary")  # a bank's controls are named for the bank shown: "Primary Callsign"
# Controls that need a model (off at start) and those that a PL-RUX model turns off.
MODEL_CONTROLS = ["Edit Telemetry"] + [f"Primary {k}" for k in (
    "Don't Send '>'", "Serial Out High", "No Startup Packet", "Serial 9600 Baud", "TX Twist", "Frequency", "Send DAO")]
NON_RUX_CONTROLS = ["Calibration"] + [f"Primary {k}" for k in (
    "Invert CD In", "Only Send Valid", "Send 300 Baud", "Quiet Time", "No TX Out on PTT In")]
TELEMETRY_FIELDS = ("Primary Channels", "Primary Definition Rate", "Primary Definition Text")
FINISHING = "quorvale3config: finishing the write before quitting"
ABANDONED = "quorvale3config: write abandoned: the tracker may hold an incomplete configuration"

app_bin, qv3, qv3sim, work = sys.argv[1:5]
tracker_link = os.path.join(work, "tracker")
tracker_image = os.path.join(work, "tracker.img")


class S:
    """The session: the program, the simulated tracker, the program's accessible application and main window,
    and the file that holds the program's standard error."""
    program = sim = app = main = None
    program_log = os.path.join(work, "program.log")


def check(condition, why):
    if not condition:
        raise Failure(why)


def expect(what, got, want):
    check(got == want, f"{what}: got {got!r}, expected {want!r}")


def expect_enabled(window, state, keys):
    for key in keys:
        expect(f"{key} enabled", window.enabled(key), state)


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def use_tracker(model, *options):
    stop(S.sim)
    ready = os.path.join(work, "tracker.ready")
    with open(ready, "w") as out, open(os.path.join(work, "tracker.err"), "w") as err:
        S.sim = subprocess.Popen([qv3sim, "--model", str(model), "--link", tracker_link, "--image-out", tracker_image,
                                  "--log", os.path.join(work, "tracker.log"), *options], stdout=out, stderr=err)
    wait_until("qv3sim did not start", 10, lambda: os.path.getsize(ready) > 0)


def start_program(log_name="program.log", mode="a"):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    S.program_log = os.path.join(work, log_name)
    with open(S.program_log, mode) as log:
        S.program = subprocess.Popen([app_bin, "--port", tracker_link], env=env, stdout=log, stderr=log,
                                     stdin=subprocess.DEVNULL)
    S.app = application("quorvale3config", 60, S.program)
    S.main = Window(top_window(S.app, CAPTION, 60))


def qv3_lines(*args):
    return subprocess.run([qv3, *args], check=True, capture_output=True, text=True).stdout.splitlines()


def tracker_setting(model, key):
    for line in qv3_lines("decode", "--model", str(model), tracker_image):
        if line.startswith(key + " = "):
            return line[len(key) + 3:].strip('"')
    raise Failure(f"no {key} in the tracker's settings")


def expected_image(model, **changes):
    """The tracker's current image with some settings changed, encoded again by qv3."""
    lines = []
    for line in qv3_lines("decode", "--model", str(model), tracker_image):
        key = line.split(" = ", 1)[0]
        lines.append(f"{key} = {changes.pop(key)}" if key in changes else line)
    check(not changes, f"no such settings: {list(changes)}")
    text, out = os.path.join(work, "expected.txt"), os.path.join(work, "expected.img")
    with open(text, "w") as f:
        f.write("\n".join(lines) + "\n")
    qv3_lines("encode", "--model", str(model), text, "-o", out)
    with open(out, "rb") as f:
        return f.read()


def tracker_bytes():
    with open(tracker_image, "rb") as f:
        return f.read()


def command(key, outcome, answers=()):
    """Presses key, answers the questions it raises (text, button), and waits for outcome in the status
    line. An exchange shows its progress first, so an outcome equal to the one before is not taken."""
    def status():
        return S.main.text("Status line")
    before = status()
    S.main.press(key)
    for text, button in answers:
        answer(WRITE_CAPTION, button, text, focused_default=True)
    if outcome == WRITTEN_OK:
        answer_changes("OK")
    if before == outcome:
        wait_until(f"the status line stayed {outcome!r}", 30, lambda: status() != outcome)
    wait_until(f"no {outcome!r} in the status line (it says {status()!r})", 60, lambda: status() == outcome)


def answer_changes(button, lines=(), picture=None):
    """Answers the list of changes a write shows before its image goes out, once it names each of lines."""
    box = Window(top_window(S.app, WRITE_CAPTION))
    if picture is not None:
        screenshot(box.node, os.path.join(work, picture))
    shown = "\n".join(c.name for c in box.node if c is not None and c.getRoleName() == "label" and c.name)
    check(shown.startswith("The tracker will change:") and all(line in shown for line in lines),
          f"the change list says {shown!r}, expected {list(lines)}")
    box.press(button)
    node_gone(box.node, WRITE_CAPTION)


def answer(caption, button, text, focused_default=False, picture=None):
    box = Window(top_window(S.app, caption))
    if picture is not None:
        screenshot(box.node, os.path.join(work, picture))
    shown = [c.name for c in box.node if c is not None and c.getRoleName() == "label" and c.name]
    check(text in shown, f"{caption!r} says {shown}, expected {text!r}")
    if focused_default:
        expect("Cancel is the default button", box.state("Cancel", STATE_IS_DEFAULT), True)
        wait_until("Cancel has no focus", 10, lambda: box.focused("Cancel"))
    box.press(button)
    node_gone(box.node, caption)


def no_write_question():
    check(not any(w is not None and w.name == WRITE_CAPTION for w in S.app), "a write question opened")


def set_checked(window, key, state):
    if window.checked(key) != state:
        window.press(key)
        wait_until(f"{key} did not change", 10, lambda: window.checked(key) == state)


def open_telemetry():
    S.main.press("Edit Telemetry")
    dialog = Window(top_window(S.app, TELEMETRY))
    wait_until("Send Telemetry has no focus", 10, lambda: dialog.focused("Primary Send Telemetry"))
    return dialog


def close_telemetry(dialog, how):
    if how == "close box":
        close_window(TELEMETRY)
    elif how == "Esc":  # Esc in the multi-line field cancels too
        dialog.focus("Primary Definition Text")
        press_key(KEY_ESCAPE)
    else:
        dialog.press(how)
    window_gone(S.app, TELEMETRY)


# --- scenarios -----------------------------------------------------------------------------------

def startup_defaults():
    m = S.main
    for key, want in [("Primary Callsign", "NOCALL"), ("Primary Path", "WIDE1-1,WIDE2-1"),
                      ("Primary Frequency", "144.390"), ("Calibration", "128"), ("Port", tracker_link),
                      ("Primary Mic-E Message", "In Service"), ("Primary Timestamp", "None"), ("Status line", "")]:
        expect(key, m.text(key), want)
    expect("Timestamp items", m.items("Primary Timestamp"), ["None", "HMS", "DHM"])
    wait_until("Callsign has no focus", 10, lambda: m.focused("Primary Callsign"))
    expect_enabled(m, False, MODEL_CONTROLS)
    expect_enabled(m, True, NON_RUX_CONTROLS)


def exclusions():
    m = S.main
    for press, cleared, on, off in [
            ("Primary Send NMEA", "Primary Mic-E Enable", ["Primary Timestamp"],
             ["Primary Symbol", "Primary Symbol Table", "Primary Transmit Altitude", "Primary Force Printable",
              "Primary Mic-E Message"]),
            ("Primary Mic-E Enable", "Primary Send NMEA", ["Primary Symbol", "Primary Force Printable"],
             ["Primary Timestamp"])]:
        m.press(press)
        wait_until(f"{press} did not clear {cleared}", 10, lambda: not m.checked(cleared))
        expect_enabled(m, True, on)
        expect_enabled(m, False, off)


def write_before_read():
    S.main.press("Write Config")
    answer("Read Version First", "OK", "You must read the version before writing the config",
           picture="message-box.png")
    no_write_question()
    expect("status", S.main.text("Status line"), "")


def read_model(model, off):
    use_tracker(model)
    command("Read Config", READ_OK)
    for key, setting in [("Primary Callsign", "primary.callsign"), ("Primary Path", "primary.path")]:
        expect(key, S.main.text(key), tracker_setting(model, setting))
    expect_enabled(S.main, False, off)
    expect_enabled(S.main, True, [k for k in MODEL_CONTROLS + NON_RUX_CONTROLS if k not in off])


def read_model_4():
    read_model(4, ["Primary Frequency"])
    screenshot(S.main.node, os.path.join(work, "after-read.png"))


def write_callsign():
    """The change list first: Cancel leaves the tracker as it was, OK writes."""
    before = tracker_bytes()
    want = expected_image(4, **{"primary.callsign": '"N0CALL-7"'})
    S.main.set_text("Primary Callsign", "n0call-7")  # typed letters become capitals
    S.main.press("Write Config")
    answer_changes("Cancel", [f"Primary Callsign: {tracker_setting(4, 'primary.callsign')} \u2192 N0CALL-7"],
                   picture="change-list.png")
    wait_until("no cancel said", 30, lambda: S.main.text("Status line") == "Write cancelled: the tracker is unchanged")
    check(tracker_bytes() == before, "a cancelled write changed the tracker's image")
    command("Write Config", WRITTEN_OK)
    check(tracker_bytes() == want, "the tracker's image differs from qv3 encode's")
    expect("Callsign", S.main.text("Primary Callsign"), "N0CALL-7")


def held_during_a_write():
    """A Read Config just after Write Config is refused, said; meanwhile Callsign is read-only and SmartBeaconing
    off (each call here waits for the program's step, so the checks come once the refusal shows)."""
    m = S.main
    m.set_text("Primary Callsign", "HELD-1")  # a change, or the tracker holding the form already ends it at once
    m.press("Write Config")
    m.press("Read Config")
    wait_until("no refusal", 10, lambda: m.text("Status line") == "Write in progress, please wait")
    expect("held", (m.state("Primary Callsign", STATE_READ_ONLY), m.enabled("Primary SmartBeaconing Enable")), (True, False))
    screenshot(m.node, os.path.join(work, "write-held.png"))
    answer_changes("OK")
    wait_until("the write did not end", 60, lambda: m.text("Status line") == WRITTEN_OK)
    expect("free", (m.state("Primary Callsign", STATE_READ_ONLY), m.enabled("Primary SmartBeaconing Enable")), (False, True))


def questions_ok():
    m = S.main
    m.select("Primary Mic-E Message", 7)
    m.set_text("Primary Path", "WIDE1-1,WIDE5-5")
    expect("SmartBeaconing", m.checked("Primary SmartBeaconing Enable"), False)
    m.set_text("Primary Auto TX Rate", "60")
    dialog = open_telemetry()
    set_checked(dialog, "Primary Send Telemetry", True)
    dialog.set_text("Primary Definition Rate", "10")
    close_telemetry(dialog, "OK")
    want = expected_image(4, **{"primary.mic_e_message": "7", "primary.path": '"WIDE1-1,WIDE5-5"',
                                "primary.auto_tx_rate": "60", "primary.send_telemetry": "1",
                                "primary.telemetry_def_rate": "10"})
    command("Write Config", WRITTEN_OK, [(text, "OK") for text in QUESTIONS])
    check(tracker_bytes() == want, "the tracker's image differs from qv3 encode's")
    expect("Message", m.text("Primary Mic-E Message"), "Emergency!")


def question_cancel():
    before = tracker_bytes()
    S.main.set_text("Primary Callsign", "CANCEL-1")
    S.main.press("Write Config")
    answer(WRITE_CAPTION, "OK", QUESTIONS[0])
    answer(WRITE_CAPTION, "Cancel", QUESTIONS[1])
    time.sleep(0.5)  # settles; the checks below hold at any later time too
    no_write_question()
    expect("status", S.main.text("Status line"), WRITTEN_OK)
    check(tracker_bytes() == before, "the tracker's image changed")


def file_dialog(button, caption, name_shown, path, status, replace=False):
    """Presses button, answers the file dialog captioned caption with path, and waits for status."""
    S.main.press(button)
    dialog = Window(top_window(S.app, caption))
    field = next(k for k in dialog.controls if k.startswith("File name"))
    expect("file name", dialog.text(field), name_shown)
    dialog.set_text(field, path)
    dialog.press("Save" if caption == "Save As" else "Open")
    if replace:  # the replace question, a box of the same caption, answered Yes
        def question():
            return next((Window(w) for w in S.app if w is not None and w.name == caption and "Yes" in Window(w).controls),
                        None)
        wait_until("no replace question", 10, question)
        question().press("Yes")
    window_gone(S.app, caption)
    if status:
        wait_until(f"no {status!r} in the status line", 60, lambda: S.main.text("Status line") == status)


def save_and_load():
    folder = os.path.join(work, "files")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = os.path.join(folder, "e2e.qv3")
    S.main.set_text("Primary Callsign", "SAVED-1")
    file_dialog("Save", "Save As", "config1.qv3", path[:-4], "File Saved")  # the extension is added
    with open(path, "rb") as f:
        expect("file header", f.read(8).hex(), "5156334200010000")
    check('primary.callsign = "SAVED-1"' in qv3_lines("show", path), "qv3 show: no SAVED-1")

    S.main.set_text("Primary Callsign", "SAVED-2")
    file_dialog("Save", "Save As", "config1.qv3", path, None, replace=True)
    wait_until("the file was not replaced", 10, lambda: 'primary.callsign = "SAVED-2"' in qv3_lines("show", path))

    S.main.set_text("Primary Callsign", "OTHER")
    file_dialog("Load", "Open", "", path, "File Loaded")
    expect("Callsign", S.main.text("Primary Callsign"), "SAVED-2")


def history_dialog():
    """After a Read Config the list shows the tracker's image first; Load puts it back over an edit."""
    m = S.main
    command("Read Config", READ_OK)
    read = m.text("Primary Callsign")
    m.set_text("Primary Callsign", "HIST-1")
    m.press("History...")
    d = Window(top_window(S.app, HISTORY))
    check(f"  {read}  model 4  " in d.text("Entry"), f"the newest entry is {d.text('Entry')!r}")
    screenshot(d.node, os.path.join(work, "history.png"))
    d.press("Load")
    window_gone(S.app, HISTORY)
    expect("Callsign", m.text("Primary Callsign"), read)
    wait_until("no 'File Loaded' in the status line", 10, lambda: m.text("Status line") == "File Loaded")


def refused_character():
    """A character past Latin-1 stops Save and Write Config; "Café" is saved and written as the byte 0xE9."""
    m, before, path = S.main, tracker_bytes(), os.path.join(work, "cafe.qv3")
    if os.path.exists(path):
        os.remove(path)
    m.set_text("Primary Status Text", "Café Ω 日本 🙂")
    for button in ("Save", "Write Config"):
        m.press(button)
        answer("Quorvale3Config", "OK", "Status Text: the tracker cannot store the character 'Ω' (U+03A9).",
               picture="refused.png")
        wait_until("Status Text has no focus", 10, lambda: m.focused("Primary Status Text"))
    no_write_question()
    check(tracker_bytes() == before and not os.path.exists(path), "saved or written")
    m.set_text("Primary Status Text", "Café")
    file_dialog("Save", "Save As", "config1.qv3", path, "File Saved")
    command("Write Config", WRITTEN_OK)
    # qv3 prints the byte 0xE9 as é (and UTF-8's two bytes as two other characters).
    check('primary.status_text = "Café"' in qv3_lines("show", path), "qv3 show: no Café in the file")
    expect("the tracker's status text", tracker_setting(4, "primary.status_text"), "Café")
    m.set_text("Primary Status Text", "other")
    command("Read Config", READ_OK)
    expect("Status Text", m.text("Primary Status Text"), "Café")


def tab_switch():
    command("Read Config", READ_OK)
    m = S.main
    m.set_text("Primary Callsign", "TAB-1")
    m.switch_tab(1)
    secondary = tracker_setting(4, "secondary.callsign")
    wait_until("the Secondary bank is not shown", 10, lambda: m.text("Secondary Callsign") == secondary)
    m.set_text("Secondary Callsign", "TAB-2")
    for tab, kept in [(0, "TAB-1"), (1, "TAB-2"), (0, "TAB-1")]:
        m.switch_tab(tab)
        wait_until(f"{kept} lost", 10, lambda: m.text(f"{BANKS[tab]} Callsign") == kept)


def keyboard_banks():
    """Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn, Ctrl+PgUp, Alt+PgDn and Alt+PgUp switch banks from a field; the tab row
    is in the Tab order."""
    m = S.main
    m.focus("Primary Callsign")

    def tabs():  # (selected, focused) of each tab
        return [tuple(t.getState().contains(s) for s in (STATE_SELECTED, STATE_FOCUSED)) for t in m.tabs]
    for key, held, bank in [(KEY_TAB, CONTROL, 1), (KEY_TAB, CONTROL | SHIFT, 0), (KEY_PAGE_DOWN, CONTROL, 1),
                            (KEY_PAGE_UP, CONTROL, 0), (KEY_PAGE_DOWN, ALT, 1), (KEY_PAGE_UP, ALT, 0),
                            (KEY_TAB, SHIFT, 0), (KEY_RIGHT, 0, 1), (KEY_LEFT, 0, 0)]:
        press_key(key, held)  # the last three on the row of tabs, where the selected tab alone is focused
        on_row = not held & (CONTROL | ALT)
        want = [(i == bank, on_row and i == bank) for i in range(2)]
        field = f"{BANKS[bank]} Callsign"
        wait_until(f"key {key:x}+{held}: tabs {tabs()}", 10, lambda: tabs() == want and
                   m.text(field) == ("TAB-1", "TAB-2")[bank] and m.focused(field) != on_row)


def accessible_names():
    """Drop lists are named by their label, every control by a name of its own; two tabs, no hidden buttons."""
    m = Window(S.main.node)
    keys = ("Primary Timestamp", "Primary Mic-E Message", "Primary Mic-E Path", "Port")
    expect("drop lists", [m.control(key).getRoleName() for key in keys], ["combo box"] * len(keys))
    expect("names said twice", sorted({n for n in m.names if m.names.count(n) > 1}), [])
    expect("tabs", [t.name for t in m.tabs], ["Primary", "Secondary"])
    expect("the port box's field", m._field_of(m.control("Port")).name, "Port")


def telemetry_dialog():
    d = open_telemetry()
    screenshot(d.node, os.path.join(work, "telemetry.png"))
    expect("Channels", d.items("Primary Channels"), ["1", "2", "3"])
    set_checked(d, "Primary Send Telemetry", True)
    expect_enabled(d, True, TELEMETRY_FIELDS)
    # The keyboard order is the layout's: Channels comes last although it stands first.
    for key in ("Primary Definition Rate", "Primary Definition Text", "OK", "Cancel", "Primary Channels",
                "Primary Send Telemetry"):
        press_key(KEY_TAB)
        wait_until(f"Tab did not reach {key}", 10, lambda: d.focused(key))
    d.set_text("Primary Definition Rate", "45")
    close_telemetry(d, "OK")
    # (what the dialog shows when it opens again, the next edit, how the dialog is closed); the close box keeps.
    for (key, shown), (edited, value), how in [
            (("Primary Definition Rate", "45"), ("Primary Definition Rate", "50"), "Cancel"),
            (("Primary Definition Rate", "45"), ("Primary Definition Rate", "55"), "close box"),
            (("Primary Definition Rate", "55"), ("Primary Definition Text", "T1\nT2"), "OK"),
            (("Primary Definition Text", "T1\nT2"), ("Primary Definition Rate", "60"), "Esc")]:
        d = open_telemetry()
        expect(f"{key} before {how}", d.text(key), shown)
        d.set_text(edited, value)
        close_telemetry(d, how)

    d = open_telemetry()
    expect("rate after Esc", d.text("Primary Definition Rate"), "55")
    set_checked(d, "Primary Send Telemetry", False)
    expect_enabled(d, False, TELEMETRY_FIELDS)
    expect_enabled(d, True, ("OK", "Cancel"))
    close_telemetry(d, "Cancel")


def ends_with_exit_code_0(how):
    if how == "Esc":
        # The key goes where the X server sends keys, which the program may learn of later or earlier.
        wait_until("the main window has no focus", 10, lambda: S.main.node.getState().contains(STATE_ACTIVE)
                   and x11_window.has_input_focus(CAPTION))
        press_key(KEY_ESCAPE)
    else:
        stop(S.program)
        start_program()
        if how == "Quit":
            S.main.press("Quit")
        else:
            close_window(CAPTION)
    try:
        code = S.program.wait(30)
    except subprocess.TimeoutExpired:
        shown = x11_window.Display()
        try:
            window = "still shown" if shown.viewable(CAPTION) else "gone"
        finally:
            shown.close()
        keep_stacks(S.program, os.path.join(work, "stuck-program.txt"))
        stop(S.program)
        raise Failure(f"the program did not end (its main window {window})")
    expect("exit code", code, 0)


def keep_stacks(process, path):
    """Where a program that should have ended waits: every thread's stack, when gdb is there to take them."""
    if shutil.which("gdb") is None:
        return
    with open(path, "w") as out:
        subprocess.run(["gdb", "-batch", "-p", str(process.pid), "-ex", "thread apply all bt"], stdout=out,
                       stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, timeout=120, check=False)
    print(f"  --- {os.path.relpath(path)}\n{log_tail(path, 30)}", flush=True)


def signals_during_a_write(when, signals, want_code, want_lines):
    """Sends signals to the program writing a new callsign: the first once the status line shows when (the tracker
    answers late, so no image byte precedes "Reading Version"), the next once the program says it is finishing the
    write. Checks the exit code, the program's own lines on standard error and the tracker's image byte for byte."""
    stop(S.program)
    use_tracker(4)
    start_program("signals.log", "w")
    command("Read Config", READ_OK)
    if when == "Reading Version":
        use_tracker(4, "--reply-delay", "3000")
    want_image = expected_image(4, **{"primary.callsign": '"SIGNAL-1"'}) if want_lines == [FINISHING] else tracker_bytes()
    S.main.set_text("Primary Callsign", "SIGNAL-1")
    S.main.press("Write Config")
    if when == "Writing Config":
        answer_changes("OK")
    wait_until(f"no {when!r} in the status line", 30, lambda: S.main.text("Status line").startswith(when))

    def lines():
        with open(os.path.join(work, "signals.log")) as f:
            return [line for line in f.read().splitlines() if line.startswith("quorvale3config:")]
    for i, number in enumerate(signals):
        if i > 0:
            wait_until("the program does not say it is finishing the write", 10, lambda: FINISHING in lines())
        S.program.send_signal(number)
    expect("exit code", S.program.wait(30), want_code)
    expect("standard error", lines(), want_lines)
    check(tracker_bytes() == want_image, "the tracker's image is not the one expected")


SCENARIOS = [
    ("start-up shows the defaults, model controls off", startup_defaults),
    ("Send NMEA and Mic-E clear each other, enabling follows", exclusions),
    ("Write Config before a read: Read Version First", write_before_read),
    ("Read Config from a 128-byte model (2)", lambda: read_model(2, [
        "Primary Serial Out High", "Primary Serial 9600 Baud", "Primary TX Twist", "Edit Telemetry", "Primary Send DAO"]
        + NON_RUX_CONTROLS)),
    ("Read Config from a 256-byte model (4)", read_model_4),
    ("edited callsign written as qv3 encode's image", write_callsign),
    ("a character past Latin-1 refused; Café saved and written", refused_character),
    ("during a write the form is held, Read Config refused", held_during_a_write),
    ("four write questions answered OK, image written", questions_ok),
    ("a write question answered Cancel: nothing written", question_cancel),
    ("Save and Load through the file dialogs", save_and_load),
    ("History: the read listed, Load puts it back", history_dialog),
    ("a tab switch keeps the edits of each bank", tab_switch),
    ("Ctrl+Tab, Ctrl+PgDn, Alt+PgDn... and the tab row switch banks", keyboard_banks),
    ("screen readers: names by label, once each, two tabs", accessible_names),
    ("telemetry dialog: OK, Cancel, close box, Esc, keyboard order", telemetry_dialog),
] + [(f"{how} ends the program with exit code 0", lambda how=how: ends_with_exit_code_0(how))
     for how in ("Esc", "Quit", "the close box")] + [
    (f"{' then '.join(n.name for n in signals)} at {when!r}: exit {code}",
     lambda args=(when, signals, code, want): signals_during_a_write(*args))
    for when, signals, code, want in [
        ("Reading Version", [signal.SIGTERM], 0, []),
        ("Writing Config", [signal.SIGHUP], 0, [FINISHING]),
        ("Writing Config", [signal.SIGINT, signal.SIGTERM], 130, [FINISHING, ABANDONED])]]


def show_logs():
    """A failure's evidence: the ends of the program's standard error, the simulated tracker's log (with
    times) and the accessibility bus's log."""
    for path in (S.program_log, os.path.join(work, "tracker.log"), os.path.join(work, "atspi.log")):
        print(f"  --- {os.path.relpath(path)}\n{log_tail(path, 12)}", flush=True)


def main():
    passed = failed = 0
    try:
        use_tracker(4)
        start_program()
    except Exception as error:
        print(f"FAIL  the program did not start: {error}")
        show_logs()
        print("0 passed, 1 failed")
        return 1
    for name, function in SCENARIOS:
        t0 = time.monotonic()
        try:
            function()
            passed += 1
            print(f"PASS  {name:<58} {time.monotonic() - t0:5.1f}s", flush=True)
        except Exception as error:
            failed += 1
            print(f"FAIL  {name:<58} {time.monotonic() - t0:5.1f}s  {error}", flush=True)
            show_logs()
            if S.program is not None and S.program.poll() is None:
                for w in list(S.app):  # whatever the scenario left open
                    if w is not None and w.name != CAPTION:
                        try:
                            close_window(w.name)
                        except Failure:
                            pass
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    finally:  # nothing started here outlives the run, whatever happened
        stop(S.program)
        stop(S.sim)
