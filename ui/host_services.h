// The seam between the form logic and the host: message boxes, file dialogs, the telemetry and history dialogs, the file manager, quitting, standard error.
//
// One implementation per front end, chosen at link time:
// ui/win32/host_services_win32.cpp for the Windows application,
// ui/qt/host_services_qt.cpp for the native window, and tests/ui/ui_fakes.cpp
// (answers scripted by the test, every call logged) for tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/user_questions.h"
#include "model/config_record.h"
#include "ui/app.h"
#include "ui/form_access.h"

namespace qv3 {

// The name the save dialog offers first.
constexpr const char* kDefaultConfigFileName = "config1.qv3";

// ask_ok_cancel and show_notice: device/user_questions.h, which this front
// end implements beside the functions below.

// The save-file dialog, offering initial_name; the chosen path (UTF-8, as the
// files layer takes it), or nothing when cancelled.
std::optional<std::string> choose_save_file(WindowHandle owner, std::string_view initial_name);

// The open-file dialog; the chosen path (UTF-8), or nothing when cancelled.
std::optional<std::string> choose_open_file(WindowHandle owner);

// Shows the telemetry dialog modally over owner, editing record's bank
// active_bank; its procedure calls the functions of ui/telemetry_binding.h.
void show_telemetry_dialog(WindowHandle owner, ConfigRecord& record);

// Shows the history dialog modally over owner (a page shows it and returns);
// its procedure calls the functions of ui/history_dialog.h.
void show_history_dialog(WindowHandle owner, App& app);

// Opens folder (UTF-8) in the desktop's file manager; false when the host has
// none or it could not be started.
bool open_folder(std::string_view folder);

// Asks the host to end the application once the current message is handled,
// with exit_code as the program's exit code.
void post_quit_request(WindowHandle owner, int exit_code);

// One line on the program's standard error, where it has one. A standard
// error that is gone (a hung-up terminal, a pipe without a reader) loses the
// line and nothing else: the program goes on.
void print_to_standard_error(std::string_view line);

}  // namespace qv3
