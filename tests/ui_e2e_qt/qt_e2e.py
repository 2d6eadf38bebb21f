"""End-to-end scenarios of the native window: the real program against qv3sim, worked through AT-SPI.

Run by run_qt_e2e.sh inside a private D-Bus session on an Xvfb display. Prints one
line per scenario and ends with "N passed, N failed".
"""
import os
import shutil
import subprocess
import sys
import time

from pyatspi import STATE_ACTIVE, STATE_IS_DEFAULT

from atspi_window import (KEY_ESCAPE, KEY_TAB, Failure, Window, application, close_window, node_gone, press_key,
                          screenshot, top_window, wait_until, window_gone)

CAPTION = "Quorvale3Config v1.4"
WRITE_CAPTION = "Quorvale3 Write"
READ_OK = "Read Config Successful"
WRITTEN_OK = "Config Written Successfully!"
QUESTIONS = [
    "You are about to configure your Quorvale with the ability to send an EMERGENCY beacon.  Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send a longer path than is normally recommended. Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send at a rate that is more frequent then is normally recommended. Are you sure you want to do this?",
    "You are about to configure your Quorvale with the ability to send telemetry definitions at a rate that is more frequent then is normally recommended. Are you sure you want to do this?",
]
# Controls that need a model (off at start) and those that a PL-RUX model turns off.
MODEL_CONTROLS = ["Status/Don't Send '>'", "Serial Out High", "No Startup Packet", "Serial 9600 Baud", "TX Twist",
                  "Edit Telemetry", "Frequency", "Send DAO"]
NON_RUX_CONTROLS = ["Invert CD In", "Only Send Valid", "Send 300 Baud", "Timing/Quiet Time", "No TX Out on PTT In",
                    "Timing/Calibration"]

app_bin, qv3, qv3sim, work = sys.argv[1:5]
tracker_link = os.path.join(work, "tracker")
tracker_image = os.path.join(work, "tracker.img")


class Session:
    program = None
    sim = None
    app = None
    main = None


S = Session()


def check(condition, why):
    if not condition:
        raise Failure(why)


def expect(what, got, want):
    check(got == want, f"{what}: got {got!r}, expected {want!r}")


# --- the simulated tracker and the program ------------------------------------------------------

def use_tracker(model):
    stop(S.sim)
    ready = os.path.join(work, "tracker.ready")
    with open(ready, "w") as out, open(os.path.join(work, "tracker.err"), "w") as err:
        S.sim = subprocess.Popen([qv3sim, "--model", str(model), "--link", tracker_link, "--image-out", tracker_image,
                                  "--log", os.path.join(work, "tracker.log")], stdout=out, stderr=err)
    wait_until("qv3sim did not start", 10, lambda: os.path.getsize(ready) > 0)


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def start_program():
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with open(os.path.join(work, "program.log"), "a") as log:
        S.program = subprocess.Popen([app_bin, "--port", tracker_link], env=env, stdout=log, stderr=log,
                                     stdin=subprocess.DEVNULL)
    S.app = application("quorvale3config", 60)
    S.main = Window(top_window(S.app, CAPTION, 60))


def expect_exit():
    try:
        code = S.program.wait(30)
    except subprocess.TimeoutExpired:
        stop(S.program)
        raise Failure("the program did not end")
    expect("exit code", code, 0)


def settings_of(image, model):
    return subprocess.run([qv3, "decode", "--model", str(model), image], check=True, capture_output=True,
                          text=True).stdout


def tracker_setting(model, key):
    for line in settings_of(tracker_image, model).splitlines():
        if line.startswith(key + " = "):
            return line[len(key) + 3:].strip('"')
    raise Failure(f"no {key} in the tracker's settings")


