// The picture a project names: shown when the project opens, remembered with the reason when it cannot
// be, so that the project keeps it, and located again by the user (File -> Locate Picture...).
#pragma once

#include <string>

#include "app/map_picture_host.hpp"
#include "common/dialogs.hpp"

namespace brelvo::app {

class ProjectPicture {
  public:
    ProjectPicture(MapPictureHost& host, common::Dialogs& dialogs) : host_(host), dialogs_(dialogs) {}

    // Clears the shown picture and shows the one at `path` (none when empty); when it cannot be shown,
    // it stays the project's as the missing picture.
    void open(const std::string& path);
    // The picture the project keeps: the shown one, or the one that could not be shown.
    std::string projectPath() const {
        return host_.picturePath().empty() ? missingPath_ : host_.picturePath();
    }
    // The picture a project named but that could not be shown; empty when there is none.
    const std::string& missingPath() const { return missingPath_; }
    // Says why the project's picture is missing and offers to locate it; true when one was located.
    bool offerToLocate();
    // Asks for a picture file (near the lost one, else near `projectFile`) and shows it in place of the
    // old one, keeping every line, label and measurement. False when nothing was located.
    bool locate(const std::string& projectFile);

  private:
    MapPictureHost& host_;
    common::Dialogs& dialogs_;
    std::string missingPath_;
    std::string missingProblem_;
};

}  // namespace brelvo::app
