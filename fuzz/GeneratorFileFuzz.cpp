// Feeds arbitrary bytes through the generator text file reader, writes what it
// read back as a file text and reads that again: nothing may crash or read out
// of bounds, whatever numbers (huge, negative, not numbers) the file holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "power/GeneratorFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyloom::power;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const GeneratorRecord first = parseGeneratorFile(text);
    (void)parseGeneratorFile(generatorFileText(first));
    (void)splitSettingLine(text);
    return 0;
}
