#include "ordering/OrderList.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>

#include <fmt/format.h>

#include "core/Formats.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "core/WholeFile.h"
#include "display/SiteLine.h"

namespace skyloom::ordering {

namespace {

using display::SiteLine;

constexpr std::string_view kMarker = "=>";
constexpr std::size_t kElevationWidth = 50;
constexpr std::size_t kValueWidth = 40;
constexpr double kDollarsPerStationYear = 300.0;

// Applies edit to the visible part of a line (padded first so that the marker's
// years field lies wholly inside it) and lays the line out again. A line without
// a readable key is edited as it stands.
template <typename Edit>
std::string editVisible(std::string_view line, Edit edit) {
    if (auto site = SiteLine::parse(line)) {
        std::string visible = site->visible();
        const std::size_t at = visible.find(kMarker);
        if (at != std::string::npos && visible.size() < at + kMarker.size() + kYearsFieldWidth)
            visible.resize(at + kMarker.size() + kYearsFieldWidth, ' ');
        edit(visible);
        return SiteLine::compose(visible, site->keyText());
    }
    std::string whole(line);
    edit(whole);
    return whole;
}

std::string lastTwo(std::string_view year) {
    const std::string y = core::trim(year);
    return y.size() > 2 ? y.substr(y.size() - 2) : y;
}

bool isTotalRow(const InventoryRow& r) { return core::iequals(core::trim(r.year), "Total"); }

void putDouble(std::string& out, double v) {
    auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>(bits & 0xFFu);
        bits >>= 8;
    }
}

std::filesystem::path orderFile(const std::filesystem::path& dir) { return dir / std::string(kOrderFileName); }

}  // namespace

std::string toOrderLine(std::string_view siteLine) {
    std::string line(siteLine);
    // Lines of a nearest-stations list begin "<distance> miles to ".
    const std::size_t miles = line.find("miles to ");
    const std::size_t marker = line.find(kMarker);
    if (miles != std::string::npos && (marker == std::string::npos || miles < marker)) {
        double distance = 0.0;
        if (core::parseNumber(line.substr(0, miles), distance)) line.erase(0, miles + 9);
    }
    return editVisible(line, [](std::string& v) {
        const std::size_t at = v.find(kMarker);
        if (at == std::string::npos) return;
        const std::size_t from = at + kMarker.size();
        const std::size_t n = std::min(kElevationWidth, v.size() - from);
        v.replace(from, n, n, ' ');
    });
}

long lineWmo(std::string_view line) {
    const std::size_t hash = line.find('#');
    if (hash == std::string_view::npos) return 0;
    return static_cast<long>(core::leadingNumber(line.substr(hash + 1)));
}

std::string yearsField(std::string_view line) {
    const std::size_t at = line.find(kMarker);
    if (at == std::string_view::npos) return {};
    return std::string(line.substr(at + kMarker.size(), kYearsFieldWidth));
}

std::string withYearsText(std::string_view line, std::string_view yearsText) {
    return editVisible(line, [yearsText](std::string& v) {
        const std::size_t at = v.find(kMarker);
        if (at == std::string::npos) return;
        const std::size_t from = at + kMarker.size();
        const std::string rest = v.size() > from + kYearsFieldWidth ? v.substr(from + kYearsFieldWidth) : "";
        v = v.substr(0, from) + core::padRight(yearsText, kYearsFieldWidth) + rest;
    });
}

bool yearsTextIncludes0708(std::string_view line) { return core::endsWith(core::trim(yearsField(line)), "08"); }

std::string scramble(std::string_view text) {
    std::string out(text.rbegin(), text.rend());
    for (char& c : out) c = static_cast<char>(255 - static_cast<unsigned char>(c));
    return out;
}

std::string orderRecord(std::string_view line) {
    std::string text(line);
    if (text.size() > kRecordTextSize) {
        if (auto site = SiteLine::parse(text)) {
            const std::string compact = site->visible() + " " + site->keyText();
            if (compact.size() <= kRecordTextSize) text = compact;
        }
    }
    std::string record;
    record.reserve(kRecordSize);
    putDouble(record, static_cast<double>(lineWmo(text)));
    std::string scrambled = scramble(text);
    scrambled.resize(kRecordTextSize, ' ');
    return record + scrambled;
}

std::string lineFromRecord(std::string_view record) {
    std::string line = scramble(record.substr(8, kRecordTextSize));
    const std::size_t start = line.find_first_not_of(static_cast<char>(255 - ' '));
    line.erase(0, start == std::string::npos ? line.size() : start);
    if (auto site = SiteLine::parse(line)) return site->canonical();
    return line;
}

std::vector<std::string> loadOrderList(const std::filesystem::path& programDir) {
    const auto file = orderFile(programDir);
    std::vector<std::string> lines;
    if (!std::filesystem::exists(file)) {
        std::ofstream create(file, std::ios::binary);
        return lines;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize)
        lines.push_back(lineFromRecord(std::string_view(bytes).substr(at, kRecordSize)));
    return lines;
}

