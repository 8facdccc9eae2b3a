#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ScriptedPrompter.h"
#include "TempFolder.h"
#include "session/Session.h"

namespace skyloom::test {

// A new program folder (set up as `init` sets one up) with a started session
// whose dialogue answers from a script.
struct StartedFolder {
    TempFolder tmp;
    ScriptedPrompter prompter;
    std::unique_ptr<session::Session> s;
    StartedFolder();
    // A station data file of two years of twice-daily soundings (2018-2019),
    // ground speeds from base upwards, registered in the station list.
    void addStation(long wmo, const char* name, double lat, double lon, int base);
    // Writes a sounding text file into the folder "Text Data Files"; its path.
    std::string writeTextFile(const std::string& name, const std::string& text);
    // The first column of the first row a query gives on a station's data file.
    std::int64_t numberOf(long wmo, const std::string& sql);
    std::string textOf(long wmo, const std::string& sql);
};

}  // namespace skyloom::test
