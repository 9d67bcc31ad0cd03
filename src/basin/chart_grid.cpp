// The hydrograph chart's data grid, and its reset to the rainfall depth–duration grid.
#include "basin/chart_grid.hpp"

#include <cmath>
#include <limits>

#include "basin/runoff_fields.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace form3 = common::controls::form3;

void ChartGrid::setColumnCount(int columns) {
    if (columns < 0) throw common::invalidProcedureCall();
    columns_ = columns;
    for (auto& row : rows_) row.cells.resize(static_cast<std::size_t>(columns));
    notify();
}

void ChartGrid::setRowCount(int rows) {
    if (rows < 0) throw common::invalidProcedureCall();
    rows_.resize(static_cast<std::size_t>(rows));
    for (auto& row : rows_) {
        // Room for the column the next run adds, so that adding it moves no cells.
        row.cells.reserve(static_cast<std::size_t>(columns_) + 1);
        row.cells.resize(static_cast<std::size_t>(columns_));
    }
    notify();
}

void ChartGrid::setRow(int row) {
    if (row < 1 || row > rowCount()) throw common::invalidProcedureCall();
    row_ = row;
}

void ChartGrid::setColumn(int column) {
    if (column < 1 || column > columns_) throw common::invalidProcedureCall();
    column_ = column;
}

void ChartGrid::setData(const std::string& text) {
    if (row_ < 1 || row_ > rowCount() || column_ < 1 || column_ > columns_)
        throw common::invalidProcedureCall();
    rows_[static_cast<std::size_t>(row_ - 1)].cells[static_cast<std::size_t>(column_ - 1)] = text;
    notify();
}

void ChartGrid::setRowLabel(const std::string& text) {
    if (row_ < 1 || row_ > rowCount()) throw common::invalidProcedureCall();
    rows_[static_cast<std::size_t>(row_ - 1)].label = text;
    notify();
}

void ChartGrid::setLabelSpacing(int every) {
    labelSpacing_ = every;
    notify();
}

void resetChart(ChartGrid& chart, const RunoffFields& fields) {
    chart.setColumnCount(2);
    chart.setRowCount(0);
    chart.setLabelSpacing(0);
    for (int row = 1; row <= 8; ++row) {
        const int i = row - 1;
        float factor = common::readSingle(fields.text(RunoffFields::indexed(form3::txtArealAdj, i)));
        if (factor == 0.0f) factor = 1.0f;  // no areal reduction entered for this row
        const float depth =
            common::readSingle(fields.text(RunoffFields::indexed(form3::txtRain, i))) * factor;
        if (depth == 0.0f) break;
        chart.setRowCount(row);
        chart.setRow(row);
        chart.setRowLabel(fields.text(RunoffFields::indexed(form3::txtDuration, i)));
        chart.setColumn(1);
        chart.setData(common::generalText(depth));
        chart.setColumn(2);
        chart.setData("0");
    }
}

}  // namespace brelvo::basin
