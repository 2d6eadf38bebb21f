// The main window's settings controls and the record's shown bank: copying both ways, enabling, exclusions.
#pragma once

#include <array>

#include "model/config_record.h"
#include "ui/form_access.h"

namespace qv3 {

// Items of the three lists; the record keeps the position of the selected item.
constexpr std::array<const char*, 8> kMicEMessageItems{
    "Off Duty", "En Route", "In Service", "Returning", "Committed", "Special", "Priority", "Emergency!",
};
constexpr std::array<const char*, 16> kMicEPathItems{
    "Conventional", "WIDE-1",       "WIDE-2",       "WIDE-3",      "WIDE-4",      "WIDE-5",
    "WIDE-6",       "WIDE-7",       "North",        "South",       "East",        "West",
    "North + WIDE", "South + WIDE", "East + WIDE",  "West + WIDE",
};
constexpr std::array<const char*, 3> kTimestampItems{"None", "HMS", "DHM"};

// Shows calibration and bank active_bank in the controls: values and
// selections only, enabling is left as it is.
void record_to_form(WindowHandle window, const ConfigRecord& record);

// Stores the controls, enabled or not, into calibration and bank active_bank.
// The other bank, active_bank, device_model and the telemetry fields stay.
void form_to_record(WindowHandle window, ConfigRecord& record);

// Enables each control whose condition holds and disables the others; the
// conditions read the form's check boxes and record.device_model.
void update_enabling(WindowHandle window, const ConfigRecord& record);

// After the check box id has toggled itself: clears the boxes that exclude it
// when it is now checked, then update_enabling.
void check_box_clicked(WindowHandle window, const ConfigRecord& record, int id);

}  // namespace qv3