def expected_image(model, **changes):
    """The tracker's current image with some settings changed, encoded again by qv3."""
    lines = []
    for line in settings_of(tracker_image, model).splitlines():
        key = line.split(" = ", 1)[0]
        lines.append(f"{key} = {changes.pop(key)}" if key in changes else line)
    check(not changes, f"no such settings: {list(changes)}")
    text, out = os.path.join(work, "expected.txt"), os.path.join(work, "expected.img")
    with open(text, "w") as f:
        f.write("\n".join(lines) + "\n")
    subprocess.run([qv3, "encode", "--model", str(model), text, "-o", out], check=True, capture_output=True)
    with open(out, "rb") as f:
        return f.read()


def tracker_bytes():
    with open(tracker_image, "rb") as f:
        return f.read()


def await_outcome(before, outcome, seconds=60):
    """Once an exchange has been started: its outcome in the status line. An exchange shows its
    progress first, so an outcome equal to the one before it is not taken for the new one."""
    m = S.main
    if before == outcome:
        wait_until(f"the status line stayed {outcome!r}", 30, lambda: m.text("Status line") != outcome)
    wait_until(f"no {outcome!r} in the status line (it says {m.text('Status line')!r})", seconds,
               lambda: m.text("Status line") == outcome)


def command(key, outcome):
    """Presses key, which starts an exchange, and waits for its outcome."""
    before = S.main.text("Status line")
    S.main.press(key)
    await_outcome(before, outcome)


def wait_status(text, seconds=60):
    """The status line shows text (after a command whose outcome differs from the text before)."""
    wait_until(f"no {text!r} in the status line (it says {S.main.text('Status line')!r})", seconds,
               lambda: S.main.text("Status line") == text)


def read_config():
    command("Configure/Read Config", READ_OK)


def answer(caption, button, text=None, focused_default=False, picture=None):
    box = Window(top_window(S.app, caption))
    if picture is not None:
        screenshot(box.node, os.path.join(work, picture))
    if text is not None:
        shown = [c.name for c in box.node if c is not None and c.getRoleName() == "label" and c.name]
        check(text in shown, f"{caption!r} says {shown}, expected {text!r}")
    if focused_default:
        expect("Cancel is the default button", box.state("Cancel", STATE_IS_DEFAULT), True)
        wait_until("Cancel has no focus", 10, lambda: box.focused("Cancel"))
    box.press(button)
    node_gone(box.node, caption)


def expect_enabled(state, keys):
    for key in keys:
        expect(f"{key} enabled", S.main.enabled(key), state)


# --- scenarios -----------------------------------------------------------------------------------

def startup_defaults():
    m = S.main
    for key, want in [("Callsign", "NOCALL"), ("Path", "WIDE1-1,WIDE2-1"), ("Status/Text", "Quorvale3"),
                      ("Frequency", "144.390"), ("Timing/Calibration", "128"), ("Configure/Serial port", tracker_link),
                      ("Mic-E/Message", "In Service"), ("Mic-E/Path", "Conventional"), ("Timestamp", "None"),
                      ("Status line", "")]:
        expect(key, m.text(key), want)
    expect("Message items", len(m.items("Mic-E/Message")), 8)
    expect("Mic-E path items", len(m.items("Mic-E/Path")), 16)
    expect("Timestamp items", m.items("Timestamp"), ["None", "HMS", "DHM"])
    wait_until("Callsign has no focus", 10, lambda: m.focused("Callsign"))
    expect_enabled(False, MODEL_CONTROLS)
    expect_enabled(True, NON_RUX_CONTROLS)


def exclusions():
    m = S.main
    m.press("Send NMEA")
    wait_until("Send NMEA did not clear Mic-E", 10, lambda: not m.checked("Mic-E/Enable"))
    expect_enabled(False, ["Symbol", "Table", "Transmit Altitude", "Mic-E/Force Printable", "Mic-E/Message"])
    expect_enabled(True, ["Timestamp"])
    m.press("Mic-E/Enable")
    wait_until("Mic-E did not clear Send NMEA", 10, lambda: not m.checked("Send NMEA"))
    expect_enabled(True, ["Symbol", "Mic-E/Force Printable"])
    expect_enabled(False, ["Timestamp"])


