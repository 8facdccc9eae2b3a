#include "core/MainSchema.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>

namespace skyloom::core {

#define SKYLOOM_GENERATOR_TAIL                                                                       \
    ColumnDef{"Temperature", "REAL"}, ColumnDef{"Pressure", "REAL"}, ColumnDef{"CutInSpeed", "REAL"}, \
        ColumnDef{"MaxKW", "REAL"}, ColumnDef{"spd1", "REAL"}, ColumnDef{"kw1", "REAL"},             \
        ColumnDef{"spd2", "REAL"}, ColumnDef{"kw2", "REAL"}, ColumnDef{"spd3", "REAL"},              \
        ColumnDef{"kw3", "REAL"}, ColumnDef{"spd4", "REAL"}, ColumnDef{"kw4", "REAL"},               \
        ColumnDef{"spd5", "REAL"}, ColumnDef{"kw5", "REAL"}, ColumnDef{"spd6", "REAL"},              \
        ColumnDef{"kw6", "REAL"}, ColumnDef{"spd7", "REAL"}, ColumnDef{"kw7", "REAL"},               \
        ColumnDef{"spd8", "REAL"}, ColumnDef{"kw8", "REAL"}, ColumnDef{"spd9", "REAL"},              \
        ColumnDef{"kw9", "REAL"}, ColumnDef{"spd10", "REAL"}, ColumnDef{"kw10", "REAL"},             \
        ColumnDef{"height", "REAL"}, ColumnDef{"OrgData", "INTEGER"}, ColumnDef{"CostPerYear", "REAL"}, \
        ColumnDef{"MaxToGrid", "REAL"}, ColumnDef{"CutOut", "REAL"}

const std::array<ColumnDef, kGeneratorBlockSize + 1> kGeneratorColumns = {
    ColumnDef{"ID", "INTEGER PRIMARY KEY AUTOINCREMENT"}, ColumnDef{"Name", "TEXT COLLATE NOCASE"},
    SKYLOOM_GENERATOR_TAIL};

const std::array<ColumnDef, kGeneratorBlockSize + 1> kDatapointGeneratorColumns = {
    ColumnDef{"key", "INTEGER PRIMARY KEY AUTOINCREMENT"}, ColumnDef{"genname", "TEXT COLLATE NOCASE"},
    SKYLOOM_GENERATOR_TAIL};

#undef SKYLOOM_GENERATOR_TAIL

const std::array<std::string_view, kAnalsGridColumns + 4> kAnalsColumns = {
    "key", "comment", "SiteName", "genname", "LookHeight", "AveWind", "MeanWind", "PotCF", "Income", "NetSave",
    "NetEnergyCost", "UsedEnergyCost", "PotkW", "TotalEPot", "UnusedCap", "IdlePercent", "GeneratorCost",
    "aveused", "BankSize", "BatDollarsPerkWhr", "StoreEff", "ShortCost", "SellPrice", "ActCF", "PercentNonWind",
    "DieselPercent", "BuyE", "deleted", "fromDate", "toDate", "CalcVer",
    // not in the grid nor the export:
    "wmo", "RefWMO", "dodate", "instudy"};

namespace {

std::string columnList(const std::array<ColumnDef, kGeneratorBlockSize + 1>& cols) {
    std::string s;
    for (const auto& c : cols) {
        if (!s.empty()) s += ",\n  ";
        s += "\"" + std::string(c.name) + "\" " + std::string(c.type);
    }
    return s;
}

// Analysis inputs, results, data used and bookkeeping that follow the generator block.
constexpr const char* kDatapointTail = R"(,
  aveused REAL, BankSize REAL, BatDollarsPerkWhr REAL, StoreEff REAL, ShortCost REAL, LookHeight REAL,
  fromDate TEXT, toDate TEXT, SiteName TEXT COLLATE NOCASE, selline TEXT, GeneratorCost REAL, SellPrice REAL,
  wmo INTEGER, WMOkey INTEGER DEFAULT 0, RefWMO INTEGER, Units TEXT, StateOfCharge REAL, DataColor REAL,
  ActivateI INTEGER, IgnoreZ INTEGER,
  TotalEPot REAL, TotalEUse REAL, UnusedCap REAL, ActCF REAL, PotCF REAL, PotkW REAL, IdlePercent REAL,
  PercentNonWind REAL, ShortE REAL, DieselPercent REAL, BuyE REAL, TempPressPercent REAL, UsedEnergyCost REAL,
  NetEnergyCost REAL, Income REAL, NetSave REAL, AveWind REAL, MeanWind REAL,
  SeeSoundings INTEGER, SeePoints INTEGER, SeeDiscarded REAL, Tgaps REAL,
  dodate TEXT, DoTime REAL, SessionAnalNum INTEGER, Print INTEGER DEFAULT 0, comment TEXT,
  deleted TEXT DEFAULT '0', CalcVer TEXT, instudy INTEGER DEFAULT 0)";

}  // namespace

