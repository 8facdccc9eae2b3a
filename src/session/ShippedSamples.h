#pragma once

#include <string>
#include <vector>

#include "sounding/SoundingImport.h"

namespace skyloom::core {
class MainDatabase;
class Progress;
class Prompter;
}  // namespace skyloom::core

namespace skyloom::session {

// A real observation file the program carries, which a new program folder starts with.
struct ShippedSample {
    const char* file;      // under "samples/" of the program's data folder
    long wmo;              // the station it must import into
};

// Albany, Portland and Chatham 1990 (FSL CD-ROM text), Ezeiza 2019 (ESRL text)
// and Gagetown 2021-24 (IGRA v2), each under its original file name.
const std::vector<ShippedSample>& shippedSamples();

struct SampleImport {
    std::string file;                 // the sample's file name
    long wmo = 0;
    sounding::ImportResult result;    // result.failed: nothing imported, result.report says why
};

// Imports the shipped samples into the program folder of db, asking nothing:
// soundings that would come up for a person's review are accepted as the checks
// left them (they are counted in result.reviewed). A sample that is missing or
// cannot be imported is a failure; the others are imported all the same.
std::vector<SampleImport> importShippedSamples(core::MainDatabase& db, const std::string& dataFolder,
                                               core::Prompter& prompter, core::Progress* progress);

}  // namespace skyloom::session
