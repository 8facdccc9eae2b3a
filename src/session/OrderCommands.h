#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ordering/Inventory.h"
#include "ordering/OrderList.h"

namespace skyloom::session {

class Session;
class OrderCommands;

// The years window (`Years`): the order list of the Main Page, the Inventory
// grid of the chosen line's station, the 2007-2008 box and the value label.
// The window shows what this object holds and calls it for every click.
class YearsWindow {
public:
    explicit YearsWindow(OrderCommands& orders) : orders_(orders) {}

    // Each time the window becomes active: its list is filled afresh from the
    // order list and its first line is chosen.
    void activate();

    const std::vector<std::string>& lines() const { return lines_; }
    std::optional<std::size_t> currentLine() const { return current_; }
    // A click on a line: its station's rows fill the grid, its label the `Site`
    // label, and the 2007-2008 box follows the line's years text.
    void selectLine(std::size_t index);
    long currentWmo() const { return wmo_; }
    const std::string& siteLabel() const { return siteLabel_; }
    // The grid: "select * from Inventory where wmo = " + the chosen station, in table order.
    std::vector<ordering::InventoryRecord> rows() const;

    // An edit of the `Selected` column on row (index into rows()); the "Total" row
    // selects or clears every year. The line's years text is rebuilt.
    void editSelected(std::size_t row, bool selected);
    bool check0708() const { return check0708_; }
    // Setting the box is refused (with its message) unless 2006 is the last
    // selected year or none is selected; either way the years text is rebuilt.
    // Returns the box's state afterwards.
    bool setCheck0708(bool on);

    // "Approximate value of this order is $" ... over the window's list.
    std::string valueText() const { return ordering::orderValueText(lines_); }
    static std::string_view caption() { return ordering::kYearsCaption; }
    static std::string_view check0708Caption() { return ordering::kCheck0708Caption; }

private:
    friend class OrderCommands;
    void refill();

    OrderCommands& orders_;
    std::vector<std::string> lines_;
    std::optional<std::size_t> current_;
    long wmo_ = 0;
    std::string siteLabel_;
    bool check0708_ = false;
};

// The order list of the Order Data page (`order`) and its commands: loading and
// saving "OrderList.bin", transfer from the near list, removing lines, the years
// window and the request for quotation.
class OrderCommands {
public:
    explicit OrderCommands(Session& session);

    const std::vector<std::string>& lines() const { return lines_; }
    // The stations of the order list, drawn as red circles on the map.
    std::vector<long> orderedStations() const;

    // At start-up: the list from "OrderList.bin" (an empty list when it is missing).
    void load();
    void save();

    // "Transfer selected sites Order List" and a line dropped on the order list:
    // each site line becomes an order-list line at the end of the list. A station
    // already in the list is not added twice; for a station with a data file on
    // this computer the user is asked whether to ask for a wider date range (No:
    // not added). Returns the number of lines added.
    int transfer(const std::vector<std::string>& siteLines);
    // "Clear Selected Sites from Request": removes the lines and clears the
    // `Selected` marks of their stations.
    void removeLines(const std::vector<std::size_t>& indexes);
    // "Clear ALL Sites from Request": clears every station's marks, empties the
    // list and deletes "OrderList.bin".
    void clearAll();

    YearsWindow& yearsWindow() { return years_; }
    // Recomputes the years text of a station's line from its Inventory rows.
    void buildYearsText(long wmo, bool option0708);

    // "Request a Quote by e-mail". showYears shows the years window modally and
    // returns true for "Continue", false for "Cancel E-mail"; the list is saved
    // either way. Then the message and (when none is stored) the e-mail address
    // are asked and the request is sent. True when it was uploaded.
    using YearsWindowShower = std::function<bool(YearsWindow&)>;
    bool requestQuote(const YearsWindowShower& showYears);
    // Writes the quotation file, uploads it (asking to retry on failure), reports
    // the outcome and deletes the file. A new address is stored as `Email`.
    bool sendQuote(const ordering::QuoteDetails& details);

    // How the quotation file reaches the data supplier's "/USAGE/" folder; by
    // default the configured data-supplier location (DataSupplier).
    std::function<bool(const std::filesystem::path&)> upload;
    // Told after every change of the order list (the map redraws its red circles).
    std::function<void()> changed;

private:
    friend class YearsWindow;
    ordering::Inventory inventory();
    bool allowStationWithData(long wmo, const std::string& label);
    void notify();

    Session& session_;
    std::vector<std::string> lines_;
    YearsWindow years_;
};

}  // namespace skyloom::session
