#include "sounding/ImportJob.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include <fmt/format.h>

#include "core/LineReader.h"
#include "core/Progress.h"
#include "core/Prompter.h"
#include "sounding/FileStation.h"
#include "sounding/SoundingStream.h"

namespace fs = std::filesystem;

namespace skyloom::sounding {

namespace {

using Clock = std::chrono::steady_clock;

void addFile(const fs::path& file, bool fromFolder, std::vector<JobInput>& out, std::vector<InputProblem>& problems) {
    const std::string path = file.string();
    const std::string name = file.filename().string();
    if (core::isZipFile(path)) {
        try {
            auto members = core::zipMembers(path);
            if (members.empty() && !fromFolder)
                problems.push_back({name, "No soundings were found in '" + name + "': the zip archive holds no files."});
            for (auto& m : members) out.push_back({std::move(m), fromFolder});
        } catch (const core::SourceDamaged& e) {
            problems.push_back({name, "'" + name + "' could not be read: " + e.what() + "."});
        }
        return;
    }
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    out.push_back({core::SourceName{path, {}, -1, ec ? 0 : size}, fromFolder});
}

// Files of one station go to one thread in their order; the key names the
// station as far as the name or the first sounding tells it.
std::string stationKey(const JobInput& in, std::optional<long> wmo) {
    if (wmo) return "wmo " + std::to_string(*wmo);
    const auto& src = in.source;
    const std::string namePath = src.member.empty() || numberAtNameStart(src.path) ? src.path : src.member;
    if (auto n = numberAtNameStart(namePath)) return "wmo " + std::to_string(*n);
    std::string why;
    if (auto bytes = core::openSource(src, why)) {
        try {
            core::LineReader lines(*bytes, 1 << 16);
            auto soundings = openSoundingStream(lines);
            ParsedSounding s;
            if (soundings->next(s)) {
                if (s.wmo > 0) return "wmo " + std::to_string(s.wmo);
                if (!s.staid.empty()) return "id " + s.staid;
            }
        } catch (const std::exception&) {
            // The import itself reports what is wrong with the file.
        }
    }
    return "file " + src.display();
}

// The prompter, the review decider and the progress bar of a job are used by one thread at a time.
class LockedPrompter final : public core::Prompter {
public:
    LockedPrompter(core::Prompter& p, std::recursive_mutex& m) : p_(p), m_(m) {}
    void message(std::string_view text, std::string_view title) override {
        std::lock_guard lock(m_);
        p_.message(text, title);
    }
    void longMessage(std::string_view text, std::string_view title) override {
        std::lock_guard lock(m_);
        p_.longMessage(text, title);
    }
    std::optional<std::string> input(std::string_view prompt, std::string_view defaultValue) override {
        std::lock_guard lock(m_);
        return p_.input(prompt, defaultValue);
    }
    bool ask(std::string_view question, std::string_view title, bool noIsDefault) override {
        std::lock_guard lock(m_);
        return p_.ask(question, title, noIsDefault);
    }
    Answer askYesNoCancel(std::string_view question, std::string_view title) override {
        std::lock_guard lock(m_);
        return p_.askYesNoCancel(question, title);
    }
    void status(std::string_view text) override {
        std::lock_guard lock(m_);
        p_.status(text);
    }
private:
    core::Prompter& p_;
    std::recursive_mutex& m_;
};

class LockedDecider final : public ReviewDecider {
public:
    LockedDecider(ReviewDecider& d, std::recursive_mutex& m) : d_(d), m_(m) {}
    bool accept(const SoundingRecord& record, std::string_view rawText, std::string_view reason) override {
        std::lock_guard lock(m_);
        return d_.accept(record, rawText, reason);
    }
    std::string_view rejectionNote() const override { return d_.rejectionNote(); }
private:
    ReviewDecider& d_;
    std::recursive_mutex& m_;
};

// The whole job's bar: bytes of the inputs read, soundings read per second, time left.
class JobBar {
public:
    JobBar(core::Progress* bar, const std::vector<JobInput>& inputs, std::recursive_mutex& m)
        : bar_(bar), m_(m), at_(inputs.size()), start_(Clock::now()) {
        for (const auto& in : inputs) total_ += std::max<std::uint64_t>(in.source.storedSize, 1);
        for (auto& a : at_) a = 0;
    }
    std::atomic<std::int64_t> soundings{0};

    void at(std::size_t input, std::uint64_t position) {
        at_[input] = position;
        draw(false);
    }
    void draw(bool now) {
        if (!bar_) return;
        const auto t = Clock::now();
        const std::int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - start_).count();
        if (!now && ms - lastDraw_.load() < 250) return;
        std::unique_lock lock(m_, std::try_to_lock);
        if (!lock) return;
        lastDraw_ = ms;
        std::uint64_t done = 0;
        for (const auto& a : at_) done += a;
        done = std::min(done, total_);
        bar_->step(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total_),
                   jobProgressText(soundings.load(), static_cast<double>(ms) / 1000.0, done, total_));
    }
    bool cancelRequested() {
        if (!bar_) return false;
        std::lock_guard lock(m_);
        return bar_->cancelRequested();
    }

private:
    core::Progress* bar_;
    std::recursive_mutex& m_;
    std::vector<std::atomic<std::uint64_t>> at_;
    std::uint64_t total_ = 0;
    Clock::time_point start_;
    std::atomic<std::int64_t> lastDraw_{-1000};
};

