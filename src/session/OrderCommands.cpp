#include "session/OrderCommands.h"

#include <algorithm>

#include <SQLiteCpp/Statement.h>

#include "core/Dates.h"
#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/SqlUtil.h"
#include "core/Text.h"
#include "display/SiteLine.h"
#include "session/DataSupplier.h"
#include "session/Session.h"

namespace skyloom::session {

namespace {

constexpr std::string_view kMarker = "=>";

// The label of a line: the visible text before "=>", trimmed.
std::string labelOf(const std::string& line) {
    if (auto site = display::SiteLine::parse(line)) return site->label();
    return core::trim(line.substr(0, line.find(kMarker)));
}

}  // namespace

// ---- Years window ----------------------------------------------------------

void YearsWindow::activate() {
    lines_ = orders_.lines_;
    current_.reset();
    wmo_ = 0;
    siteLabel_.clear();
    check0708_ = false;
    if (!lines_.empty()) selectLine(0);
}

void YearsWindow::selectLine(std::size_t index) {
    if (index >= lines_.size()) return;
    current_ = index;
    const std::string& line = lines_[index];
    wmo_ = ordering::lineWmo(line);
    const std::size_t at = line.find(kMarker);
    siteLabel_ = at == std::string::npos ? line : line.substr(0, at);
    check0708_ = ordering::yearsTextIncludes0708(line);
}

std::vector<ordering::InventoryRecord> YearsWindow::rows() const {
    if (!current_) return {};
    return orders_.inventory().rows(wmo_);
}

void YearsWindow::editSelected(std::size_t row, bool selected) {
    const auto all = rows();
    if (row >= all.size()) return;
    orders_.inventory().setSelected(all[row].key, selected);
    orders_.buildYearsText(wmo_, check0708_);
}

bool YearsWindow::setCheck0708(bool on) {
    if (!current_) return check0708_ = false;
    check0708_ = on && ordering::allow0708(orders_.inventory().choices(wmo_), orders_.session_.prompter());
    orders_.buildYearsText(wmo_, check0708_);
    return check0708_;
}

void YearsWindow::refill() {
    lines_ = orders_.lines_;
    if (current_ && *current_ >= lines_.size()) current_.reset();
}

// ---- Order list ------------------------------------------------------------

OrderCommands::OrderCommands(Session& session) : session_(session), years_(*this) {
    upload = [&session](const std::filesystem::path& file) { return DataSupplier(session).upload(file); };
}

ordering::Inventory OrderCommands::inventory() { return ordering::Inventory(session_.mainDb().db()); }

std::vector<long> OrderCommands::orderedStations() const {
    std::vector<long> out;
    for (const std::string& line : lines_) out.push_back(ordering::lineWmo(line));
    return out;
}

void OrderCommands::load() { lines_ = ordering::loadOrderList(session_.appDir()); }

void OrderCommands::save() { ordering::saveOrderList(session_.appDir(), lines_); }

void OrderCommands::notify() {
    if (changed) changed();
}

bool OrderCommands::allowStationWithData(long wmo, const std::string& label) {
    SQLite::Statement q(session_.mainDb().db(), "SELECT FromDate, ToDate FROM havedata WHERE wmo = ? LIMIT 1");
    q.bind(1, static_cast<std::int64_t>(wmo));
    if (!q.executeStep()) return true;
    const auto from = core::parseIsoDate(core::columnText(q.getColumn(0)).substr(0, 10));
    const auto to = core::parseIsoDate(core::columnText(q.getColumn(1)).substr(0, 10));
    if (!from || !to) return true;
    // Whole years covered, to one decimal: soundings of 1990-01-01 to 1999-12-31 make a 10.0 yr period.
    const double years = (core::daysBetween(*from, *to) + 1) / 365.25;
    const std::string question = "This computer already has an analysis file for " + label + " on it for the " +
                                 core::formatNumber(years, "0.0") + " yr period from " +
                                 core::formatDate(*from, "dd-mmm-yyyy") + " to " +
                                 core::formatDate(*to, "dd-mmm-yyyy") + ".\n\n" +
                                 "Do you wish to request an expansion of this date range?";
    return session_.prompter().ask(question);
}

int OrderCommands::transfer(const std::vector<std::string>& siteLines) {
    int added = 0;
    for (const std::string& siteLine : siteLines) {
        const std::string line = ordering::toOrderLine(siteLine);
        const long wmo = ordering::lineWmo(line);
        if (wmo <= 0) continue;
        const bool listed = std::any_of(lines_.begin(), lines_.end(),
                                        [wmo](const std::string& l) { return ordering::lineWmo(l) == wmo; });
        if (listed) continue;
        if (!allowStationWithData(wmo, labelOf(line))) continue;
        lines_.push_back(line);
        ++added;
    }
    if (added > 0) {
        save();
        notify();
    }
    return added;
}

void OrderCommands::removeLines(const std::vector<std::size_t>& indexes) {
    std::vector<std::size_t> order(indexes);
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    auto inv = inventory();
    bool removed = false;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (*it >= lines_.size()) continue;
        inv.clearSelected(ordering::lineWmo(lines_[*it]));
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
        removed = true;
    }
    if (!removed) return;
    save();
    notify();
}

void OrderCommands::clearAll() {
    auto inv = inventory();
    for (const std::string& line : lines_) inv.clearSelected(ordering::lineWmo(line));
    lines_.clear();
    ordering::deleteOrderList(session_.appDir());
    notify();
}

void OrderCommands::buildYearsText(long wmo, bool option0708) {
    auto it = std::find_if(lines_.begin(), lines_.end(),
                           [wmo](const std::string& l) { return ordering::lineWmo(l) == wmo; });
    if (it == lines_.end()) return;
    const ordering::YearsChoice choice = ordering::buildYears(inventory().choices(wmo), option0708);
    *it = ordering::withYearsText(*it, choice.text());
    years_.refill();
    // The Main Page's order list shows the station's years at once.
    notify();
}

bool OrderCommands::requestQuote(const YearsWindowShower& showYears) {
    years_.activate();
    const bool goOn = showYears ? showYears(years_) : true;
    save();
    if (!goOn) return false;
    const auto details = ordering::askQuoteDetails(session_.prompter(), session_.settings().get("Email", ""));
    if (!details) return false;
    return sendQuote(*details);
}

bool OrderCommands::sendQuote(const ordering::QuoteDetails& details) {
    if (details.emailIsNew) {
        session_.settings().set("Email", details.email);
        session_.email = details.email;
    }
    // The data supplier's servers are reached through a folder: the user is told which.
    const std::string place = DataSupplier(session_).location();
    return ordering::sendQuotation(session_.appDir(), lines_, details, upload, session_.prompter(),
                                   place.empty() ? std::string() : place + DataSupplier::kUsageFolder);
}

}  // namespace skyloom::session
