// The pseudo-terminal qv3sim serves on, reachable by the host through a symbolic link.
#pragma once

#include <cstdint>
#include <string>

namespace qv3::sim {

struct PtyLink {
    int master_fd = -1;  // the tracker's end, non-blocking
    int slave_fd = -1;   // kept open so that the host closing its end never hangs up the master
    std::string slave_name;
    std::string link_path;
    bool linked = false;
};

// Opens a pseudo-terminal, puts its slave in raw mode without echo, and makes
// link_path a symbolic link to the slave (an existing symbolic link is
// replaced; anything else there is left alone and reported). Returns an empty
// string, or a one-line reason.
std::string open_pty_link(PtyLink& link, const std::string& link_path);

// The speed the host last set on its end, in baud; 0 when unknown or not
// one of the usual rates.
uint32_t pty_line_baud(const PtyLink& link);

// Removes the link when it still points to this slave, and closes both ends.
void close_pty_link(PtyLink& link);

}  // namespace qv3::sim
