// Serial port on Windows (Win32 communications API, blocking I/O with time-outs).
#include "device/serial_port.h"
#include "device/serial_port_platform.h"
#include "device/com_port_list.h"

#include <windows.h>

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

// Per-byte budgets: a one-byte read waits 3 x 1 + 100 = 103 ms, a one-byte
// write 2 x 1 + 300 = 302 ms.
bool set_timeouts(HANDLE h) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 50;
    t.ReadTotalTimeoutMultiplier = 3;
    t.ReadTotalTimeoutConstant = 100;
    t.WriteTotalTimeoutMultiplier = 2;
    t.WriteTotalTimeoutConstant = 300;
    return SetCommTimeouts(h, &t) != 0;
}

}  // namespace

bool open(SerialPort& port) {
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
        port.handle = kNoHandle;
        port.last_error = "Could not open Com Port " + port.port_name;
        return false;
    }
    port.handle = reinterpret_cast<PortHandle>(h);

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (GetCommState(h, &dcb) == 0) {
        port.last_error = "Open: GetCommState failed";
        return false;
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
        port.last_error = "Open: SetCommState failed";
        return false;
    }
    if (!set_timeouts(h)) {
        port.last_error = "Open: SetCommTimeouts failed";
        return false;
    }
    return true;
}

ByteWritten write_single_byte(SerialPort& port, uint8_t byte) {
    DWORD written = 0;
    const bool failed = WriteFile(as_handle(port.handle), &byte, 1, &written, nullptr) == 0;
    return {failed, written};
}

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {ReadResult::Failure, 0};
    }
    uint8_t byte = 0;
    DWORD got = 0;
    if (ReadFile(as_handle(port.handle), &byte, 1, &got, nullptr) == 0) {
        port.last_error = "Read: Failed 1";
        return {ReadResult::Failure, 0};
    }
    if (got == 0) return {ReadResult::Nothing, 0};
    return {ReadResult::Byte, byte};
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

std::vector<PortInfo> list_ports() { return list_com_ports(); }

void sleep_ms(SerialPort& /*port*/, int ms) {
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

int64_t line_clock_ms(const SerialPort& /*port*/) { return static_cast<int64_t>(GetTickCount64()); }

}  // namespace qv3
