#include "session/SettingsFields.h"

#include <limits>

#include "core/Prompter.h"
#include "core/Text.h"

namespace skyloom::session {

std::optional<double> askValueField(core::Prompter& prompter, const ValueFieldRule& rule,
                                    std::string_view currentText) {
    for (;;) {
        std::optional<std::string> answer = prompter.input(rule.prompt, currentText);
        if (!answer || core::trim(*answer).empty()) return std::nullopt;
        const std::optional<double> v = core::typedNumber(*answer);
        if (!v) {
            prompter.message(core::expectedNumberText(rule.sensible));
            continue;
        }
        if (*v < rule.lo || *v > rule.hi) {
            prompter.message(rule.rangeMessage);
            continue;
        }
        if (!rule.sensible.contains(*v)) {
            prompter.message(core::expectedNumberText(rule.sensible));
            continue;
        }
        if (const auto current = core::typedNumber(currentText); current && *v == *current) return std::nullopt;
        return v;
    }
}

const ValueFieldRule& storageCostRule() {
    static const ValueFieldRule r{"What is the cost of energy storage capacity in Dollars per kWhr per Year", 0,
                                  std::numeric_limits<double>::max(), "Must be greater than or equal to 0",
                                  {0, 1000000, "dollars per kWhr per year"}};
    return r;
}

const ValueFieldRule& stateOfChargeRule() {
    static const ValueFieldRule r{
        "What state of charge will the batteries be in at the beginning of the period (0-100%)", 0, 100,
        "Must be in the range of 0 to 100", {0, 100, "%"}};
    return r;
}

const ValueFieldRule& dotSizeRule() {
    static const ValueFieldRule r{"What size would you like to have your purchased data site dots on the map.  As a "
                                  "% of normal size. (100-1000%)",
                                  100, 1000, "Must be in the range of 100 to 1000", {100, 1000, "%"}};
    return r;
}

}  // namespace skyloom::session
