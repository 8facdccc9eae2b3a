#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/TypedNumber.h"

namespace skyloom::core { class Prompter; }

namespace skyloom::session {

// A value field of the settings dialog: a click opens an input box holding the
// current text. An empty answer cancels; an answer that is no number, or lies
// outside the field's sensible range, is refused in one line that says what is
// expected; an answer outside lo..hi is refused with rangeMessage; refused answers
// are asked again; an answer equal to the current value does nothing. Returns the
// new value, or nullopt when nothing is to change.
struct ValueFieldRule {
    std::string prompt;
    double lo = 0;
    double hi = 0;
    std::string rangeMessage;
    core::SensibleRange sensible;
};

std::optional<double> askValueField(core::Prompter& prompter, const ValueFieldRule& rule,
                                    std::string_view currentText);

const ValueFieldRule& storageCostRule();
const ValueFieldRule& stateOfChargeRule();
const ValueFieldRule& dotSizeRule();

}  // namespace skyloom::session
