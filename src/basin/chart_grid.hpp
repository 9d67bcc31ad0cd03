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
    struct Row {
        std::string label;
        std::vector<std::string> cells;  // one per data column, "" until written
    };

    int columnCount() const { return columns_; }
    void setColumnCount(int columns);
    int rowCount() const { return static_cast<int>(rows_.size()); }
    void setRowCount(int rows);

    // Rows and columns are numbered from 1, as the charting component numbers them.
    void setRow(int row);
    void setColumn(int column);
    void setData(const std::string& text);      // the current cell
    void setRowLabel(const std::string& text);  // the current row's label

    // Labels and ticks every N categories (0: the component's own spacing).
    int labelSpacing() const { return labelSpacing_; }
    void setLabelSpacing(int every);

    const std::vector<Row>& rows() const { return rows_; }

    // Told after every change, so that a view can redraw.
    std::function<void()> changed;

  private:
    void notify() {
        if (changed) changed();
    }
    int columns_ = 0;
    std::vector<Row> rows_;
    int row_ = 1;
    int column_ = 1;
    int labelSpacing_ = 0;
};

// Clears the chart to the rainfall grid: two data columns, and for each grid row up to the first one
// without a depth a row labelled with its duration holding the depth times its areal factor (inches)
// and 0. The caller's hydrograph is then no longer plotted.
void resetChart(ChartGrid& chart, const RunoffFields& fields);

}  // namespace brelvo::basin
