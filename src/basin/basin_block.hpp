// The runoff window's basin block: its defaults and lists, the hand-off of a measurement, and the
// recomputation of slope, lag coefficient C, lag time, time step and areal reduction from its fields.
#pragma once

#include <optional>
#include <string>
#include <vector>

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
    // A field lost the focus: txtelv1, txtElv2, txtL, txtLca or txtLag; other names do nothing.
    void lostFocus(const std::string& name);
    // chkAreaAdj was clicked; its new checked state is already in the field.
    void areaAdjClicked();
    // Writes the time step for r = lag / divisor (hours) into txtGraphtimestep, its unit into Label14.
    void chooseTimeStep(float r);

  private:
    RunoffFields& fields_;
};

}  // namespace brelvo::basin
