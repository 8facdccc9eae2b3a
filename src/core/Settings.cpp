#include "core/Settings.h"

#include <cmath>

#include <SQLiteCpp/Statement.h>

#include "core/Formats.h"
#include "core/MainDatabase.h"
#include "core/Text.h"

namespace skyloom::core {

std::string Settings::get(std::string_view name, std::string_view defaultValue) {
    if (!db_.isOpen()) return std::string(defaultValue);
    auto& db = db_.db();
    SQLite::Statement q(db, "SELECT Link FROM urls WHERE Name = ? ORDER BY rowid LIMIT 1");
    q.bind(1, std::string(name));
    if (q.executeStep()) return q.getColumn(0).isNull() ? std::string() : q.getColumn(0).getString();
    SQLite::Statement add(db, "INSERT INTO urls (Name, Link) VALUES (?, ?)");
    add.bind(1, std::string(name));
    add.bind(2, std::string(defaultValue));
    add.exec();
    return std::string(defaultValue);
}

void Settings::set(std::string_view name, std::string_view value) {
    if (!db_.isOpen()) return;
    auto& db = db_.db();
    SQLite::Statement upd(db,
                          "UPDATE urls SET Link = ? WHERE rowid = "
                          "(SELECT rowid FROM urls WHERE Name = ? ORDER BY rowid LIMIT 1)");
    upd.bind(1, std::string(value));
    upd.bind(2, std::string(name));
    if (upd.exec() == 0) {
        SQLite::Statement add(db, "INSERT INTO urls (Name, Link) VALUES (?, ?)");
        add.bind(1, std::string(name));
        add.bind(2, std::string(value));
        add.exec();
    }
}

double Settings::getNumber(std::string_view name, double defaultValue) {
    std::string v = get(name, settingNumberText(defaultValue));
    double d = 0;
    return parseNumber(v, d) ? d : leadingNumber(v);
}

long long Settings::getInt(std::string_view name, long long defaultValue) {
    return static_cast<long long>(std::llround(getNumber(name, static_cast<double>(defaultValue))));
}

bool Settings::getFlag(std::string_view name, bool defaultValue) {
    return getNumber(name, defaultValue ? -1 : 0) != 0;
}

void Settings::setNumber(std::string_view name, double value) { set(name, settingNumberText(value)); }

std::string settingNumberText(double value) { return formatPlain(value); }

}  // namespace skyloom::core
