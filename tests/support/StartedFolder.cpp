#include "StartedFolder.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "StationFileBuilder.h"
#include "core/DatabaseFile.h"
#include "core/Progress.h"
#include "session/ProgramFolder.h"

namespace skyloom::test {

StartedFolder::StartedFolder() {
    core::SilentPrompter quiet;
    core::NullProgress progress;
    if (!session::initProgramFolder(tmp.dir(), quiet, progress)) throw std::runtime_error("init failed");
    s = std::make_unique<session::Session>(tmp.dir(), prompter);
    if (s->startUp() != session::Session::StartResult::Ready) throw std::runtime_error("start failed");
}

void StartedFolder::addStation(long wmo, const char* name, double lat, double lon, int base) {
    StationFileBuilder b(StationFileBuilder::pathFor(tmp.dir(), wmo), wmo);
    b.addTwiceDaily(core::makeDate(2018, 1, 1), core::makeDate(2019, 12, 31),
                    [base](int n) { return base + (n * 37) % 120; });
    registerStation(s->mainDb(), b.write(), name, "US", lat, lon);
    s->reloadStationIndex();
}

std::string StartedFolder::writeTextFile(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(tmp / "Text Data Files");
    const std::string path = (tmp / "Text Data Files" / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::int64_t StartedFolder::numberOf(long wmo, const std::string& sql) {
    auto db = core::openGuardedDatabase(tmp.dir() + "data/" + std::to_string(wmo) + ".dat", false);
    return db.execAndGet(sql).getInt64();
}

std::string StartedFolder::textOf(long wmo, const std::string& sql) {
    auto db = core::openGuardedDatabase(tmp.dir() + "data/" + std::to_string(wmo) + ".dat", false);
    return db.execAndGet(sql).getString();
}

}  // namespace skyloom::test