// What the import of one input tells the job's bar.
class InputProgress final : public core::Progress {
public:
    InputProgress(JobBar& bar, std::size_t input, std::uint64_t storedSize)
        : bar_(bar), input_(input), storedSize_(storedSize) {}
    void step(std::int64_t done, std::int64_t total, std::string_view) override {
        // A source tells its position in bytes of what lies on the disk.
        if (total > 0) bar_.at(input_, std::min<std::uint64_t>(static_cast<std::uint64_t>(done), storedSize_));
    }
    bool cancelRequested() override { return bar_.cancelRequested(); }
private:
    JobBar& bar_;
    std::size_t input_;
    std::uint64_t storedSize_;
};

}  // namespace

std::string jobProgressText(std::int64_t soundings, double seconds, std::uint64_t done, std::uint64_t total) {
    std::string text = fmt::format("{:L} soundings", soundings);
    if (seconds >= 0.5) text += fmt::format(", {:.0f}/s", static_cast<double>(soundings) / seconds);
    if (done > 0 && seconds >= 1.0) {
        const double left = seconds * static_cast<double>(total - std::min(done, total)) / static_cast<double>(done);
        const auto s = static_cast<long>(left + 0.5);
        text += fmt::format(", {}:{:02} left", s / 60, s % 60);
    }
    return text;
}

std::vector<JobInput> collectInputs(const std::vector<std::string>& paths, std::vector<InputProblem>& problems) {
    std::vector<JobInput> out;
    for (const auto& p : paths) {
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<fs::path> files;
            fs::recursive_directory_iterator it(p, fs::directory_options::skip_permission_denied, ec);
            for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                std::error_code fileEc;
                if (it->is_regular_file(fileEc)) files.push_back(it->path());
            }
            if (ec) problems.push_back({p, "'" + p + "' could not be read: " + ec.message() + "."});
            std::sort(files.begin(), files.end());
            for (const auto& f : files) addFile(f, true, out, problems);
        } else if (fs::exists(p, ec)) {
            addFile(p, false, out, problems);
        } else {
            problems.push_back({p, "'" + p + "' does not exist."});
        }
    }
    return out;
}

std::vector<JobOutcome> importJob(const std::string& appDir, const std::vector<JobInput>& inputs,
                                  const ImportOptions& options, core::Prompter& prompter, std::optional<long> wmo,
                                  unsigned threads) {
    std::vector<JobOutcome> outcomes(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) outcomes[i].input = inputs[i];

    // Groups of one station each, the biggest first so the threads end together.
    std::map<std::string, std::vector<std::size_t>> byStation;
    for (std::size_t i = 0; i < inputs.size(); ++i) byStation[stationKey(inputs[i], wmo)].push_back(i);
    std::vector<std::vector<std::size_t>> groups;
    for (auto& [key, members] : byStation) groups.push_back(std::move(members));
    auto sizeOf = [&](const std::vector<std::size_t>& g) {
        std::uint64_t n = 0;
        for (auto i : g) n += inputs[i].source.storedSize;
        return n;
    };
    std::stable_sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) { return sizeOf(a) > sizeOf(b); });

    std::recursive_mutex ui;
    std::mutex mainDb;
    LockedPrompter lockedPrompter(prompter, ui);
    std::optional<LockedDecider> lockedDecider;
    if (options.decider) lockedDecider.emplace(*options.decider, ui);
    JobBar bar(options.progress, inputs, ui);
    std::atomic<std::size_t> nextGroup{0};

    auto work = [&] {
        for (std::size_t g; (g = nextGroup++) < groups.size();) {
            for (std::size_t i : groups[g]) {
                JobOutcome& out = outcomes[i];
                InputProgress progress(bar, i, inputs[i].source.storedSize);
                ImportOptions opt = options;
                opt.decider = lockedDecider ? &*lockedDecider : nullptr;
                opt.progress = &progress;
                opt.mainDbLock = &mainDb;
                opt.soundingsRead = &bar.soundings;
                opt.skipNonSoundingFiles = inputs[i].fromFolder;
                out.ran = true;
                try {
                    out.result = importSource(appDir, inputs[i].source, opt, lockedPrompter, wmo);
                } catch (const std::exception& e) {
                    out.result = {};
                    out.result.failed = true;
                    out.result.report = "'" + inputs[i].source.shortName() + "' could not be imported: " + e.what();
                    lockedPrompter.message(out.result.report, {});
                }
                progress.step(static_cast<std::int64_t>(inputs[i].source.storedSize),
                              static_cast<std::int64_t>(inputs[i].source.storedSize), {});
                // The later files of a station wait for the one that stopped.
                if (out.result.cancelled) break;
            }
        }
    };
    const unsigned n = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(groups.size())));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < n; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
    bar.draw(true);
    return outcomes;
}

}  // namespace skyloom::sounding