void saveOrderList(const std::filesystem::path& programDir, const std::vector<std::string>& lines) {
    std::string bytes;
    bytes.reserve(lines.size() * kRecordSize);
    for (const std::string& line : lines) bytes += orderRecord(line);
    // Replaces the old list in one step: an interrupted save keeps the old list whole.
    core::writeFileWhole(orderFile(programDir), bytes);
}

void deleteOrderList(const std::filesystem::path& programDir) {
    std::error_code ec;
    std::filesystem::remove(orderFile(programDir), ec);
}

std::string YearsChoice::text() const { return fmt::format(" {} yrs {}", years, span); }

YearsChoice buildYears(const std::vector<InventoryRow>& rows, bool option0708) {
    int selected = 0;
    for (const InventoryRow& r : rows)
        if (r.selected && !isTotalRow(r)) ++selected;

    YearsChoice c;
    int n = 0;
    for (const InventoryRow& r : rows) {
        if (!r.selected || isTotalRow(r)) continue;
        ++n;
        if (n == 1) c.span = lastTwo(r.year);
        if (n == selected && selected != 1) {
            if (core::trim(r.year) == "2006" && option0708) {
                c.span += "-08";
                n += 2;
            } else {
                c.span += '-';
                c.span += lastTwo(r.year);
            }
        }
    }
    if (option0708) {
        if (c.span == "06" && n == 1) {
            c.span = "06-08";
            n = 3;
        } else if (n == 0) {
            c.span = "07-08";
            n = 2;
        }
    }
    c.years = n;
    return c;
}

void setSelected(std::vector<InventoryRow>& rows, std::size_t row, bool selected) {
    if (row >= rows.size()) return;
    rows[row].selected = selected;
    if (isTotalRow(rows[row]))
        for (InventoryRow& r : rows) r.selected = selected;
}

bool allow0708(const std::vector<InventoryRow>& rows, core::Prompter& prompter) {
    int count = 0;
    std::string last;
    for (const InventoryRow& r : rows) {
        if (!r.selected || isTotalRow(r)) continue;
        ++count;
        last = core::trim(r.year);
    }
    if (count == 0 || last == "2006") return true;
    prompter.message("You can not select this unless the year 2006 is selected or there are no years selected.");
    return false;
}

int orderYears(const std::vector<std::string>& lines) {
    int total = 0;
    for (const std::string& line : lines) {
        const std::size_t at = line.find(kMarker);
        if (at == std::string::npos) continue;
        total += static_cast<int>(core::leadingNumber(std::string_view(line).substr(at + kMarker.size(), kValueWidth)));
    }
    return total;
}

std::string orderValueText(const std::vector<std::string>& lines) {
    return "Approximate value of this order is $" +
           core::formatNumber(orderYears(lines) * kDollarsPerStationYear, "###,##0");
}

std::optional<QuoteDetails> askQuoteDetails(core::Prompter& prompter, std::string_view storedEmail) {
    QuoteDetails d;
    d.message = core::trim(
        prompter.input("Please input here any information you wish to add, including your name.").value_or(""));
    d.email = core::trim(storedEmail);
    while (d.email.empty()) {
        const auto answer = prompter.input("What is your e-mail address?");
        if (!answer) return std::nullopt;
        if (answer->find('@') == std::string::npos) {
            prompter.message("Invalid email address please try again");
            continue;
        }
        d.email = core::trim(*answer);
        d.emailIsNew = true;
    }
    return d;
}

std::string quotationFileName(std::string_view email) {
    std::string name;
    for (char c : email) name += std::string_view("/?<>\\:*|\" ").find(c) == std::string_view::npos ? c : '_';
    return name + "~Quote~.txt";
}

std::string quotationText(const std::vector<std::string>& lines, const QuoteDetails& details) {
    std::string text;
    for (const std::string& line : lines)
        text += core::trim(std::string_view(line).substr(0, 100)) + " " + fmt::format("{}", lineWmo(line)) + "\r\n";
    text += "Message = " + details.message + "\r\n";
    text += details.email + "\r\n";
    return text;
}

bool sendQuotation(const std::filesystem::path& programDir, const std::vector<std::string>& lines,
                   const QuoteDetails& details, const std::function<bool(const std::filesystem::path&)>& upload,
                   core::Prompter& prompter, const std::string& placedIn) {
    const auto file = programDir / quotationFileName(details.email);
    if (const std::string problem = core::tryWriteFileWhole(file, quotationText(lines, details)); !problem.empty()) {
        prompter.message(problem);
        return false;
    }
    bool sent = false;
    for (;;) {
        if (upload(file)) {
            prompter.message("You will soon receive a quote by email to " + details.email +
                             "\n\nYour Request for Quotation file was just uploaded to the site at Skyloom." +
                             (placedIn.empty() ? std::string() : "\n\nIt is in the folder " + placedIn));
            sent = true;
            break;
        }
        if (!prompter.ask("Internet Connection Problem. Shall I try again?")) break;
    }
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return sent;
}

}  // namespace skyloom::ordering
