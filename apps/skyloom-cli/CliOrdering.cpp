#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CliContext.h"
#include "core/Text.h"
#include "display/MapModel.h"
#include "ordering/Inventory.h"
#include "ordering/OrderList.h"
#include "session/DataSupplier.h"
#include "session/OrderCommands.h"

namespace skyloom::cli {

namespace {

long parseStation(const std::string& text) {
    long long wmo = 0;
    if (!core::parseInteger(text, wmo) || wmo <= 0) throw CliError("'" + text + "' is not a WMO station number");
    return static_cast<long>(wmo);
}

// "1994", "1994-2006" (both ends included).
std::vector<int> parseYears(const std::vector<std::string>& texts) {
    std::vector<int> years;
    for (const std::string& t : texts) {
        const auto parts = core::split(t, '-');
        long long from = 0, to = 0;
        const bool ok = parts.size() == 1 ? core::parseInteger(parts[0], from) && (to = from, true)
                                          : parts.size() == 2 && core::parseInteger(parts[0], from) &&
                                                core::parseInteger(parts[1], to);
        if (!ok || from < 1900 || to < from || to > 2100) throw CliError("'" + t + "' is not a year or a range of years");
        for (long long y = from; y <= to; ++y) years.push_back(static_cast<int>(y));
    }
    return years;
}

void printOrder(const session::OrderCommands& orders) {
    for (const std::string& line : orders.lines()) {
        const std::size_t at = line.find("=>");
        const std::string label = core::trim(line.substr(0, at));
        std::cout << ordering::lineWmo(line) << "  " << label << "  " << core::trim(ordering::yearsField(line))
                  << "\n";
    }
    std::cout << orders.lines().size() << " sites; " << ordering::orderValueText(orders.lines()) << std::endl;
}

}  // namespace

void addOrderingCommands(CLI::App& app, CliContext& ctx) {
    auto* order = app.add_subcommand("order", "The order list: sites and years of data to request");
    ctx.addFolderOption(order);
    order->require_subcommand(1);
    static std::string wmoText;
    static std::vector<std::string> yearTexts;
    static bool option0708 = false;
    static std::string message;
    static std::string email;

    auto loaded = [&ctx]() {
        auto orders = std::make_unique<session::OrderCommands>(ctx.session());
        orders->load();
        return orders;
    };

    order->add_subcommand("list", "Show the order list and its approximate value")->callback([loaded] {
        printOrder(*loaded());
    });

    auto* add = order->add_subcommand("add", "Add a station to the order list");
    add->add_option("WMO", wmoText, "WMO station number")->required();
    add->callback([&ctx, loaded] {
        const long wmo = parseStation(wmoText);
        auto& s = ctx.session();
        const core::StationEntry* entry = s.stations().find(wmo);
        if (!entry) throw CliError("station " + std::to_string(wmo) + " is not in the station list");
        auto orders = loaded();
        const std::string line = display::nearListLine(display::mapStation(*entry, s.stations().country(entry->country)));
        if (orders->transfer({line}) == 0) std::cout << "Not added" << std::endl;
        printOrder(*orders);
    });

    auto* years = order->add_subcommand("years", "Choose the years of data of an ordered station");
    years->add_option("WMO", wmoText, "WMO station number")->required();
    years->add_option("YEARS", yearTexts, "Years or ranges of years, such as 1994-2006");
    years->add_flag("--0708", option0708, "Include 2007 and 2008 (only after 2006, or alone)");
    years->callback([&ctx, loaded] {
        const long wmo = parseStation(wmoText);
        auto orders = loaded();
        const auto stations = orders->orderedStations();
        if (std::find(stations.begin(), stations.end(), wmo) == stations.end())
            throw CliError("station " + std::to_string(wmo) + " is not in the order list");
        ordering::Inventory inv(ctx.session().mainDb().db());
        if (!inv.hasStation(wmo)) throw CliError("no years of data are known for station " + std::to_string(wmo));
        inv.selectYears(wmo, parseYears(yearTexts));
        const bool option = option0708 && ordering::allow0708(inv.choices(wmo), ctx.prompter);
        orders->buildYearsText(wmo, option);
        orders->save();
        printOrder(*orders);
    });

    order->add_subcommand("clear", "Clear ALL sites from the request")->callback([loaded] {
        loaded()->clearAll();
        std::cout << "The order list is empty" << std::endl;
    });

    auto* quote = order->add_subcommand("quote", "Send the order list as a request for quotation");
    quote->add_option("--message", message, "Any information to add, including your name");
    quote->add_option("--email", email, "Your e-mail address (stored for later requests)");
    quote->callback([&ctx, loaded] {
        auto orders = loaded();
        if (orders->lines().empty()) throw CliError("the order list is empty");
        ordering::QuoteDetails details;
        details.message = core::trim(message);
        details.email = core::trim(email);
        details.emailIsNew = !details.email.empty();
        if (details.emailIsNew && details.email.find('@') == std::string::npos)
            throw CliError("Invalid email address please try again");
        if (!details.emailIsNew) details.email = core::trim(ctx.session().settings().get("Email", ""));
        if (details.email.empty()) throw CliError("no e-mail address is stored: give --email");
        if (!orders->sendQuote(details)) throw CliError("the request for quotation was not uploaded");
    });

    auto* install = app.add_subcommand("install-data", "Download Purchased Data to this Computer");
    ctx.addFolderOption(install);
    install->callback([&ctx] {
        session::DataSupplier(ctx.session()).installPurchasedData(&ctx.progress);
        ctx.progress.finish();
    });

    auto* updates = app.add_subcommand("check-updates", "Check For Program Updates");
    ctx.addFolderOption(updates);
    updates->callback([&ctx] {
        using Check = session::DataSupplier::UpdateCheck;
        switch (session::DataSupplier(ctx.session()).checkForProgramUpdates()) {
            case Check::EndProgram: std::cout << "The updater was started." << std::endl; break;
            case Check::Unavailable:
            case Check::Failed: throw CliError("no update was installed");
            case Check::UpToDate:
            case Check::Declined: break;
        }
    });
}

}  // namespace skyloom::cli
