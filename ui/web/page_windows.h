// The page's windows, as the form's window handles name them, how a dialog is asked to act, and where files cross to the browser.
#pragma once

#include "device/user_questions.h"

namespace qv3 {

constexpr WindowHandle kMainWindow = 1;
constexpr WindowHandle kTelemetryWindow = 2;
constexpr WindowHandle kHistoryWindow = 3;

// How a dialog of the page was asked to act: a click on a control, Esc or its
// close box. The telemetry dialog's Esc is Cancel and its close box keeps the
// edits; the history dialog's both are Close.
enum class DialogEvent { Click, Escape, CloseBox };

// A save lands here and leaves as a download; a loaded file is copied to the upload folder.
constexpr const char* kDownloadFolder = "/downloads";
constexpr const char* kUploadFolder = "/uploads";
// The history: the page mounts the browser's storage (IndexedDB) here before the
// module starts, and saves it there after every exchange.
constexpr const char* kHistoryFolder = "/history";

}  // namespace qv3
