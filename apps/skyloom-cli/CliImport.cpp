#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include <unistd.h>

#include <fmt/format.h>
#include <SQLiteCpp/Statement.h>

#include "CliContext.h"
#include "core/Text.h"
#include "core/WholeFile.h"
#include "session/ProgramFolder.h"
#include "session/ShippedSamples.h"
#include "sounding/DemoData.h"
#include "sounding/ImportJob.h"
#include "sounding/SoundingImport.h"

namespace fs = std::filesystem;

namespace skyloom::cli {

namespace {

std::string soundingName(const sounding::SoundingRecord& record) {
    return core::isoDate(record.date) + " " + sounding::soundingTimeText(record.hour);
}

// The import stops before a sounding nobody decided on.
[[noreturn]] void undecided(const sounding::SoundingRecord& record, const std::string& why) {
    throw sounding::ReviewUndecided("the sounding of " + soundingName(record) + " needs review and " + why);
}

// Shows a sounding that needs review on the terminal and asks whether to keep it;
// Cancel, or input at its end (a script, a pipe), stops the import before it.
class TerminalReviewDecider final : public sounding::ReviewDecider {
public:
    explicit TerminalReviewDecider(CliContext& ctx) : ctx_(ctx) {}
    bool accept(const sounding::SoundingRecord& record, std::string_view rawText, std::string_view reason) override {
        ctx_.progress.finish();
        std::cout << "\nSounding of " << soundingName(record) << " needs review:" << reason << "\n" << rawText;
        switch (ctx_.prompter.askYesNoCancel("Accept Sounding? (No deletes it, Cancel stops the import)",
                                             "Import Control")) {
            case core::Prompter::Answer::Yes: return true;
            case core::Prompter::Answer::No: return false;
            case core::Prompter::Answer::Cancel: break;
        }
        undecided(record, "was neither accepted nor deleted");
    }

private:
    CliContext& ctx_;
};

// No terminal and no --review: nobody is there to decide.
class NobodyToAsk final : public sounding::ReviewDecider {
public:
    bool accept(const sounding::SoundingRecord& record, std::string_view, std::string_view) override {
        undecided(record, "there is no terminal to ask on");
    }
};

std::string countsLine(const std::string& name, const sounding::ImportResult& r) {
    return fmt::format("{}: station {}, added {}, deleted {}, reviewed {}, already present {}, other station {}, "
                       "unreadable {}",
                       name, r.wmo, r.added, r.rejected, r.reviewed, r.duplicates, r.otherStation, r.unreadable);
}

// Demo stations carry "(DEMO)" in their name in the station list, so no one
// takes their statistics for observations.
void markDemoStation(core::MainDatabase& db, long wmo) {
    SQLite::Statement q(db.db(), "UPDATE stations SET stationname = substr(trim(stationname), 1, 23) || ' (DEMO)' "
                                 "WHERE wmo = ? AND stationname NOT LIKE '%(DEMO)%'");
    q.bind(1, static_cast<std::int64_t>(wmo));
    q.exec();
}

}  // namespace

int installShippedSamples(CliContext& ctx) {
    auto& s = ctx.session();
    const auto done = session::importShippedSamples(s.mainDb(), session::programDataFolder(), ctx.prompter,
                                                    &ctx.progress);
    ctx.progress.finish();
    int failed = 0;
    for (const auto& one : done) {
        if (one.result.failed) {
            ++failed;
            continue;
        }
        std::cout << countsLine(one.file, one.result) << std::endl;
    }
    if (std::any_of(done.begin(), done.end(), [](const auto& one) { return one.result.reviewed > 0; }))
        std::cout << "Soundings of the real samples that would come up for review were accepted as the checks left "
                     "them (\"reviewed\" above): init asks no one."
                  << std::endl;
    s.reloadStationIndex();
    return failed;
}

void installDemoData(CliContext& ctx, bool importToo) {
    // The files belong in a program folder: none is made by writing them.
    auto& s = ctx.session();
    const std::string folder = ctx.appDir() + "Text Data Files/";
    fs::create_directories(folder);
    std::vector<std::string> files;
    for (const auto& st : sounding::demoStations()) {
        const std::string path = folder + sounding::demoFileName(st);
        if (const std::string problem = core::tryWriteFileWhole(
                path, sounding::demoText(st, sounding::kDemoFirstYear, sounding::kDemoYears, sounding::kDemoSeed));
            !problem.empty())
            throw CliError(problem);
        files.push_back(path);
    }
    std::cout << "Wrote " << files.size() << " DEMO text files (synthetic soundings, not observations) to " << folder
              << std::endl;
    if (!importToo) return;
    // Demo soundings that would need a human's review are deleted unseen.
    sounding::FixedReviewDecider reject(false);
    sounding::ImportOptions opt;
    opt.decider = &reject;
    opt.progress = &ctx.progress;
    opt.mainDb = &s.mainDb();
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto r = sounding::importFile(s.appDir(), files[i], opt, ctx.prompter);
        ctx.progress.finish();
        if (r.failed) continue;
        markDemoStation(s.mainDb(), r.wmo);
        ctx.prompter.message(fs::path(files[i]).filename().string() + ":" + r.report);
    }
    s.reloadStationIndex();
}

