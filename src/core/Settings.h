#pragma once

#include <string>
#include <string_view>

namespace skyloom::core {

class MainDatabase;

// Named text settings in the main database table `urls` (`Name`, `Link`).
// Values are always text: flags are "0" and "-1".
class Settings {
public:
    explicit Settings(MainDatabase& db) : db_(db) {}

    // The first row named name; a missing row is created holding the default.
    // Reads with the database closed give the default.
    std::string get(std::string_view name, std::string_view defaultValue = {});
    // Writes are silently dropped while the database is closed.
    void set(std::string_view name, std::string_view value);

    double getNumber(std::string_view name, double defaultValue);
    long long getInt(std::string_view name, long long defaultValue);
    bool getFlag(std::string_view name, bool defaultValue);
    void setNumber(std::string_view name, double value);
    void setFlag(std::string_view name, bool value) { set(name, value ? "-1" : "0"); }

private:
    MainDatabase& db_;
};

// Text of a number as stored in a setting: integers without a decimal point,
// others in their shortest exact form.
std::string settingNumberText(double value);

}  // namespace skyloom::core