def write_before_read():
    S.main.press("Configure/Write Config")
    answer("Read Version First", "OK", "You must read the version before writing the config",
           picture="message-box.png")
    check(not any(w is not None and w.name == WRITE_CAPTION for w in S.app), "a write question opened")
    expect("status", S.main.text("Status line"), "")


def read_model_2():
    use_tracker(2)
    read_config()
    for key, setting in [("Callsign", "primary.callsign"), ("Path", "primary.path"),
                         ("Status/Text", "primary.status_text")]:
        expect(key, S.main.text(key), tracker_setting(2, setting))
    expect_enabled(True, ["Frequency", "Status/Don't Send '>'", "No Startup Packet"])
    expect_enabled(False, ["Serial Out High", "Serial 9600 Baud", "TX Twist", "Edit Telemetry", "Send DAO"] +
                   NON_RUX_CONTROLS)


def read_model_4():
    use_tracker(4)
    read_config()
    expect("Callsign", S.main.text("Callsign"), tracker_setting(4, "primary.callsign"))
    expect_enabled(False, ["Frequency"])
    expect_enabled(True, [k for k in MODEL_CONTROLS if k != "Frequency"] + NON_RUX_CONTROLS)
    screenshot(S.main.node, os.path.join(work, "after-read.png"))


def write_callsign():
    want = expected_image(4, **{"primary.callsign": '"N0CALL-7"'})
    S.main.set_text("Callsign", "n0call-7")  # typed letters become capitals
    command("Configure/Write Config", WRITTEN_OK)
    check(tracker_bytes() == want, "the tracker's image differs from qv3 encode's")
    expect("Callsign", S.main.text("Callsign"), "N0CALL-7")


def open_telemetry():
    S.main.press("Edit Telemetry")
    dialog = Window(top_window(S.app, "Telemetry Settings"))
    wait_until("Send Telemetry has no focus", 10, lambda: dialog.focused("Send Telemetry"))
    return dialog


def close_telemetry(dialog, button):
    dialog.press(button)
    window_gone(S.app, "Telemetry Settings")


def questions_ok():
    m = S.main
    m.select("Mic-E/Message", 7)
    m.set_text("Path", "WIDE1-1,WIDE5-5")
    expect("SmartBeaconing", m.checked("SmartBeaconing/Enable"), False)
    m.set_text("Timing/Auto TX Rate", "60")
    dialog = open_telemetry()
    if not dialog.checked("Send Telemetry"):
        dialog.press("Send Telemetry")
        wait_until("Send Telemetry stays clear", 10, lambda: dialog.checked("Send Telemetry"))
    dialog.set_text("Definition Rate", "10")
    close_telemetry(dialog, "OK")
    want = expected_image(4, **{"primary.mic_e_message": "7", "primary.path": '"WIDE1-1,WIDE5-5"',
                                "primary.auto_tx_rate": "60", "primary.send_telemetry": "1",
                                "primary.telemetry_def_rate": "10"})
    before = m.text("Status line")
    m.press("Configure/Write Config")
    for text in QUESTIONS:
        answer(WRITE_CAPTION, "OK", text, focused_default=True)
    await_outcome(before, WRITTEN_OK)
    check(tracker_bytes() == want, "the tracker's image differs from qv3 encode's")
    expect("Message", m.text("Mic-E/Message"), "Emergency!")


def question_cancel():
    before = tracker_bytes()
    S.main.set_text("Callsign", "CANCEL-1")
    S.main.press("Configure/Write Config")
    answer(WRITE_CAPTION, "OK", QUESTIONS[0])
    answer(WRITE_CAPTION, "Cancel", QUESTIONS[1])
    time.sleep(0.5)  # settles; the checks below hold at any later time too
    check(not any(w is not None and w.name == WRITE_CAPTION for w in S.app), "a further question opened")
    expect("status", S.main.text("Status line"), WRITTEN_OK)
    check(tracker_bytes() == before, "the tracker's image changed")