void addImportCommands(CLI::App& app, CliContext& ctx) {
    auto* imp = app.add_subcommand("import", "Import radiosonde soundings (raw text, IGRA v2 or Wyoming files)");
    ctx.addFolderOption(imp);
    static std::vector<std::string> files;
    static std::string review;
    static long wmo = 0;
    static sounding::ReviewCriteria criteria;
    static std::string maltText;
    imp->add_option("PATH", files, "Files or folders to import: plain, .gz or .zip files, and folders with every "
                                  "sounding file inside; the station is the WMO number and blank a name begins "
                                  "with, else the one station the file names")
        ->required()
        ->check(CLI::ExistingPath);
    imp->add_option("--review", review,
                    "Soundings that need review: ask (the default on a terminal), accept or reject; without a "
                    "terminal and without this option the import stops before the first one")
        ->check(CLI::IsMember({"ask", "accept", "reject"}));
    imp->add_option("--wmo", wmo, "Station of the files (instead of the file name)");
    imp->add_option("--lalt", criteria.lalt, "Auto accept and extrapolate to GND if first wind below this (feet AGL)");
    imp->add_option("--malt", maltText, "Auto delete whole sounding if first wind above this (feet AGL)");
    imp->add_option("--difgnd", criteria.difGnd, "Max 0-500 feet wind dif allowed before review (knts)");
    imp->add_option("--dif500", criteria.dif500, "Max 500 foot change wind dif allowed before review");
    imp->callback([&ctx] {
        if (!maltText.empty()) {
            criteria.malt = core::leadingNumber(maltText);
            criteria.maltText = core::trim(maltText);
        }
        auto& s = ctx.session();
        TerminalReviewDecider ask(ctx);
        NobodyToAsk nobody;
        sounding::FixedReviewDecider accept(true), reject(false);
        sounding::ImportOptions opt;
        opt.criteria = criteria;
        opt.decider = review == "accept"   ? static_cast<sounding::ReviewDecider*>(&accept)
                      : review == "reject" ? static_cast<sounding::ReviewDecider*>(&reject)
                      : review.empty() && !::isatty(STDIN_FILENO) ? static_cast<sounding::ReviewDecider*>(&nobody)
                                                                   : &ask;
        opt.progress = &ctx.progress;
        opt.mainDb = &s.mainDb();
        std::vector<std::string> failures, damaged;
        std::vector<sounding::InputProblem> problems;
        const auto inputs = sounding::collectInputs(files, problems);
        for (const auto& p : problems) {
            ctx.prompter.message(p.message);
            failures.push_back(fs::path(p.name).filename().string());
        }
        // The files of different stations import side by side, one bar for the whole job.
        const auto outcomes = sounding::importJob(s.appDir(), inputs, opt, ctx.prompter,
                                                  wmo > 0 ? std::optional<long>(wmo) : std::nullopt,
                                                  std::max(1u, std::thread::hardware_concurrency()));
        ctx.progress.finish();
        std::string stopped;
        long passedOver = 0;
        for (const auto& o : outcomes) {
            const std::string name = o.input.source.shortName();
            const auto& r = o.result;
            if (!o.ran) {
                failures.push_back(name + " (after a file of its station that stopped)");
                continue;
            }
            if (r.skipped) {
                ++passedOver;
                continue;
            }
            if (r.failed) {
                failures.push_back(name);
                continue;
            }
            // The counts come first; the closing report is the last line of each file.
            std::cout << countsLine(name, r) << std::endl;
            if (!r.undecided.empty()) {
                if (stopped.empty())
                    stopped = name + ": the import stopped because " + r.undecided +
                              "; the soundings before it are stored. Choose with --review=accept or "
                              "--review=reject.";
                continue;
            }
            ctx.prompter.message(r.report);
            if (!r.damaged.empty()) damaged.push_back(name + " (" + r.damaged + ")");
        }
        if (passedOver > 0)
            std::cout << "Passed over " << passedOver << " file(s) of the folders that hold no soundings." << std::endl;
        s.reloadStationIndex();
        if (!stopped.empty()) throw CliError(stopped);
        std::string why;
        auto list = [](const std::vector<std::string>& names) {
            std::string out;
            for (const auto& n : names) out += (out.empty() ? "" : ", ") + n;
            return out;
        };
        if (!failures.empty()) why = std::to_string(failures.size()) + " file(s) not imported: " + list(failures);
        if (!damaged.empty())
            why += (why.empty() ? "" : "; ") + std::to_string(damaged.size()) +
                   " file(s) damaged, imported up to the damage: " + list(damaged);
        if (!why.empty()) throw CliError(why);
    });

    auto* demo = app.add_subcommand("demo-data", "Write DEMO soundings (synthetic, not observations) and import them");
    ctx.addFolderOption(demo);
    static bool noImport = false;
    demo->add_flag("--no-import", noImport, "Only write the text files to 'Text Data Files'");
    demo->callback([&ctx] { installDemoData(ctx, !noImport); });
}

}  // namespace skyloom::cli
