#pragma once

namespace skyloom::cli {

class CliContext;

// `analyse ... --generator NAME --usage KW --storage MWH --efficiency PCT --buy PRICE
// --sell PRICE --generator-cost DOLLARS --storage-cost DOLLARS`: the energy balance
// and the money of the Power Page after the power figures.
void addEnergyOptions(CliContext& ctx);

}  // namespace skyloom::cli
