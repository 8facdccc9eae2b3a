#pragma once

#include <memory>

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
};

}  // namespace skyloom::test
