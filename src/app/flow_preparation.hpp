// The flow over an elevation model prepared off the window's thread: a worker runs the preparation while
// a progress dialog with Cancel keeps the window drawn and answering; the call returns when the worker
// has ended, so that a script waits for it as a user does.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "terrain/flow_model.hpp"

class QWidget;

namespace brelvo::app {

// What prepares the flow (terrain::prepareFlow; a test may put a slower or failing one in its place).
using FlowPreparer = std::function<std::optional<terrain::FlowModel>(const terrain::ElevationModel&,
                                                                     const terrain::Progress&)>;

struct PreparedFlow {
    std::shared_ptr<const terrain::FlowModel> flow;  // nullptr: cancelled or failed
    bool outOfMemory = false;
};

PreparedFlow prepareFlowWithProgress(const terrain::ElevationModel& model, QWidget& parent,
                                     const FlowPreparer& preparer);

}  // namespace brelvo::app
