// The exchanges with the tracker, driven one short step at a time by a 100 ms timer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "device/serial_port.h"
#include "model/config_record.h"

namespace qv3 {

enum class ProtocolState {
    Idle,
    QueryVersion,          // "Read Version"
    QueryVersionForRead,   // "Read Config", before the image is read
    QueryVersionForWrite,  // a write, before the image is sent
    ReadingConfig,
    ReadingBeforeWrite,    // a write reads what the tracker holds before anything is sent
    ConfirmingWrite,       // that read is over; the front end asks before the image goes out

    WritingConfig,
    VerifyingConfig,
};

enum class TestCommand { Tone1200, Tone2200, ToneBoth, StopTest };

// How the last exchange ended; callers decide by this, and status_line shows
// exchange_status_text of it. Running from a successful start until the end.
enum class ExchangeOutcome {
    None,                        // no exchange yet
    Running,
    OpenFailed,                  // the port did not open; nothing was sent
    VersionFound,                // "Read Version" identified the model
    NotFound,                    // no known version reply after every try
    ReadSucceeded,
    CorruptedEeprom,             // a read brought the wrong number of bytes
    ConfigNotRead,               // a read or read-back brought nothing
    Written,                     // the read-back equals the image sent
    VerifyFailedLength,          // the read-back has the wrong number of bytes
    VerifyFailedBytes,           // the read-back differs from the image sent
    WriteCancelledModelChanged,  // the tracker reported another model; nothing was sent
    PortLostDuringRead,          // the device went away during a version query or a read
    PortLostDuringWrite,         // the device went away while the image went out or came back
    WriteDeclined,               // the user answered Cancel after the read before a write
    AlreadyHeld,                 // the tracker holds the very image the write would send
    BackupFailed,                // the read before a write could not be kept; nothing was sent
};

// What a trace call reports: a byte sent or received, or the line speed the
// next open will use (the version query's retry switches it).
enum class TraceDirection { Sent, Received, LineSpeed };

struct DeviceProtocol {
    ProtocolState state = ProtocolState::Idle;
    int32_t retry_count = 0;   // version replies judged unknown since the command began
    int32_t tick_count = 0;    // steps since the current phase began
    std::string version_reply;
    int32_t write_offset = 0;  // image offset of the next 32-byte piece to send
    std::string status_line;
    ExchangeOutcome outcome = ExchangeOutcome::None;
    ReceivedImage received_image;
    ImageBytes encoded_image{};
    int32_t encoded_for_model = 0;  // the model encoded_image was laid out for
    bool port_gone = false;         // a read or write of this step found the device gone
    // A write reads the tracker's image first (ReadingBeforeWrite) and waits
    // in ConfirmingWrite; without it the image goes out right after the
    // version query (qv3 reads on its own before it writes).
    bool read_before_write = false;
    // How that read ended: ReadSucceeded, CorruptedEeprom or ConfigNotRead.
    ExchangeOutcome read_before_write_outcome = ExchangeOutcome::None;
    // A refusal's text stays on the status line for this many more steps
    // (refused_during_write); meanwhile the progress it covers waits here.
    int32_t refusal_steps_left = 0;
    std::string progress_under_refusal;
    // Called for every byte sent and received, with the byte, and for every
    // change of line speed, with the baud rate; when set (qv3 --trace).
    std::function<void(TraceDirection, uint32_t)> trace;
};

// The status text of an outcome. detail is what the text quotes: the version
// reply for VersionFound and NotFound, the port's error for OpenFailed, the
// system's reason for PortLostDuringRead and "PATH: REASON" for BackupFailed.
// Empty for None and Running, whose texts are the progress of the exchange.
std::string exchange_status_text(ExchangeOutcome outcome, std::string_view detail = {});

// Shown when a command is refused because a write is under way.
constexpr const char* kWriteInProgressStatus = "Write in progress, please wait";

// Steps (of 100 ms) for which the status line keeps saying
// kWriteInProgressStatus after a refusal, so that the next step's progress
// does not hide it; the write's outcome replaces it at once.
constexpr int32_t kRefusalShownSteps = 20;

// True from the write command's first byte until the read-back is judged.
// A write stopped then leaves the tracker with part of an image, so the
// requests to end (and the page's leave-page prompt) wait for it.
bool write_in_progress(const DeviceProtocol& protocol);

// True from the start of the write's version query until the read-back is
// judged: write_in_progress, and the query before it. Anything sent to the
// tracker then would replace the write or land inside its new configuration,
// and a new image or model would spoil the verification, so the callers
// refuse such commands instead of abandoning the write, and the form stays
// as it is being written.
bool write_under_way(const DeviceProtocol& protocol);

// The one refusal of every such command: true while a write is under way,
// with status_line saying kWriteInProgressStatus for kRefusalShownSteps steps
// (or until the write ends); false, and nothing changed, otherwise.
bool refused_during_write(DeviceProtocol& protocol);

// Model code of a version reply: the row whose version text begins the reply, else kModelNone.
int model_for_version_reply(const std::string& reply);

// In ConfirmingWrite: the answer was yes, so the port is opened again and the
// image goes out (WritingConfig); an open failure ends the write with the
// port's text. Nothing happens in any other state.
void write_after_confirming(DeviceProtocol& protocol, SerialPort& port);

// In ConfirmingWrite: the write ends with outcome (WriteDeclined, AlreadyHeld
// or BackupFailed, detail as exchange_status_text takes it) and nothing sent.
void end_write_unsent(DeviceProtocol& protocol, ExchangeOutcome outcome, std::string_view detail = {});

// Opens the port and sends the version query; follow_up is one of the three
// query states. On an open failure only status_line changes (the port's text).
void start_version_query(DeviceProtocol& protocol, SerialPort& port, ProtocolState follow_up);

// One timer tick. True when the record may have changed and the window should
// show it again: after a version reply was judged, and when a read or a
// verification has finished.
bool step(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record);

// Compares the read-back with encoded_image and, when equal, decodes it.
void verify_written_image(DeviceProtocol& protocol, ConfigRecord& record);

// Opens the port, sends the command's three bytes and closes it. No answer is
// read. Ok when every byte went out, else what stopped it.
PortOutcome send_test_command(DeviceProtocol& protocol, SerialPort& port, TestCommand command);

// Bounds of one drain of the line, so a device that keeps talking cannot hold
// the window: a drain stops at these counts or after kDrainLimitMs.
constexpr size_t kMaxVersionReplyBytes = 256;
constexpr int64_t kDrainLimitMs = 1500;

}  // namespace qv3
