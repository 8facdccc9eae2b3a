#pragma once

#include <functional>
#include <string>
#include <vector>

namespace skyloom::session {

class Session;

// Opens a document with the desktop's program for its kind; false when there is
// none or it could not be started. The windows pass QDesktopServices::openUrl.
using DocumentOpener = std::function<bool(const std::string& path)>;

// "Zoom in on sites in white circle using Google Earth": writes the near list's
// sites to "GElist0.kml" in the program folder and has it opened. When nothing
// opens it, the user is told so and where the file is, to open it by hand.
// True when the file was written and opened.
bool showCircleInGoogleEarth(Session& session, const std::vector<std::string>& nearList,
                             const DocumentOpener& open);

}  // namespace skyloom::session
