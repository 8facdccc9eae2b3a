#include "session/GoogleEarthCommand.h"

#include "core/Prompter.h"
#include "display/KmlExport.h"
#include "session/Session.h"

namespace skyloom::session {

bool showCircleInGoogleEarth(Session& session, const std::vector<std::string>& nearList,
                             const DocumentOpener& open) {
    const auto file = display::exportCircleToGoogleEarth(nearList, session.appDir(), session.prompter());
    if (!file) return false;
    const std::string path = file->string();
    if (open && open(path)) return true;
    // Without a program for ".kml" files the shell answers "No association for file extension".
    session.prompter().message("Google Earth error = No association for file extension\n\n"
                               "The sites in the white circle were written to the file '" + path +
                               "'; open it with Google Earth by hand.");
    return false;
}

}  // namespace skyloom::session
