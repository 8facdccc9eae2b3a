#include "power/PowerPageEnergy.h"

#include <stdexcept>

#include "core/Rounding.h"
#include "sounding/SoundingSet.h"

namespace skyloom::power {

InputOutcome editEnergyField(EnergyField f, core::Prompter& p, PowerPageInputs& in) {
    switch (f) {
        case EnergyField::Usage: return editUsage(p, in);
        case EnergyField::BankSize: return editBankSize(p, in);
        case EnergyField::StorageCost: return editStorageCost(p, in);
        case EnergyField::StoreEff: return editStoreEff(p, in);
        case EnergyField::BuyPrice: return editBuyPrice(p, in);
        case EnergyField::SellPrice: return editSellPrice(p, in);
        case EnergyField::GeneratorCost: return editGeneratorCost(p, in);
    }
    return InputOutcome::Cancelled;
}

void PowerPageEnergy::setSoundings(std::vector<double> powerKw, std::vector<double> hours) {
    power_ = std::move(powerKw);
    hours_ = std::move(hours);
    times_.clear();
    speeds_.clear();
    idle_ = IdleStatistics{};
}

void PowerPageEnergy::setSoundings(const sounding::SoundingSet& set, std::span<const double> powerKw,
                                   std::span<const double> speedKnots) {
    const auto n = static_cast<std::size_t>(set.count());
    if (powerKw.size() <= n || speedKnots.size() <= n)
        throw std::invalid_argument("PowerPageEnergy: power and speed for every sounding of the set");
    power_.clear();
    hours_.clear();
    times_.clear();
    speeds_.clear();
    for (int i = 1; i <= set.count(); ++i) {
        if (set.key[i] < 0) continue;
        power_.push_back(powerKw[i]);
        hours_.push_back(set.hoursRepresented(i));
        times_.push_back(set.hrs(i));
        speeds_.push_back(speedKnots[i]);
    }
}

void PowerPageEnergy::run() {
    runEnergyBalance(balanceInputs(inputs, maxToGrid, stateOfCharge), power_, hours_, balance_);
    money_ = computeEconomics(moneyInputs(inputs), energyFigures(balance_));
}

InputOutcome PowerPageEnergy::edit(EnergyField f, core::Prompter& p) {
    const InputOutcome outcome = editEnergyField(f, p, inputs);
    if (needsRerun(outcome)) run();
    return outcome;
}

std::vector<std::pair<std::string, double>> energyRecordValues(const BalanceResult& b, const MoneyResult& m) {
    using core::roundSignificantA;
    using core::roundSignificantB;
    return {
        {"TotalEPot", roundSignificantA(b.totalEPot)},
        {"TotalEUse", roundSignificantA(b.totalEUse)},
        {"UnusedCap", roundSignificantA(b.unUsedCap)},
        {"ShortE", roundSignificantB(b.shortE)},
        {"DieselPercent", roundSignificantB(b.dieselPercent)},
        {"PercentNonWind", roundSignificantB(b.percentNonWind)},
        {"BuyE", roundSignificantB(m.buyE)},
        {"Income", roundSignificantB(m.income)},
        {"UsedEnergyCost", roundSignificantB(m.usedEnergyCost)},
        {"NetEnergyCost", roundSignificantB(m.netEnergyCost)},
        {"NetSave", roundSignificantB(m.netSave)},
    };
}

}  // namespace skyloom::power
