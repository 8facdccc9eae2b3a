// Arbitrary bytes read as a gzip stream, whole and in small steps: the reader
// must end (with the text or a named fault), never crash, loop or read outside
// its buffers, and give the same bytes and find the same damage whatever the step.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/ByteSource.h"

using namespace skyloom;

namespace {
std::string readAll(std::string_view bytes, std::size_t step, std::string& fault) {
    std::string out;
    std::string buffer(step, '\0');
    auto source = core::gunzipped(std::make_unique<core::MemorySource>(bytes));
    try {
        while (const std::size_t n = source->read(buffer.data(), step)) {
            out.append(buffer.data(), n);
            if (out.size() > (64u << 20)) break;
        }
    } catch (const core::SourceDamaged& e) {
        fault = e.what();
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string faultWhole, faultSteps;
    const std::string whole = readAll(bytes, 1 << 16, faultWhole);
    const std::string steps = readAll(bytes, 7, faultSteps);
    if (whole.size() >= (64u << 20) || steps.size() >= (64u << 20)) return 0;
    // A sound stream gives the same text either way; a damaged one is found
    // either way, and what came before the damage agrees as far as both go.
    if (faultWhole.empty() != faultSteps.empty()) std::abort();
    if (faultWhole.empty() && whole != steps) std::abort();
    const std::size_t common = std::min(whole.size(), steps.size());
    if (whole.compare(0, common, steps, 0, common) != 0) std::abort();
    return 0;
}