def file_dialog(caption, name_shown, path, button):
    dialog = Window(top_window(S.app, caption))
    field = next(k for k in dialog.controls if k.startswith("File name"))
    expect("file name", dialog.text(field), name_shown)
    dialog.set_text(field, path)
    dialog.press(button)


def save_and_load():
    folder = os.path.join(work, "files")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = os.path.join(folder, "e2e.qv3")
    S.main.set_text("Callsign", "SAVED-1")
    S.main.press("Save")
    file_dialog("Save As", "config1.qv3", path[:-4], "Save")  # the extension is added
    window_gone(S.app, "Save As")
    wait_status("File Saved")
    with open(path, "rb") as f:
        expect("file header", f.read(8).hex(), "5156334200010000")
    show = subprocess.run([qv3, "show", path], capture_output=True, text=True).stdout
    check('primary.callsign = "SAVED-1"' in show.splitlines(), "qv3 show: no SAVED-1")

    # The same name again: the replace question, answered Yes.
    S.main.set_text("Callsign", "SAVED-2")
    S.main.press("Save")
    file_dialog("Save As", "config1.qv3", path, "Save")
    wait_until("no replace question", 10, lambda: any(
        "Yes" in Window(w).controls for w in S.app if w is not None and w.name == "Save As"))
    question = next(Window(w) for w in S.app if w is not None and w.name == "Save As" and "Yes" in Window(w).controls)
    question.press("Yes")
    window_gone(S.app, "Save As")
    wait_until("the file was not replaced", 10, lambda: 'primary.callsign = "SAVED-2"' in subprocess.run(
        [qv3, "show", path], capture_output=True, text=True).stdout.splitlines())

    S.main.set_text("Callsign", "OTHER")
    S.main.press("Load")
    file_dialog("Open", "", path, "Open")
    window_gone(S.app, "Open")
    wait_status("File Loaded")
    expect("Callsign", S.main.text("Callsign"), "SAVED-2")


def tab_switch():
    read_config()
    m = S.main
    secondary = tracker_setting(4, "secondary.callsign")
    m.set_text("Callsign", "TAB-1")
    m.switch_tab(1)
    wait_until("the Secondary bank is not shown", 10, lambda: m.text("Callsign") == secondary)
    m.set_text("Callsign", "TAB-2")
    m.switch_tab(0)
    wait_until("TAB-1 lost", 10, lambda: m.text("Callsign") == "TAB-1")
    m.switch_tab(1)
    wait_until("TAB-2 lost", 10, lambda: m.text("Callsign") == "TAB-2")
    m.switch_tab(0)
    wait_until("TAB-1 lost", 10, lambda: m.text("Callsign") == "TAB-1")


