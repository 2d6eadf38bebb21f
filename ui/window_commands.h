// The main window's device and file commands, called by on_command.
#pragma once

#include "device/device_protocol.h"
#include "ui/app.h"

namespace qv3 {

// "Read Version" (QueryVersion) and "Read Config" (QueryVersionForRead) on the
// selected port; the form is not copied first.
void start_device_query(App& app, ProtocolState follow_up);

// "Write Config": the form into the record, then, once a version has been
// read, the questions and the start of the write on the selected port.
void write_config(App& app);

// Write Config and Save first refuse a form whose texts the tracker cannot
// store (ui/text_refusal.h): nothing is stored, asked, opened or sent.

// While a write is under way (write_under_way: its version query included),
// the tracker commands (a second Write Config too) and "Load" are refused:
// nothing is sent or changed, and the status line says kWriteInProgressStatus.
// The form is held meanwhile (ui/form_hold.h).

// A test tone command on the selected port.
void send_tone(App& app, TestCommand command);

// "Save": the form into the record and the record into the chosen file.
void save_config(App& app);

// "Load": the chosen file into the record, shown whatever the outcome.
void load_config(App& app);

}  // namespace qv3
