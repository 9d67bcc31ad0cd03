// The runoff window's basin block: its defaults and lists, the hand-off of a measurement, and the
// recomputation of slope, lag coefficient C, lag time, time step and areal reduction from its fields.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/box_check.hpp"
#include "basin/runoff_fields.hpp"
#include "common/hand_off.hpp"

namespace brelvo::basin {

// Items of ComboDimgraph and ComboRain, in list order.
const std::vector<std::string>& dimgraphItems();
const std::vector<std::string>& rainItems();

// Every field, caption, check and list text of the runoff window as it is when the window loads.
void loadRunoffDefaults(RunoffFields& fields);

// Writes the measurement into the fields in the window's order; nothing is recomputed.
void receiveMeasurement(RunoffFields& fields, const common::HandOff& values);

// Miles per unit of txtL and txtLca, from the caption of lblL: 1/5280 for feet, else 1.
[[nodiscard]] float lengthFactor(const RunoffFields& fields);
// An area in the unit that the caption of Label10 names ("acres", "ft^2", else square miles) in square
// miles. The division is in single precision; a double-precision quotient rounded to single is the
// same number (the double quotient of two singles rounds to the correctly rounded single quotient), so
// the compute run and the areal reduction, which once divided in the two precisions, agree bit for bit.
[[nodiscard]] float squareMiles(float area, const std::string& unitCaption);
// txtBasinArea in square miles, converted by the unit in the caption of Label10.
[[nodiscard]] float basinAreaSquareMiles(const RunoffFields& fields);

// Elevations in feet and lengths in miles (after the lblL unit factor) as the recomputations read them.
struct BasinInputs {
    float upperFt = 0;
    float lowerFt = 0;
    float lengthMi = 0;         // L
    float belowCentroidMi = 0;  // Lca
};
// Reads the two elevations, L and Lca through `check`: each box that holds a text must hold a number
// (L and Lca above 0), and the lower elevation must lie below the upper. Nothing when a box is refused
// or still empty; every box that holds a text is checked even so.
[[nodiscard]] std::optional<BasinInputs> readBasinInputs(const RunoffFields& fields, BoxCheck& check);

// The label of a box of the rainfall table: "Rainfall Durations row 1 Hours" (rows from 0 here).
[[nodiscard]] std::string rainfallRowLabel(int row, std::string_view column);

// What one recomputation of the basin block read and refused. `tell` is set when the refusal is to be
// named in a message at once (a box was left, a check box clicked), not while a box is being typed in.
struct BoxReport {
    std::vector<std::string> read;
    std::vector<RefusedBox> refused;
    bool tell = false;
};

// The recomputations of the basin block. Binding registers the txtC change handler, which the field
// model runs synchronously whenever txtC's text changes, also inside Getbasinstats's own write of C.
class BasinBlock {
  public:
    explicit BasinBlock(RunoffFields& fields);
    ~BasinBlock();
    BasinBlock(const BasinBlock&) = delete;
    BasinBlock& operator=(const BasinBlock&) = delete;

    // Slope, C, lag and time step from the elevations, L and Lca (time step from lag / 5.5).
    void Getbasinstats();
    // txtC changed: slope, lag and time step from the C in the field (time step from lag / 11).
    void cChanged();
    // A field lost the focus: txtelv1, txtElv2, txtL, txtLca, txtC or txtLag; other names do nothing.
    void lostFocus(const std::string& name);
    // chkAreaAdj was clicked; its new checked state is already in the field.
    void areaAdjClicked();
    // Writes the time step for r = lag / divisor (hours) into txtGraphtimestep, its unit into Label14.
    void chooseTimeStep(float r);

    // Told after every recomputation what it read and refused; a refused recomputation writes nothing.
    std::function<void(const BoxReport&)> checked;

  private:
    // Tells `checked`; true when nothing was refused.
    bool report(const BoxCheck& check, bool tell);
    // Getbasinstats on leaving the box `left` (empty: not on leaving a box).
    void recompute(std::string_view left);

    RunoffFields& fields_;
};

}  // namespace brelvo::basin
