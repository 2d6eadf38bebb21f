// The dialog layouts' invariants: ids, placement inside the dialog, overlaps, labels and units beside their control, bound fields.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "cli/settings_text.h"
#include "model/config_fields.h"
#include "model/config_record.h"
#include "ui/control_names.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_rules.h"

namespace qv3 {
namespace {

const DialogLayout* const kLayouts[] = {&kMainWindowLayout, &kTelemetryDialogLayout, &kHistoryDialogLayout};

// What a list covers when closed: no more than an edit field's height.
constexpr int kClosedListHeight = 14;

DialogRect visible(const LayoutControl& c) {
    DialogRect r = c.rect;
    if (c.kind == ControlKind::DropList || c.kind == ControlKind::ComboEdit) r.height = kClosedListHeight;
    return r;
}

bool overlap(const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool same_row(const DialogRect& a, const DialogRect& b) { return a.y < b.y + b.height && b.y < a.y + a.height; }

std::string name_of(const DialogLayout& d, const LayoutControl& c) {
    const std::string control = c.id != kNoControlId ? std::to_string(c.id) : std::string("'") + c.text + "'";
    return std::string(d.caption) + ": " + control;
}

TEST(DialogLayout, IdsAreUniqueAndEveryControlLiesInsideItsDialog) {
    for (const DialogLayout* d : kLayouts) {
        std::set<int> ids;
        for (const LayoutControl& c : d->controls) {
            if (c.id != kNoControlId) {
                EXPECT_TRUE(ids.insert(c.id).second) << name_of(*d, c) << " twice";
            }
            const DialogRect r = visible(c);
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= d->width &&
                        r.y + r.height <= d->height)
                << name_of(*d, c) << " outside the dialog";
            for (const char* p = c.text; *p != '\0'; ++p) {
                EXPECT_TRUE(*p >= 0x20 && *p < 0x7F) << name_of(*d, c) << ": text not printable ASCII";
            }
        }
    }
}

TEST(DialogLayout, OnlyGroupBoxesAndTheTabControlOverlapOtherControls) {
    for (const DialogLayout* d : kLayouts) {
        const auto& cs = d->controls;
        const auto frame = [](const LayoutControl& c) {
            return c.kind == ControlKind::GroupBox || c.kind == ControlKind::Tabs;
        };
        for (std::size_t i = 0; i < cs.size(); ++i) {
            for (std::size_t j = i + 1; j < cs.size(); ++j) {
                if (frame(cs[i]) || frame(cs[j])) continue;
                EXPECT_FALSE(overlap(visible(cs[i]), visible(cs[j])))
                    << name_of(*d, cs[i]) << " overlaps " << name_of(*d, cs[j]);
            }
        }
    }
}

// A label comes just before its control and stands to its left on its row; a
// unit comes just after it and stands to its right.
TEST(DialogLayout, LabelsAndUnitsStandBesideTheControlTheyDescribe) {
    for (const DialogLayout* d : kLayouts) {
        const auto& cs = d->controls;
        for (std::size_t i = 0; i < cs.size(); ++i) {
            const LayoutControl& c = cs[i];
            const bool is_label = c.kind == ControlKind::Label;
            if (!is_label && c.kind != ControlKind::Unit) {
                EXPECT_EQ(c.describes, kNoControlId) << name_of(*d, c);
                continue;
            }
            const std::size_t at = is_label ? i + 1 : i - 1;
            ASSERT_TRUE(at < cs.size() && cs[at].id == c.describes && c.describes != kNoControlId)
                << name_of(*d, c) << " is not next to the control it describes";
            const DialogRect r = c.rect;
            const DialogRect target = visible(cs[at]);
            EXPECT_TRUE(same_row(r, target)) << name_of(*d, c) << " not on its control's row";
            EXPECT_TRUE(is_label ? r.x + r.width <= target.x : r.x >= target.x + target.width)
                << name_of(*d, c) << " on the wrong side of its control";
        }
    }
}

// Bound fields name settings-text keys: per bank when the control shows the
// selected bank, else a key of the whole record; each has help for its tooltip.
TEST(DialogLayout, BoundFieldsAreSettingsOfTheRightScope) {
    std::set<std::string> keys;
    for (const auto& [key, value] : settings_to_pairs(ConfigRecord{})) keys.insert(key);
    std::set<std::string> bound;
    for (const DialogLayout* d : kLayouts) {
        for (const LayoutControl& c : d->controls) {
            const std::string field = c.field;
            if (field.empty()) {
                EXPECT_EQ(c.bank, BankScope::None) << name_of(*d, c);
                continue;
            }
            EXPECT_TRUE(bound.insert(field).second) << field << " shown twice";
            const std::string key = c.bank == BankScope::Selected ? "primary." + field : field;
            EXPECT_EQ(keys.count(key), 1u) << name_of(*d, c) << ": no setting " << key;
            const std::string help(control_help(*d, c.id));
            EXPECT_FALSE(help.empty()) << name_of(*d, c) << ": no help for its tooltip";
            // A tooltip speaks of what the window shows, never of a settings key
            // ("power_switch_time"; a one-word key is a word like any other).
            for (const ConfigField& other : config_fields()) {
                EXPECT_TRUE(!std::strchr(other.key, '_') || help.find(other.key) == std::string::npos) << help;
            }
            const bool reads_text = c.kind == ControlKind::Edit || c.kind == ControlKind::ComboEdit;
            EXPECT_EQ(c.read_limit > 0, reads_text) << name_of(*d, c) << ": read limit";
            EXPECT_EQ(c.items.empty(), c.kind != ControlKind::DropList) << name_of(*d, c) << ": list items";
        }
    }
    // Every setting of a bank, and the calibration, has its control.
    for (const std::string& key : keys) {
        const bool per_bank = key.rfind("primary.", 0) == 0;
        if (per_bank || key == "calibration") {
            EXPECT_EQ(bound.count(per_bank ? key.substr(8) : key), 1u) << "no control shows " << key;
        }
    }
}

// A rule governs controls of its dialog, each by one rule only, and reads check boxes of it.
TEST(DialogLayout, RulesGovernAndReadControlsOfTheirOwnDialog) {
    for (const auto& [layout, rules] : {std::pair{&kMainWindowLayout, kMainWindowRules},
                                        std::pair{&kTelemetryDialogLayout, kTelemetryDialogRules}}) {
        const DialogLayout* d = layout;  // Emscripten's clang 14 captures no structured binding
        const auto kind_of = [d](int id) {
            for (const LayoutControl& c : d->controls) {
                if (c.id == id) return c.kind;
            }
            return ControlKind::Label;  // no such control
        };
        std::set<int> governed;
        for (const EnablingRule& rule : rules.enabling) {
            const int box = rule.condition.box;
            EXPECT_TRUE(box == kNoControlId || kind_of(box) == ControlKind::CheckBox) << d->caption << ": " << box;
            for (const int id : rule.controls) {
                if (id == kNoControlId) continue;
                EXPECT_NE(kind_of(id), ControlKind::Label) << d->caption << ": no control " << id;
                EXPECT_TRUE(governed.insert(id).second) << d->caption << ": " << id << " governed twice";
            }
        }
        for (const Exclusion& e : rules.exclusions) {
            EXPECT_EQ(kind_of(e.box), ControlKind::CheckBox) << e.box;
            EXPECT_EQ(kind_of(e.cleared), ControlKind::CheckBox) << e.cleared;
        }
    }
}

// Every control a screen reader reaches has a name of its own in its dialog:
// its label's, its own text, or the layout's where those repeat or say too
// little; a bank's controls say the bank shown, the others keep their name.
TEST(DialogLayout, EveryControlHasANameUniqueInItsDialogWhicheverBankItShows) {
    for (const DialogLayout* d : kLayouts) {
        for (const std::size_t bank : {0, 1}) {
            std::set<std::string> names;
            for (const LayoutControl& c : d->controls) {
                if (c.id == kNoControlId || c.kind == ControlKind::Tabs || c.kind == ControlKind::StatusText) continue;
                const std::string name = bank_control_name(*d, c.id, bank);
                EXPECT_TRUE(!name.empty() && names.insert(name).second) << name_of(*d, c) << ": '" << name << "'";
            }
        }
    }
    EXPECT_EQ(control_name(kMainWindowLayout, IDC_MIC_E_PATH), "Mic-E Path");
    for (const auto& [id, bank, name] : {std::tuple{IDE_CALLSIGN, 0, "Primary Callsign"},
                                         {IDC_MIC_E_PATH, 1, "Secondary Mic-E Path"},
                                         {IDE_CALIBRATION, 1, "Calibration"}, {IDC_PORT, 1, "Port"}}) {
        EXPECT_EQ(bank_control_name(kMainWindowLayout, id, bank), name);
    }
}

}  // namespace
}  // namespace qv3
