// The hydrograph chart as a data grid: data columns (series) and rows (time categories with a text
// label), each cell a number given as text, and a current row and column as the charting component
// offers them. The Qt chart view draws from it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brelvo::basin {

class RunoffFields;

class ChartGrid {
  public:
    // A row as a copy, for dumps and checks.
    struct Row {
        std::string label;
        std::vector<std::string> cells;  // one per data column, "" until written
    };

    int columnCount() const { return columns_; }
    void setColumnCount(int columns);
    int rowCount() const { return static_cast<int>(labels_.size()); }
    void setRowCount(int rows);

    // Rows and columns are numbered from 1, as the charting component numbers them.
    void setRow(int row);
    void setColumn(int column);
    void setData(const std::string& text);      // the current cell
    void setRowLabel(const std::string& text);  // the current row's label

    // Labels and ticks every N categories (0: the component's own spacing).
    int labelSpacing() const { return labelSpacing_; }
    void setLabelSpacing(int every);

    // A row's label and a cell, numbered from 0 here; "" until written.
    const std::string& label(int row) const { return labels_[static_cast<std::size_t>(row)]; }
    const std::string& cell(int row, int column) const {
        return cells_[static_cast<std::size_t>(row) * stride_ + static_cast<std::size_t>(column)];
    }
    // Every row, copied.
    std::vector<Row> rows() const;

    // Told after every change, so that a view can redraw.
    std::function<void()> changed;

  private:
    void notify() {
        if (changed) changed();
    }
    // Lays the cells out again `stride` to a row, keeping every cell of the first `keep` columns.
    void relayout(std::size_t stride, std::size_t keep);

    int columns_ = 0;
    // The labels, and the cells row after row with room for stride_ columns in each: a hydrograph of
    // thousands of rows is two blocks of short texts, not a block per row.
    std::vector<std::string> labels_;
    std::vector<std::string> cells_;
    std::size_t stride_ = 0;
    int row_ = 1;
    int column_ = 1;
    int labelSpacing_ = 0;
};

// Clears the chart to the rainfall grid: two data columns, and for each grid row up to the first one
// without a depth a row labelled with its duration holding the depth times its areal factor (inches)
// and 0. The caller's hydrograph is then no longer plotted.
void resetChart(ChartGrid& chart, const RunoffFields& fields);

}  // namespace brelvo::basin
