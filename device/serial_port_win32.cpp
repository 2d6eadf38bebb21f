// Serial port on Windows (Win32 communications API, blocking I/O with time-outs).
#include "device/serial_port.h"
#include "device/serial_port_platform.h"

#include <windows.h>

#include <string>

namespace qv3 {
namespace {

HANDLE as_handle(PortHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool is_com_name(std::string_view name) {
    if (name.size() < 4) return false;
    for (size_t i = 0; i < 3; ++i) {
        const char c = static_cast<char>(name[i] & ~0x20);  // upper case
        if (c != "COM"[i]) return false;
    }
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

// The name CreateFileA is given. COM1..COM9 also work bare, but COM10 and up
// only in the device namespace, so every COM<digits> goes there. A name with
// a NUL inside would name a different device, so it names none.
bool device_path(std::string_view name, std::string& path) {
    if (name.empty() || name.find('\0') != std::string_view::npos) return false;
    path.assign(is_com_name(name) ? "\\\\.\\" : "");
    path.append(name);
    return true;
}

// Per-byte budgets, multiplier x 1 byte + constant: a one-byte read waits
// 3 + 100 = kReadTimeoutMs, a one-byte write 2 + 300 = kWriteTimeoutMs.
bool set_timeouts(HANDLE h) {
    constexpr DWORD kReadPerByteMs = 3;
    constexpr DWORD kWritePerByteMs = 2;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 50;
    t.ReadTotalTimeoutMultiplier = kReadPerByteMs;
    t.ReadTotalTimeoutConstant = kReadTimeoutMs - kReadPerByteMs;
    t.WriteTotalTimeoutMultiplier = kWritePerByteMs;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs - kWritePerByteMs;
    return SetCommTimeouts(h, &t) != 0;
}

// Errors with which Windows says that the device behind an open handle went
// away: a USB adapter pulled out, its driver gone.
bool device_gone(DWORD error) {
    return error == ERROR_DEVICE_REMOVED || error == ERROR_BAD_COMMAND || error == ERROR_OPERATION_ABORTED ||
           error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE || error == ERROR_DEVICE_NOT_CONNECTED;
}

// The system's words for an error code, on one line.
std::string system_text(DWORD error) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string words(text, length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(error) : words;
}

PortOutcome failure(SerialPort& port, DWORD error) {
    port.reason = system_text(error);
    return device_gone(error) ? PortOutcome::Gone : PortOutcome::Failed;
}

PortOutcome open_failure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return PortOutcome::NotFound;
        // A COM port another program has open refuses with access denied.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return PortOutcome::Busy;
        default: return PortOutcome::Failed;
    }
}

}  // namespace

PortOutcome open(SerialPort& port) {
    if (port.handle != kNoHandle) {
        if (CloseHandle(as_handle(port.handle)) == 0) port.last_error = "Close: Failed";
        port.handle = kNoHandle;
    }

    std::string path;
    const HANDLE h = device_path(port.port_name, path)
                         ? CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr)
                         : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = path.empty() ? ERROR_INVALID_NAME : GetLastError();
        port.handle = kNoHandle;
        port.reason = system_text(error);
        port.last_error = "Could not open Com Port " + port.port_name;
        return open_failure(error);
    }
    port.handle = reinterpret_cast<PortHandle>(h);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (GetCommState(h, &dcb) == 0) {
        const DWORD error = GetLastError();
        port.reason = system_text(error);
        port.last_error = "Open: GetCommState failed";
        return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? PortOutcome::NotASerialPort
                                                                                : PortOutcome::Failed;
    }
    // Only these settings change; whatever else the driver holds stays.
    dcb.BaudRate = port.baud_rate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (SetCommState(h, &dcb) == 0) {
        port.reason = system_text(GetLastError());
        port.last_error = "Open: SetCommState failed";
        return PortOutcome::SettingsRefused;
    }
    if (!set_timeouts(h)) {
        port.reason = system_text(GetLastError());
        port.last_error = "Open: SetCommTimeouts failed";
        return PortOutcome::SettingsRefused;
    }
    return PortOutcome::Ok;
}

PortOutcome write_single_byte(SerialPort& port, uint8_t byte) {
    DWORD written = 0;
    if (WriteFile(as_handle(port.handle), &byte, 1, &written, nullptr) == 0) return failure(port, GetLastError());
    return written == 1 ? PortOutcome::Ok : PortOutcome::NothingInTime;
}

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    uint8_t byte = 0;
    DWORD got = 0;
    if (ReadFile(as_handle(port.handle), &byte, 1, &got, nullptr) == 0) {
        port.last_error = "Read: Failed 1";
        return {failure(port, GetLastError()), 0};
    }
    if (got == 0) return {PortOutcome::NothingInTime, 0};
    return {PortOutcome::Ok, byte};
}

void close(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Close: ComPort Invalid";
        return;
    }
    if (CloseHandle(as_handle(port.handle)) == 0) {
        port.last_error = "Close: Failed";
        return;
    }
    port.handle = kNoHandle;
}

bool port_may_exist(std::string_view name) {
    // QueryDosDeviceA wants the bare device name; an empty one would list
    // every device instead.
    if (name.rfind("\\\\.\\", 0) == 0) name.remove_prefix(4);
    if (name.empty() || name.find('\0') != std::string_view::npos) return false;
    const std::string device(name);
    char target[1024];
    if (QueryDosDeviceA(device.c_str(), target, sizeof target) != 0) return true;
    // A mapping longer than the buffer still exists.
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

void sleep_ms(SerialPort& /*port*/, int ms) {
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

int64_t line_clock_ms(const SerialPort& /*port*/) { return static_cast<int64_t>(GetTickCount64()); }

}  // namespace qv3
