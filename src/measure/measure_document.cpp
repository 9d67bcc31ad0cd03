// The measuring document: changes recorded by part and sent to the window once per step.
#include "measure/measure_document.hpp"

#include <algorithm>

namespace brelvo::measure {

bool SurfaceChanges::has(SurfacePart part) const {
    return std::find(parts.begin(), parts.end(), part) != parts.end();
}

void MeasureDocument::record(SurfacePart part) {
    if (!pending_.has(part)) pending_.parts.push_back(part);
    if (depth_ == 0 && !pendingAnnounced_ && onPending_) {
        pendingAnnounced_ = true;
        onPending_();
    }
}

SurfaceControls& MeasureDocument::edit(SurfacePart part) {
    record(part);
    return work_.controls;
}

Box& MeasureDocument::menu(SurfacePart which) {
    record(which);
    return which == SurfacePart::Menu2 ? menus_.lstMenu2 : menus_.lstMenu1;
}

void MeasureDocument::setCaption(std::string text) {
    edit(SurfacePart::Caption).caption = std::move(text);
}

void MeasureDocument::setPointer(Pointer pointer) {
    edit(SurfacePart::Pointer).pointer = pointer;
}

void MeasureDocument::setGeoreference(std::optional<Georeference> georef) {
    work_.georef = std::move(georef);
    scaleReplacesGeoref_ = false;
    record(SurfacePart::State);
}

void MeasureDocument::setScaleReplacesGeoreference(bool replaces) {
    scaleReplacesGeoref_ = replaces;
    record(SurfacePart::State);
}

void MeasureDocument::bringToFront(SurfacePart part) {
    pending_.raised.push_back(part);
    record(part);
}

void MeasureDocument::replaceWork(MeasureWork work) {
    work.state.grabPoint = work_.state.grabPoint;
    work.state.removeAll = work_.state.removeAll;
    work_ = std::move(work);
    for (const auto part :
         {SurfacePart::Caption, SurfacePart::Text1, SurfacePart::Shape1, SurfacePart::Shape2,
          SurfacePart::Lines, SurfacePart::Labels, SurfacePart::Pointer, SurfacePart::ScalePanel}) {
        record(part);
    }
}

void MeasureDocument::setListener(Listener listener, std::function<void()> pending) {
    listener_ = std::move(listener);
    onPending_ = std::move(pending);
}

MeasureDocument::Step::~Step() {
    if (--doc_.depth_ == 0) doc_.flush();
}

void MeasureDocument::flush() {
    pendingAnnounced_ = false;
    if (work_.state != sentState_) {
        sentState_ = work_.state;
        if (!pending_.has(SurfacePart::State)) pending_.parts.push_back(SurfacePart::State);
    }
    if (pending_.empty()) return;
    // The listener may change the document again (a redraw that moves lines with the picture): those
    // changes are the next batch.
    const SurfaceChanges sent = std::move(pending_);
    pending_ = {};
    if (listener_) listener_(sent);
}

}  // namespace brelvo::measure
