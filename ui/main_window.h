// The main window's state and behaviour: start-up, ports, tabs, commands and the timer tick.
#pragma once

#include <array>
#include <string>

#include "ui/app.h"
#include "ui/form_access.h"

namespace qv3 {

// The front end starts this timer (id, period) and calls on_timer on each tick.
constexpr int kTimerId = 1234;
constexpr int kTimerPeriodMs = 100;

// Texts of the tab control's tabs; the tab's position is the bank it shows.
constexpr std::array<const char*, 2> kTabTexts{"Primary", "Secondary"};

// The port box's one item when the serial layer lists no port.
constexpr const char* kNoPortsText = "No COM Ports Found";

// Once the window and its controls exist (the front end inserts the tabs,
// starts the timer, centres and shows the window and focuses Callsign):
// fills the port box with the ports the serial layer lists (list_ports), each
// name with its description, or with kNoPortsText when there is none, and
// selects the first item (app.port is not used); fills and selects the three
// lists, shows the record, applies the enabling and names the bank's controls
// for the bank shown ("Primary Callsign", name_bank_controls).
void initialise_main_window(App& app);

// Fills the port box as initialise_main_window does, over what it held; the
// ports listed. The windows fill it once at start (the native one lists the
// ports again each time its list opens); the page, each time the ports it
// may use change.
std::vector<PortInfo> list_ports_in_port_box(App& app);

// The port box's current text, at most 99 characters.
std::string selected_port_name(const App& app);

// The tab control now shows tab_index (0 or 1; anything else is ignored): the
// form goes into the bank shown until now and the new bank is shown, its
// controls named for it ("Secondary Callsign"). While a
// text holds a character the tracker cannot store, the switch is refused as
// Save refuses it (ui/text_refusal.h) and the tab control shows the bank
// shown until now again.
void on_tab_changed(App& app, int tab_index);

// Ctrl+Tab, Ctrl+PgDn and Alt+PgDn (step 1), Ctrl+Shift+Tab, Ctrl+PgUp and
// Alt+PgUp (step -1), from any control of the window: the tab control selects
// the next or the previous bank, round, and on_tab_changed follows. A browser
// keeps the Ctrl keys for its own tabs, so the page has the Alt keys alone.
void on_bank_key(App& app, int step);

// Asked before quitting while a write is going out, captioned
// kWriteQuestionCaption; Cancel keeps the write going.
constexpr const char* kQuitDuringWriteQuestion =
    "A write is in progress. Quitting now leaves the tracker with an incomplete configuration. Quit anyway?";

// "Quit", Esc and the close box: quits at once, or after the question above
// while a write is going out.
void on_quit_request(App& app);

// A click on the button or check box id; other ids do nothing.
void on_command(App& app, int id);

// One tick of the kTimerId timer: a step of the device exchange, and the
// status field shows protocol.status_line. When the program was asked to end
// during a write and the write is over, it quits.
void on_timer(App& app);

}  // namespace qv3