def telemetry_dialog():
    d = open_telemetry()
    screenshot(d.node, os.path.join(work, "telemetry.png"))
    expect("Channels", d.items("Channels"), ["1", "2", "3"])
    if not d.checked("Send Telemetry"):
        d.press("Send Telemetry")
        wait_until("Send Telemetry stays clear", 10, lambda: d.checked("Send Telemetry"))
    for key in ("Channels", "Definition Rate", "Definition Text"):
        expect(f"{key} enabled", d.enabled(key), True)
    # The keyboard order is the layout's: Channels comes last although it stands first.
    for key in ("Definition Rate", "Definition Text", "OK", "Cancel", "Channels", "Send Telemetry"):
        press_key(KEY_TAB)
        wait_until(f"Tab did not reach {key}", 10, lambda key=key: d.focused(key))
    d.set_text("Definition Rate", "45")
    close_telemetry(d, "OK")

    d = open_telemetry()
    expect("rate after OK", d.text("Definition Rate"), "45")
    d.set_text("Definition Rate", "50")
    close_telemetry(d, "Cancel")

    d = open_telemetry()
    expect("rate after Cancel", d.text("Definition Rate"), "45")
    d.set_text("Definition Rate", "55")
    close_window("Telemetry Settings")  # the close box keeps the edits
    window_gone(S.app, "Telemetry Settings")

    d = open_telemetry()
    expect("rate after the close box", d.text("Definition Rate"), "55")
    d.set_text("Definition Text", "T1\nT2")
    close_telemetry(d, "OK")
    d = open_telemetry()
    expect("definition text", d.text("Definition Text"), "T1\nT2")
    d.set_text("Definition Rate", "60")
    d.focus("Definition Text")
    press_key(KEY_ESCAPE)  # Esc in the multi-line field cancels
    window_gone(S.app, "Telemetry Settings")

    d = open_telemetry()
    expect("rate after Esc", d.text("Definition Rate"), "55")
    d.press("Send Telemetry")
    wait_until("Send Telemetry stays checked", 10, lambda: not d.checked("Send Telemetry"))
    for key in ("Channels", "Definition Rate", "Definition Text"):
        expect(f"{key} enabled", d.enabled(key), False)
    for key in ("Send Telemetry", "OK", "Cancel"):
        expect(f"{key} enabled", d.enabled(key), True)
    close_telemetry(d, "Cancel")


def escape_quits():
    wait_until("the main window has no focus", 10, lambda: S.main.node.getState().contains(STATE_ACTIVE))
    press_key(KEY_ESCAPE)
    expect_exit()


def quit_quits():
    start_program()
    S.main.press("Quit")
    expect_exit()


def close_box_quits():
    start_program()
    close_window(CAPTION)
    expect_exit()


# --- run ----------------------------------------------------------------------------------------

def main():
    passed = failed = 0

    def scenario(name, function):
        nonlocal passed, failed
        t0 = time.monotonic()
        try:
            function()
            passed += 1
            print(f"PASS  {name:<58} {time.monotonic() - t0:5.1f}s", flush=True)
        except Exception as error:
            failed += 1
            print(f"FAIL  {name:<58} {time.monotonic() - t0:5.1f}s  {error}", flush=True)
            if S.program is not None and S.program.poll() is None:
                for w in list(S.app):  # whatever the scenario left open
                    if w is not None and w.name != CAPTION:
                        try:
                            close_window(w.name)
                        except Failure:
                            pass

    try:
        use_tracker(4)
        start_program()
    except Exception as error:
        print(f"FAIL  the program did not start: {error}")
        print(f"{passed} passed, {failed + 1} failed")
        stop(S.program)
        stop(S.sim)
        return 1
    scenario("start-up shows the defaults, model controls off", startup_defaults)
    scenario("Send NMEA and Mic-E clear each other, enabling follows", exclusions)
    scenario("Write Config before a read: Read Version First", write_before_read)
    scenario("Read Config from a 128-byte model (2)", read_model_2)
    scenario("Read Config from a 256-byte model (4)", read_model_4)
    scenario("edited callsign written as qv3 encode's image", write_callsign)
    scenario("four write questions answered OK, image written", questions_ok)
    scenario("a write question answered Cancel: nothing written", question_cancel)
    scenario("Save and Load through the file dialogs", save_and_load)
    scenario("a tab switch keeps the edits of each bank", tab_switch)
    scenario("telemetry dialog: OK, Cancel, close box, Esc, keyboard order", telemetry_dialog)
    scenario("Esc ends the program with exit code 0", escape_quits)
    stop(S.program)
    scenario("Quit ends the program with exit code 0", quit_quits)
    stop(S.program)
    scenario("the close box ends the program with exit code 0", close_box_quits)
    stop(S.program)
    stop(S.sim)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    finally:  # nothing started here outlives the run, whatever happened
        stop(S.program)
        stop(S.sim)
