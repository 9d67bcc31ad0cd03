// The hydrograph chart's data grid, and its reset to the rainfall depth–duration grid.
#include "basin/chart_grid.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "basin/runoff_fields.hpp"
#include "common/control_names.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"

namespace brelvo::basin {

namespace form3 = common::controls::form3;

void ChartGrid::relayout(std::size_t stride, std::size_t keep) {
    std::vector<std::string> cells(labels_.size() * stride);
    for (std::size_t r = 0; r < labels_.size(); ++r) {
        for (std::size_t c = 0; c < keep; ++c) cells[r * stride + c] = std::move(cells_[r * stride_ + c]);
    }
    cells_ = std::move(cells);
    stride_ = stride;
}

void ChartGrid::setColumnCount(int columns) {
    if (columns < 0) throw common::invalidProcedureCall();
    const auto wanted = static_cast<std::size_t>(columns);
    const auto kept = std::min(wanted, static_cast<std::size_t>(columns_));
    if (wanted > stride_) {
        relayout(wanted + 1, kept);  // and room for the column the next run adds
    } else if (kept < static_cast<std::size_t>(columns_)) {
        // Cells past the column count are always "": the columns dropped are cleared, so that they read
        // "" when they come back.
        for (std::size_t r = 0; r < labels_.size(); ++r) {
            for (std::size_t c = kept; c < static_cast<std::size_t>(columns_); ++c)
                cells_[r * stride_ + c].clear();
        }
    }
    columns_ = columns;
    notify();
}

void ChartGrid::setRowCount(int rows) {
    if (rows < 0) throw common::invalidProcedureCall();
    // Room for the column the next run adds, so that adding it moves no cells.
    const std::size_t stride = static_cast<std::size_t>(columns_) + 1;
    if (stride_ < stride) relayout(stride, static_cast<std::size_t>(columns_));
    labels_.resize(static_cast<std::size_t>(rows));
    cells_.resize(labels_.size() * stride_);
    notify();
}

std::vector<ChartGrid::Row> ChartGrid::rows() const {
    std::vector<Row> rows(labels_.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r].label = labels_[r];
        const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(r * stride_);
        rows[r].cells.assign(first, first + columns_);
    }
    return rows;
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
    cells_[static_cast<std::size_t>(row_ - 1) * stride_ + static_cast<std::size_t>(column_ - 1)] = text;
    notify();
}

void ChartGrid::setRowLabel(const std::string& text) {
    if (row_ < 1 || row_ > rowCount()) throw common::invalidProcedureCall();
    labels_[static_cast<std::size_t>(row_ - 1)] = text;
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
