#include "session/ShippedSamples.h"

#include <filesystem>

#include "core/MainDatabase.h"
#include "core/Prompter.h"

namespace fs = std::filesystem;

namespace skyloom::session {

const std::vector<ShippedSample>& shippedSamples() {
    // Utqiagvik's file (three soundings of one June day) stays out: a station
    // with data on the map promises statistics, and one day gives none worth
    // showing. The tests of the IGRA reader use it.
    static const std::vector<ShippedSample> samples = {
        {"fsl/ncdc-cdrom_ALB_72518_1990_ms_32767.fsl.gz", 72518},
        {"fsl/ncdc-cdrom_PWM_72606_1990_ms_32767.fsl.gz", 72606},
        {"fsl/ncdc-cdrom_CHH_74494_1990_ms_32767.fsl.gz", 74494},
        {"fsl/esrl_87576_SAEZ_2019_kt_99999.fsl.gz", 87576},
        {"igra2/CAM00071701-data.txt.gz", 71701},
    };
    return samples;
}

std::vector<SampleImport> importShippedSamples(core::MainDatabase& db, const std::string& dataFolder,
                                               core::Prompter& prompter, core::Progress* progress) {
    sounding::FixedReviewDecider acceptAsChecked(true);
    sounding::ImportOptions opt;
    opt.decider = &acceptAsChecked;
    opt.progress = progress;
    opt.mainDb = &db;
    std::vector<SampleImport> out;
    for (const auto& sample : shippedSamples()) {
        const std::string path = dataFolder + "samples/" + sample.file;
        SampleImport one;
        one.file = fs::path(path).filename().string();
        one.wmo = sample.wmo;
        // A missing sample fails like any file that cannot be read, named in the report.
        one.result = sounding::importFile(db.appDir(), path, opt, prompter, sample.wmo);
        out.push_back(std::move(one));
    }
    return out;
}

}  // namespace skyloom::session
