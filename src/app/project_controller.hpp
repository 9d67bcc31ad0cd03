// The project's rules: what counts as a change, the question about unsaved changes, new / open / save /
// save as, the recent files and the exports' entries. The measuring window is its view: it gives the
// project's values and takes them back.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/project_file.hpp"
#include "common/dialogs.hpp"

namespace brelvo::app {

class RunoffWindow;

// What the project controller needs of the window that shows the project.
class ProjectView {
  public:
    virtual ~ProjectView() = default;
    virtual project::Project captureProject() const = 0;
    // Replaces what the window holds by the project (the runoff window by one holding its inputs).
    virtual void restoreProject(const project::Project& project) = 0;
    // The empty view laid out afresh, as at start.
    virtual void layOutAfresh() = 0;
    // The project's name, its unsaved mark or the recent files changed: the title and menu follow.
    virtual void projectShown() = 0;
    // A project was opened: offers to locate its picture when it could not be shown.
    virtual void projectOpened() = 0;
    virtual RunoffWindow* runoffWindow() const = 0;
};

class ProjectController {
  public:
    // `keepRecent`: the recent files are kept between runs (for a user, not a replayed session).
    ProjectController(ProjectView& view, common::Dialogs& dialogs, bool keepRecent);

    // At start: the window shows the empty, untitled project.
    void start();
    // The first layout of the window: the empty project is what it shows now, no change of the user's.
    void firstLayoutDone();
    // Reads and opens a project file; a file that cannot be opened is refused with a message naming it,
    // and nothing changes. False when refused.
    bool openProjectFile(const std::string& path);
    // Writes the project through a temporary file and rename; false (after a message) when it failed.
    bool saveProjectFile(const std::string& path);
    // The File menu's entries: each asks first when there are unsaved changes. False when cancelled.
    bool newProject();
    bool openProject();
    bool saveProject();
    bool saveProjectAs();
    // File → Export Hydrograph CSV...: the last report's hydrograph as CSV; false when nothing was written.
    bool exportHydrographCsv();
    // Runs an export of the runoff window; without the window, says what to do first.
    void runoffExport(bool (RunoffWindow::*exportRun)());

    // Whether the project differs from what was last saved or opened.
    bool projectModified() const;
    // The project's name as the title gives it: the file's name, or the untitled name.
    std::string projectName() const;
    const std::string& projectPath() const { return projectPath_; }
    const std::vector<std::string>& recentProjects() const { return recent_; }
    // What a newly opened runoff window holds (the hand-off alone): the same as having none.
    void runoffOpened(const project::RunoffInputs& inputs);

    // The answer to the unsaved-changes question.
    enum class UnsavedAnswer { Save, Discard, Cancel };
    // Asks the unsaved-changes question; a question box over `questionParent` unless set (the script
    // runner answers from its queue).
    std::function<UnsavedAnswer(const std::string& question)> askUnsaved;
    QWidget* questionParent = nullptr;
    // With unsaved changes, asks whether to save them first; false when the user cancelled (or the save
    // failed), so that the step that asked does not go on.
    bool settleUnsavedChanges();

  private:
    void markSaved(const std::string& path);
    void rememberRecent(const std::string& path);

    ProjectView& view_;
    common::Dialogs& dialogs_;
    bool keepRecent_;
    // The project's file (empty while untitled), what it held when last saved or opened, the blank one.
    std::string projectPath_;
    std::string opening_;  // the file name of the project being opened, while it is put in place
    project::Project savedSnapshot_;
    project::Project blankProject_;
    std::vector<std::string> recent_;
    std::optional<project::RunoffInputs> runoffAtStart_;
};

}  // namespace brelvo::app
