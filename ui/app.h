// The one App of a window front end: the record, the protocol, the port and the window, passed to every operation.
#pragma once

#include <string>

#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "device/user_questions.h"  // WindowHandle
#include "model/config_record.h"

namespace qv3 {

// How far the program is on its way out (ui/end_requests.h).
enum class Ending {
    NotAsked,
    AfterWrite,           // the session is ending: quit once the write is over
    AfterWriteSignalled,  // a signal asked the same: the next one abandons the write
    Now,                  // the quit is posted
};

// Everything the main window keeps, created in this order: the record with
// the protocol, then the port.
struct App {
    ConfigRecord record;
    DeviceProtocol protocol;
    SerialPort port;
    WindowHandle window = 0;
    Ending ending = Ending::NotAsked;
    // Where a read and a verified write keep their images (files/history.h);
    // the front end names the system's folder, the tests none.
    std::string history_folder;
    bool form_held = false;  // the form is held for a write (ui/form_hold.h)
    bool reviewing_write = false;  // the questions before a write's image goes out are shown (ui/write_review.h)
};

}  // namespace qv3
