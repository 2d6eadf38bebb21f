// Walking the form's rules: enabling by check boxes and model, exclusions between boxes.
#include "ui/form_rules.h"

namespace qv3 {

namespace {

bool holds(WindowHandle window, const RuleCondition& condition, const FormOffers& offers) {
    if (condition.box != kNoControlId && get_check(window, condition.box) != condition.box_checked) return false;
    return condition.offer == nullptr || offers.*condition.offer;
}

}  // namespace

void update_enabling(WindowHandle window, const FormRules& rules, const ConfigRecord& record) {
    const FormOffers offers = form_offers(device_model_info(record.device_model));
    for (const EnablingRule& rule : rules.enabling) {
        const bool enabled = holds(window, rule.condition, offers);
        for (const int id : rule.controls) {
            if (id != kNoControlId) set_enabled(window, id, enabled);
        }
    }
}

bool has_rules(const FormRules& rules, int id) {
    if (id == kNoControlId) return false;
    for (const EnablingRule& rule : rules.enabling) {
        if (rule.condition.box == id) return true;
    }
    for (const Exclusion& exclusion : rules.exclusions) {
        if (exclusion.box == id) return true;
    }
    return false;
}

void check_box_clicked(WindowHandle window, const FormRules& rules, const ConfigRecord& record, int id) {
    if (get_check(window, id)) {
        for (const Exclusion& exclusion : rules.exclusions) {
            if (exclusion.box == id) set_check(window, exclusion.cleared, false);
        }
    }
    update_enabling(window, rules, record);
}

}  // namespace qv3
