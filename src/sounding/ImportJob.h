#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ByteSource.h"
#include "sounding/SoundingImport.h"

namespace skyloom::core {
class Progress;
class Prompter;
}  // namespace skyloom::core

namespace skyloom::sounding {

// One input of an import job: a file named by the user, or one found in a folder
// (those that hold no soundings are passed over), or a member of a zip archive.
struct JobInput {
    core::SourceName source;
    bool fromFolder = false;
};

// A path given that cannot be read: its name and a one-line message naming it.
struct InputProblem {
    std::string name, message;
};

// The inputs of the paths given: files as they are, folders with every file
// inside (recursively, in name order), zip archives member by member.
std::vector<JobInput> collectInputs(const std::vector<std::string>& paths, std::vector<InputProblem>& problems);

struct JobOutcome {
    JobInput input;
    ImportResult result;
    bool ran = false;   // false: not imported because an earlier file of its station stopped
};

// Imports the inputs: the files of different stations side by side on up to
// `threads` threads (each station has its own data file), the files of one
// station one after the other in the order given. The main database is used by
// one thread at a time, and so are the prompter, the review decider and the
// progress bar, which shows the whole job: soundings per second and the time
// left. The outcomes are in the order of the inputs.
std::vector<JobOutcome> importJob(const std::string& appDir, const std::vector<JobInput>& inputs,
                                  const ImportOptions& options, core::Prompter& prompter,
                                  std::optional<long> wmo, unsigned threads);

// The text of the job's progress bar: "12,345 soundings, 31,200/s, 0:42 left".
std::string jobProgressText(std::int64_t soundings, double seconds, std::uint64_t done, std::uint64_t total);

}  // namespace skyloom::sounding
