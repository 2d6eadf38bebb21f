// The serial ports of a POSIX system: USB adapters, real UARTs and macOS call-out devices, described from sysfs.
#include "device/port_list_posix.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>

namespace qv3 {
namespace {

namespace fs = std::filesystem;

// Bounds on what the system hands over: a folder may hold any number of
// entries, and a sysfs file whatever a USB device chose to report.
constexpr size_t kMaxEntriesPerFolder = 16384;
constexpr size_t kMaxPorts = 256;
constexpr size_t kMaxAttributeChars = 128;
constexpr size_t kMaxPathChars = 1024;
// From a tty's device up to the USB device that carries idVendor: the
// interface (ttyACM), or the usb-serial port and then the interface (ttyUSB).
constexpr int kMaxLevelsToUsbDevice = 4;

// Names of a folder's entries; none when it cannot be read.
std::vector<std::string> folder_entries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator() && names.size() < kMaxEntriesPerFolder; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

// Text fit for a terminal or a list box: a device's own strings and file
// names may hold any byte.
std::string printable(std::string_view text, size_t max_chars = kMaxAttributeChars) {
    std::string out;
    for (const char ch : text.substr(0, max_chars)) {
        const auto c = static_cast<unsigned char>(ch);
        out.push_back(c >= 0x20 && c < 0x7F ? ch : '?');
    }
    const size_t end = out.find_last_not_of(' ');
    if (end == std::string::npos) return {};
    const size_t begin = out.find_first_not_of(' ');
    return out.substr(begin, end + 1 - begin);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The first line of a sysfs attribute, printable; empty when there is none.
// Only regular files are opened: a fifo would hold the listing forever.
std::string read_attribute(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(file.c_str(), "rb"));
    if (!in) return {};
    char buffer[kMaxAttributeChars];
    const std::string_view read(buffer, std::fread(buffer, 1, sizeof buffer, in.get()));
    return printable(read.substr(0, read.find('\n')));
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += ", ";
        out += part;
    }
    return out;
}

// "maker, product, serial S, USB vvvv:pppp" of the USB device a tty belongs
// to; empty for a tty that is not on USB or a system without sysfs.
std::string usb_description(const fs::path& sys_root, const std::string& tty) {
    std::error_code ec;
    const fs::path root = fs::canonical(sys_root, ec);
    if (ec) return {};
    fs::path dir = fs::canonical(sys_root / "class" / "tty" / tty / "device", ec);
    if (ec) return {};
    // The walk stays inside sysfs whatever its links say.
    const std::string inside = root.string() + "/";
    for (int level = 0; level <= kMaxLevelsToUsbDevice && dir.string().rfind(inside, 0) == 0; ++level) {
        if (fs::is_regular_file(dir / "idVendor", ec)) {
            const std::string vendor = read_attribute(dir / "idVendor");
            const std::string product = read_attribute(dir / "idProduct");
            const std::string serial = read_attribute(dir / "serial");
            return joined({read_attribute(dir / "manufacturer"), read_attribute(dir / "product"),
                           serial.empty() ? "" : "serial " + serial,
                           vendor.empty() || product.empty() ? "" : "USB " + vendor + ":" + product});
        }
        dir = dir.parent_path();
    }
    return {};
}

// The kernel makes ttyS0 to ttyS31 whether or not a UART is behind them; sysfs
// tells them apart: type 0 means that nothing answered at the port's address.
// Opening the port to ask instead would raise its DTR and RTS lines.
bool uart_answers(const fs::path& sys_root, const std::string& tty) {
    const fs::path entry = sys_root / "class" / "tty" / tty;
    std::error_code ec;
    if (!fs::exists(entry / "device", ec)) return false;
    const std::string type = read_attribute(entry / "type");
    return !type.empty() && type != "0";
}

bool digits_after(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a device file of the dev folder is a port to list, and its description.
bool describe_device(const fs::path& sys_root, const std::string& name, std::string& description) {
    if (digits_after(name, "ttyUSB") || digits_after(name, "ttyACM")) {
        description = usb_description(sys_root, name);
        return true;
    }
    if (digits_after(name, "ttyS")) {
        if (!uart_answers(sys_root, name)) return false;
        description = "built-in serial port";
        return true;
    }
    // macOS: the call-out devices, which open without waiting for carrier.
    if (name.size() > 3 && name.rfind("cu.", 0) == 0) {
        description.clear();
        return true;
    }
    return false;
}

// "ttyUSB2" before "ttyUSB10": runs of digits compare by their value.
bool natural_less(const std::string& a, const std::string& b) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            size_t end_a = i, end_b = j;
            while (end_a < a.size() && digit(a[end_a])) ++end_a;
            while (end_b < b.size() && digit(b[end_b])) ++end_b;
            std::string_view x(a.data() + i, end_a - i), y(b.data() + j, end_b - j);
            x.remove_prefix(std::min(x.find_first_not_of('0'), x.size()));
            y.remove_prefix(std::min(y.find_first_not_of('0'), y.size()));
            if (x.size() != y.size()) return x.size() < y.size();
            if (x != y) return x < y;
            i = end_a;
            j = end_b;
        } else {
            if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;
}

}  // namespace

// A USB adapter appears twice: as ttyUSB0 (or ttyACM0) and as a link in
// serial/by-id named after its maker, product and serial number. It is listed
// once, under the device's own name: that name is short enough for the port
// box, is the one permissions and kernel messages speak of, and the window and
// qv3 open it the same. The by-id path goes into the description, where it
// tells a user which adapter is the tracker, and where they can copy it from
// for a name that stays the same when adapters are plugged in another order.
PortList list_ports_in(const std::string& dev_root, const std::string& sys_root) {
    std::error_code ec;
    fs::directory_iterator devices(dev_root, ec);
    if (ec) return {{}, PortOutcome::Failed, ec.message()};
    std::map<std::string, PortInfo> found;  // by the device's file name
    for (const std::string& name : folder_entries(dev_root)) {
        std::string description;
        if (found.size() < kMaxPorts && describe_device(sys_root, name, description)) {
            found[name] = {dev_root + "/" + name, description};
        }
    }

    const fs::path dev = fs::canonical(dev_root, ec);
    const fs::path by_id = fs::path(dev_root) / "serial" / "by-id";
    std::vector<std::string> links = folder_entries(by_id);
    std::sort(links.begin(), links.end());
    for (const std::string& link : links) {
        const fs::path target = fs::canonical(by_id / link, ec);
        if (ec || dev.empty() || target.parent_path() != dev) continue;
        const std::string device = target.filename().string();
        auto port = found.find(device);
        if (port == found.end()) {
            // A serial device of a driver the names above do not cover.
            if (found.size() >= kMaxPorts) continue;
            port = found.emplace(device, PortInfo{dev_root + "/" + device, usb_description(sys_root, device)}).first;
        } else if (port->second.description.find("/serial/by-id/") != std::string::npos) {
            continue;  // one link is enough to tell the adapter
        }
        port->second.description = joined({port->second.description, printable(by_id.string() + "/" + link, kMaxPathChars)});
    }

    PortList list;
    for (auto& entry : found) list.ports.push_back(std::move(entry.second));
    std::sort(list.ports.begin(), list.ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return natural_less(a.name, b.name); });
    return list;
}

PortList list_ports() { return list_ports_in("/dev", "/sys"); }

}  // namespace qv3
