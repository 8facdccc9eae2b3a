#include "core/Constants.h"

namespace skyloom::core {

std::array<HoursSince1930, 16> yearStartHours() {
    std::array<HoursSince1930, 16> h{};
    for (int i = 0; i < 16; ++i) h[static_cast<std::size_t>(i)] = hoursSince1930(makeDate(1994 + i, 1, 1), 0);
    return h;
}

std::string revisionHistoryText() {
    const char* lines[] = {
        "    Major Revision 2.1",
        "       a.  Made changes to the data file structure so that data files are only about 25% of the size they "
        "used to be.",
        "       b.  Made changes so that the program would load faster when a large number of data sites are "
        "available.",
        "       c.  Added Ctrl+D to recreate data index if it gets corrupted so that we can save 15 seconds on each "
        "program startup.",
        "       d.  Made program to allow more than 200 datapoiontss in a study.",
        "       e.  Made program always start up with without a site selected to save time on startup.",
        "       f.  Revised formula that calculates the % ignored data to a more logical one.  Still, a lower number "
        "means a better data set.",
        "       ",
        "          These changes require that a complete reinstall be done for this upgrade.",
    };
    std::string text;
    for (const char* l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

}  // namespace skyloom::core