void createMainSchema(SQLite::Database& db) {
    SQLite::Transaction tx(db, SQLite::TransactionBehavior::IMMEDIATE);
    db.exec(R"(
CREATE TABLE urls (Name TEXT COLLATE NOCASE NOT NULL, Link TEXT);
CREATE INDEX urls_name ON urls(Name);

CREATE TABLE stations (
  wmo INTEGER NOT NULL, wban INTEGER, init TEXT, stationname TEXT COLLATE NOCASE, province TEXT,
  country TEXT COLLATE NOCASE, areacode TEXT, lat REAL, lon REAL, elev REAL,
  nodataavailable INTEGER NOT NULL DEFAULT 0, HaveData INTEGER NOT NULL DEFAULT 0,
  fromdate TEXT, todate TEXT, lastfromdate TEXT, lasttodate TEXT);
CREATE UNIQUE INDEX stations_wmo ON stations(wmo);

CREATE TABLE countries (country TEXT, abrev TEXT COLLATE NOCASE, region TEXT, lat REAL, lon REAL, elev REAL);
CREATE INDEX countries_abrev ON countries(abrev);

-- The stations for which data can be had from the data supplier.
CREATE VIEW DataAvailable AS
  SELECT wmo, init, stationname, province, country, lat, lon, elev, wban FROM stations
  WHERE nodataavailable = 0 ORDER BY wmo;

-- One row per station data file on this computer: a copy of the file's own summary row.
CREATE TABLE havedata (
  key INTEGER PRIMARY KEY AUTOINCREMENT, wmo INTEGER, FromDate TEXT, ToDate TEXT, NumSoundings INTEGER,
  NumDataPoints INTEGER, NumDeletedDataPoints INTEGER, NumDeletedSoundings INTEGER, TimeGaps REAL);
CREATE INDEX havedata_wmo ON havedata(wmo);

CREATE TABLE studies (
  studyKey INTEGER PRIMARY KEY AUTOINCREMENT, StudyName TEXT COLLATE NOCASE, DateCreated TEXT, dateupdated TEXT);
CREATE TABLE studykeys (id INTEGER PRIMARY KEY AUTOINCREMENT, studyKey INTEGER, datapointkey INTEGER, dateadded TEXT);
CREATE INDEX studykeys_study ON studykeys(studyKey, datapointkey);
CREATE INDEX studykeys_datapoint ON studykeys(datapointkey);

-- Data files bought from the data supplier.
CREATE TABLE paidfor (id INTEGER PRIMARY KEY AUTOINCREMENT, wmo INTEGER, FromYear INTEGER, ToYear INTEGER,
  DatePaid TEXT, Email TEXT);

-- Years of data that can be ordered per station, plus one "Total" row per station.
CREATE TABLE Inventory (Key INTEGER PRIMARY KEY AUTOINCREMENT, WMO INTEGER, Year TEXT, Selected INTEGER DEFAULT 0,
  Total INTEGER, Tyears INTEGER);
CREATE INDEX inventory_wmo ON Inventory(WMO);
)");
    db.exec("CREATE TABLE generators (\n  " + columnList(kGeneratorColumns) + ")");
    db.exec("CREATE TABLE datapoints (\n  " + columnList(kDatapointGeneratorColumns) + kDatapointTail + ")");
    db.exec("CREATE INDEX datapoints_identity ON datapoints(wmo, aveused, LookHeight)");
    std::string anals = "CREATE VIEW anals AS SELECT ";
    for (std::size_t i = 0; i < kAnalsColumns.size(); ++i) {
        if (i) anals += ", ";
        anals += "\"" + std::string(kAnalsColumns[i]) + "\"";
    }
    anals += " FROM datapoints";
    db.exec(anals);
    tx.commit();
}

}  // namespace skyloom::core
