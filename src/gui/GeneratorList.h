#pragma once

#include <vector>

#include "session/SuppliedGenerators.h"

class QComboBox;

namespace skyloom::gui {

// The generator choice of the Power Page as a table: the name, then for a curve
// of the turbine library its class, rotor diameter and curve type in columns of
// the opened list, and its whole facts as the entry's tool tip. The entry's text
// stays the generator's name.
void makeGeneratorListTable(QComboBox* list);
void fillGeneratorList(QComboBox* list, const std::vector<session::GeneratorListEntry>& entries);

}  // namespace skyloom::gui
