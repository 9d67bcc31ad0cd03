// The measuring window's document: everything that window shows and edits (the measuring state, the
// coordinate listing, markers, segments, labels, the scale panel, the caption and pointer, the two
// command lists) in one Qt-free value. Every change goes through its methods, which record the part of
// the window it changes; the window hears of them once per user step, through one listener. It writes
// itself to a plain value tree and reads itself back: the project file and the script runner's dump
// use that one tree.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "common/value_tree.hpp"
#include "measure/delineation_record.hpp"
#include "measure/georeference.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_state.hpp"

namespace brelvo::measure {

// The user's work on the measuring side: what a project keeps of it.
struct MeasureWork {
    MeasureState state;
    SurfaceControls controls;
    // The picture's georeference, when it has one (read with the picture, or made by the user).
    std::optional<Georeference> georef;
    // The basin delineated last from an elevation model (its lines are traced lines of the work), and
    // the delineation's settings.
    std::optional<DelineationRecord> delineation;
    DelineationSettings delineationSettings;
    friend bool operator==(const MeasureWork&, const MeasureWork&) = default;
};

// The two command lists: they show only while the user chooses, so no project keeps them.
struct CommandMenus {
    Box lstMenu1;
    Box lstMenu2;
    friend bool operator==(const CommandMenus&, const CommandMenus&) = default;
};

class MeasureDocument;

// The work before each Clear Area/Line or delineation (and where the picture was shown then) and the
// work just after it: either is undone only while the work is still as it left it.
class ClearHistory {
  public:
    // A Clear Area/Line ran: `before` and `after` with the picture at `frame`. A clear that cleared
    // nothing is not kept.
    void cleared(const MeasureWork& before, const MeasureWork& after, const PictureFrame& frame);
    // Undoes the last clear in `doc` (the picture now at `frameNow`): lines, labels, the listing's text
    // and the counters come back; the caption, the listing's place and the scale panel stay, and so
    // does the scale (a zoom since the clear has divided it). Gives the picture's rectangle the work
    // was placed in, for the anchoring to carry it to where the picture is now; nothing when there is
    // no clear to undo (a clear followed by other work is kept).
    std::optional<PictureFrame> undo(MeasureDocument& doc, const PictureFrame& frameNow);
    void forget() { entries_.clear(); }

  private:
    struct Entry {
        MeasureWork before;
        MeasureWork after;
        PictureFrame frame;
    };
    std::vector<Entry> entries_;
};

// What one user step changed: the parts to redraw, and the ones brought to the front in the order
// they were.
struct SurfaceChanges {
    std::vector<SurfacePart> parts;   // each at most once, in the order first changed
    std::vector<SurfacePart> raised;  // in the order raised
    bool has(SurfacePart part) const;
    bool empty() const { return parts.empty() && raised.empty(); }
};

// Who reads the tree: a project keeps the work alone; a dump shows the passing fields as well.
enum class TreePurpose { Project, Dump };

class MeasureDocument {
  public:
    using Listener = std::function<void(const SurfaceChanges&)>;

    // ---- reading ----
    const MeasureState& state() const { return work_.state; }
    const SurfaceControls& controls() const { return work_.controls; }
    const CommandMenus& menus() const { return menus_; }
    const MeasureWork& work() const { return work_; }

    // ---- changing: each names the part of the window it changes ----
    // The measuring logic's counters, scale and result texts. The window shows them only through the
    // other parts and the title: a step that changed them sends SurfacePart::State (found by comparing
    // with what was last sent, so that reading them costs nothing).
    MeasureState& state() { return work_.state; }
    // The controls, for a change of `part`.
    SurfaceControls& edit(SurfacePart part);
    // The command list (SurfacePart::Menu1) or the picture list (SurfacePart::Menu2).
    Box& menu(SurfacePart which);
    void setCaption(std::string text);
    void setPointer(Pointer pointer);
    // The picture's georeference (nothing: a plain picture). A new georeference is measured on the
    // ground again, even where a scale set in this session had replaced the previous one.
    void setGeoreference(std::optional<Georeference> georef);
    const std::optional<Georeference>& georeference() const { return work_.georef; }
    // A scale set with "Set Scale" on a georeferenced map takes the georeference's place for this
    // session: the map is measured with that scale until a georeference is set again, or the units
    // alone are chosen on the map again. Passing: no project keeps it.
    bool scaleReplacesGeoreference() const { return scaleReplacesGeoref_; }
    void setScaleReplacesGeoreference(bool replaces);
    // Brings a part to the front of the window (after it is redrawn).
    void bringToFront(SurfacePart part);
    // Clear Area/Line ran on `before`, with the picture at `frame`: Undo can take it back while the work
    // is as the clear left it.
    void clearedLine(const MeasureWork& before, const PictureFrame& frame) {
        clears_.cleared(before, work_, frame);
    }
    // Takes back the last Clear Area/Line (see ClearHistory::undo); the picture is now at `frameNow`.
    std::optional<PictureFrame> undoClear(const PictureFrame& frameNow) {
        return clears_.undo(*this, frameNow);
    }
    // A basin was delineated on `before` (its boundary and flow path traced, its record set), with the
    // picture at `frame`: Undo takes the whole delineation back as one step, as it takes back a clear.
    void delineated(const MeasureWork& before, const PictureFrame& frame) {
        clears_.cleared(before, work_, frame);
    }
    void forgetClears() { clears_.forget(); }
    // Every save through the shared file dialog calls this before asking: from then on, for good, the
    // dialog's cancel raises an error (which an open reports as "Cancel was selected.").
    void beginSaveThroughSharedDialog() { work_.controls.dialogCancelRaisesError = true; }
    // Puts work in place of the document's (a project opened, an undo): every part changes. The
    // passing fields (where the menu was opened, the clear-all flag) stay as they are.
    void replaceWork(MeasureWork work);

    // ---- the window's one listener and the user's steps ----
    // `listener` hears of the changes of each step once; `pending` is called when a change comes
    // outside any step, so that the window can send it later (flush).
    void setListener(Listener listener, std::function<void()> pending = {});
    // A user step: changes made while one is open are sent once, when the outermost closes.
    class Step {
      public:
        explicit Step(MeasureDocument& doc) : doc_(doc) { ++doc_.depth_; }
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

      private:
        MeasureDocument& doc_;
    };
    // Sends the changes recorded so far (before a dialog shows the window, or after a stray change).
    void flush();

    // ---- the value tree ----
    // The document as {"measureState": {...}, "window": {...}}; the passing fields only for a dump.
    common::ValueTree write(TreePurpose purpose = TreePurpose::Project) const {
        return write(work_, purpose);
    }
    static common::ValueTree write(const MeasureWork& work, TreePurpose purpose);
    // The work a tree holds; a missing or wrong value is refused with a common::TreeError naming it.
    static MeasureWork read(const common::ValueTree& tree);
    // The measuring state alone, as the dump shows it.
    static common::ValueTree writeState(const MeasureState& state, TreePurpose purpose);

  private:
    void record(SurfacePart part);

    MeasureWork work_;
    MeasureState sentState_;  // the state as the last batch of changes left it
    CommandMenus menus_;
    ClearHistory clears_;
    SurfaceChanges pending_;
    Listener listener_;
    std::function<void()> onPending_;
    int depth_ = 0;
    bool pendingAnnounced_ = false;
    bool scaleReplacesGeoref_ = false;
};

}  // namespace brelvo::measure
