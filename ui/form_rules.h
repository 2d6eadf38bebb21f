// The form's rules as data: which controls a check box or the model enables, and which boxes clear each other.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>

#include "model/config_record.h"
#include "model/device_models.h"
#include "ui/control_ids.h"
#include "ui/dialog_layout.h"
#include "ui/form_access.h"

namespace qv3 {

// When a rule's controls are enabled: while a check box of the form is in a
// state, while the identified model offers them, or both.
struct RuleCondition {
    int box = kNoControlId;  // none: no box plays a part
    bool box_checked = true;
    bool FormOffers::*offer = nullptr;  // none: whatever the model
};

constexpr RuleCondition checked(int box) { return {box, true, nullptr}; }
constexpr RuleCondition unchecked(int box, bool FormOffers::*offer = nullptr) { return {box, false, offer}; }
constexpr RuleCondition offered(bool FormOffers::*offer) { return {kNoControlId, true, offer}; }

// The most controls one rule governs.
constexpr std::size_t kMostRuleControls = 7;

// Controls enabled exactly while the condition holds. A control is governed
// by one rule at most, else the last would win.
struct EnablingRule {
    std::array<int, kMostRuleControls> controls{};  // unused places hold kNoControlId
    RuleCondition condition;
};

// A rule row; more than kMostRuleControls controls do not compile.
constexpr EnablingRule enables(std::initializer_list<int> controls, RuleCondition condition) {
    EnablingRule rule{{}, condition};
    rule.controls.fill(kNoControlId);
    std::size_t place = 0;
    for (const int id : controls) rule.controls[place++] = id;
    return rule;
}

// Checking box clears the box cleared (unchecking clears nothing).
struct Exclusion {
    int box;
    int cleared;
};

// A dialog's rules.
struct FormRules {
    std::span<const EnablingRule> enabling;
    std::span<const Exclusion> exclusions;
};

// The main window. Rows with a check box are the boxes whose clicks the
// window hands to check_box_clicked.
inline constexpr std::array kMainWindowEnabling{
    enables({IDE_SLOW_SPEED, IDE_SLOW_RATE, IDE_FAST_SPEED, IDE_FAST_RATE, IDE_MIN_TURN_ANGLE, IDE_TURN_SLOPE,
             IDE_MIN_TURN_TIME},
            checked(IDX_SMART_BEACON)),
    enables({IDE_AUTO_TX_RATE}, unchecked(IDX_SMART_BEACON)),
    enables({IDE_TIME_SLOT_OFFSET}, checked(IDX_TIME_SLOT)),
    enables({IDX_FORCE_PRINTABLE, IDC_MIC_E_MESSAGE, IDC_MIC_E_PATH}, checked(IDX_MIC_E)),
    enables({IDE_POWER_SWITCH_TIME}, checked(IDX_POWER_SWITCH)),
    enables({IDE_SYMBOL, IDE_SYMBOL_TABLE, IDX_TRANSMIT_ALTITUDE}, unchecked(IDX_SEND_NMEA)),
    enables({IDC_TIMESTAMP}, unchecked(IDX_MIC_E)),
    enables({IDX_NO_GT_PREFIX}, offered(&FormOffers::no_gt_prefix)),
    enables({IDX_SERIAL_OUT_HIGH}, offered(&FormOffers::serial_out_high)),
    enables({IDX_NO_STARTUP_PACKET}, offered(&FormOffers::no_startup_packet)),
    enables({IDX_SERIAL_9600_BAUD}, offered(&FormOffers::serial_9600_baud)),
    enables({IDX_TX_TWIST}, offered(&FormOffers::tx_twist)),
    enables({IDB_EDIT_TELEMETRY}, offered(&FormOffers::edit_telemetry)),
    enables({IDE_FREQUENCY}, offered(&FormOffers::frequency)),
    enables({IDX_INVERT_CD_IN, IDX_ONLY_SEND_VALID, IDX_SEND_300_BAUD, IDE_QUIET_TIME, IDX_NO_TX_ON_PTT_IN,
             IDE_CALIBRATION},
            offered(&FormOffers::line_settings)),
    enables({IDX_SEND_DAO}, unchecked(IDX_SEND_NMEA, &FormOffers::send_dao)),
};

inline constexpr std::array kMainWindowExclusions{
    Exclusion{IDX_TIME_SLOT, IDX_SMART_BEACON},
    Exclusion{IDX_SMART_BEACON, IDX_TIME_SLOT},
    Exclusion{IDX_SMART_BEACON, IDX_POWER_SWITCH},  // Power Switch does not clear SmartBeaconing
    Exclusion{IDX_MIC_E, IDX_SEND_NMEA},
    Exclusion{IDX_SEND_NMEA, IDX_MIC_E},
};

// The telemetry dialog.
inline constexpr std::array kTelemetryDialogEnabling{
    enables({IDC_TELEMETRY_CHANNELS, IDE_TELEMETRY_DEF_RATE, IDE_TELEMETRY_TEXT}, checked(IDX_SEND_TELEMETRY)),
};

inline constexpr FormRules kMainWindowRules{kMainWindowEnabling, kMainWindowExclusions};
inline constexpr FormRules kTelemetryDialogRules{kTelemetryDialogEnabling, {}};

// Enables each control whose rule's condition holds and disables the others
// the rules govern; the conditions read the form's check boxes and the
// offers of record.device_model.
void update_enabling(WindowHandle window, const FormRules& rules, const ConfigRecord& record);

// Whether a click on control id asks for check_box_clicked: a box that a
// rule's condition reads or that clears others.
bool has_rules(const FormRules& rules, int id);

// After the check box id has toggled itself: clears the boxes it excludes
// when it is now checked, then update_enabling.
void check_box_clicked(WindowHandle window, const FormRules& rules, const ConfigRecord& record, int id);

}  // namespace qv3
