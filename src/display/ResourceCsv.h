#pragma once

#include <string>

#include "display/ResourceReport.h"
#include "power/WindResource.h"

namespace skyloom::display {

// The figures of a wind resource as spreadsheet text: a block of named figures,
// then one table per figure group (histogram, rose, shear, months, launch
// hours, years), separated by empty lines. Texts are in double quotes (a quote
// inside doubled), numbers plain, a missing figure is an empty text (""); lines
// end in CR LF.
std::string resourceCsvText(const power::WindResource& r, const ResourceHeading& h);

}  // namespace skyloom::display
