// The port box: an editable list of the serial ports, refreshed from the serial layer each time it opens.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/serial_port.h"

class QComboBox;

namespace qv3 {

// An empty port box; a typed path is kept as typed and never added to the list.
QComboBox* make_port_box();

// refresh runs each time the box's list is about to open.
void on_port_box_opening(QComboBox* box, std::function<void()> refresh);

// Appends port to the list, shown with its description; choosing it puts its
// name alone in the box.
void add_port_item(QComboBox* box, const PortInfo& port);

// Lists ports, each shown with its description; choosing one puts its name
// alone in the box. With no port the list holds placeholder. The box's text
// stays what it was, unless it was empty: then the first port is chosen.
void fill_port_box(QComboBox* box, const std::vector<PortInfo>& ports, const std::string& placeholder);

// Puts name in the box, choosing the list's item of that name when there is one.
void choose_port(QComboBox* box, const std::string& name);

}  // namespace qv3
