#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyloom::core {
class Prompter;
}

namespace skyloom::ordering {

// ---- Order-list lines ------------------------------------------------------
// An order-list line is a site line whose 60 characters after "=>" are the years
// field: the years text left-aligned, blanks after it (all blanks until years
// are chosen). The station's wmo follows the "#" of the hidden key.

inline constexpr std::size_t kYearsFieldWidth = 60;

// A near-list line made into an order-list line: a distance prefix ending in
// "miles to " is cut off and the elevation text (50 characters after "=>") is blanked.
std::string toOrderLine(std::string_view siteLine);
// The station of a line: the number after its "#" (0 when there is none).
long lineWmo(std::string_view line);
// The 60 characters after "=>" (shorter when the line ends sooner).
std::string yearsField(std::string_view line);
// The line with its years field set to yearsText, padded to 60 characters.
std::string withYearsText(std::string_view line, std::string_view yearsText);
// The years window sets its 2007-2008 box for a line whose years text ends in "08".
bool yearsTextIncludes0708(std::string_view line);

// ---- "OrderList.bin" -------------------------------------------------------
// Fixed records of 208 bytes, no header: the wmo as a little-endian IEEE double,
// then the line's text scrambled (reversed, each code c turned into 255 - c) and
// cut or padded with blanks to 200 bytes.
//
// Saving: a line longer than 200 characters is first shortened by dropping the
// blank run before its hidden key, so name, years field and key all survive.
// Loading: the blank padding comes back as leading characters of code 223; the
// loader drops them and lays the line out again (visible part padded to 200
// characters, then the key), so a saved line loads back identical.

inline constexpr std::string_view kOrderFileName = "OrderList.bin";
inline constexpr std::size_t kRecordSize = 208;
inline constexpr std::size_t kRecordTextSize = 200;

// Reverses the text and replaces each code c by 255 - c; its own inverse.
std::string scramble(std::string_view text);
// One 208-byte record for a line, and the line read back from one.
std::string orderRecord(std::string_view line);
std::string lineFromRecord(std::string_view record);

// Reads programDir/OrderList.bin (created empty when missing); a trailing partial
// record is ignored.
std::vector<std::string> loadOrderList(const std::filesystem::path& programDir);
// Replaces programDir/OrderList.bin with one record per line, in list order.
void saveOrderList(const std::filesystem::path& programDir, const std::vector<std::string>& lines);
// "Clear all": the file goes with the list.
void deleteOrderList(const std::filesystem::path& programDir);

// ---- Years of data ---------------------------------------------------------

// One Inventory row of a station, in table order: Year is a year as text or "Total".
struct InventoryRow {
    std::string year;
    bool selected = false;
};

struct YearsChoice {
    int years = 0;      // n: the years ordered, 2 more with the 2007-2008 option
    std::string span;   // "94", "94-06", "94-08", "06-08", "07-08"
    // " " + n + " yrs " + span
    std::string text() const;
};

// The years text of a station from its Inventory rows and the 2007-2008 option.
YearsChoice buildYears(const std::vector<InventoryRow>& rows, bool option0708);

// An edit of the Selected column: on the "Total" row it selects or clears every row.
void setSelected(std::vector<InventoryRow>& rows, std::size_t row, bool selected);

// Setting the 2007-2008 box: allowed when the last selected year is 2006 or no
// year is selected; otherwise the refusal is shown and false returned (box cleared).
bool allow0708(const std::vector<InventoryRow>& rows, core::Prompter& prompter);

// The years of an order: the leading number of the 40 characters after each
// line's "=>", added up; and the value label (300 dollars a station-year).
int orderYears(const std::vector<std::string>& lines);
std::string orderValueText(const std::vector<std::string>& lines);

inline constexpr std::string_view kYearsCaption =
    "You are currently selecting the Years of Data that you are interested in for each Site in your Order List.";
inline constexpr std::string_view kCheck0708Caption =
    "Check here if you wish to include both the years 2007 and 1008 in your analysis file request for this site. "
    " This option is only avaiable if 2006 has more than 300 soundings and does not guarantee that both 2007 and "
    "2008 will be available.";

// ---- Request for quotation -------------------------------------------------

struct QuoteDetails {
    std::string message;
    std::string email;
    bool emailIsNew = false;  // asked now: to be stored as the setting Email
};

// Asks for the free message and, when storedEmail is empty, for an address
// until one holds "@". nullopt when the user cancels the address question.
std::optional<QuoteDetails> askQuoteDetails(core::Prompter& prompter, std::string_view storedEmail);

// The file name, ending in "~Quote~.txt": the address with characters a file name
// may not hold replaced by "_".
std::string quotationFileName(std::string_view email);
// One line per order line (its first 100 characters trimmed, a blank, its wmo),
// then "Message = " + message, then the address; lines ended by CR LF.
std::string quotationText(const std::vector<std::string>& lines, const QuoteDetails& details);

// The local side of the request: writes the quotation file into programDir,
// hands it to upload (true on success) until it succeeds or the user stops
// retrying, reports the outcome and deletes the file. True when uploaded.
// placedIn, when given, names where the upload put the request; the success
// message then says so in a last line.
bool sendQuotation(const std::filesystem::path& programDir, const std::vector<std::string>& lines,
                   const QuoteDetails& details, const std::function<bool(const std::filesystem::path&)>& upload,
                   core::Prompter& prompter, const std::string& placedIn = {});

}  // namespace skyloom::ordering
