// Chart grid and its reset: the rainfall grid's adjusted depths up to the first row without a depth.
#include "basin/chart_grid.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "basin/runoff_fields.hpp"
#include "common/failure.hpp"

namespace brelvo::basin {
namespace {

class ChartResetTest : public ::testing::Test {
  protected:
    ChartResetTest() { loadRunoffDefaults(fields); }

    // A chart as a compute run leaves it: three columns, twelve time rows, labels every 2.
    void plotSomething() {
        chart.setColumnCount(3);
        chart.setRowCount(12);
        chart.setLabelSpacing(2);
    }

    RunoffFields fields;
    ChartGrid chart;
};

TEST_F(ChartResetTest, DefaultGridGivesOneRow) {
    plotSomething();
    resetChart(chart, fields);
    EXPECT_EQ(chart.columnCount(), 2);
    EXPECT_EQ(chart.labelSpacing(), 0);
    ASSERT_EQ(chart.rowCount(), 1);
    EXPECT_EQ(chart.rows()[0].label, "1");
    EXPECT_EQ(chart.rows()[0].cells, (std::vector<std::string>{"1", "0"}));
}

TEST_F(ChartResetTest, FactorsScaleDepthsAndAMissingDepthEndsTheRows) {
    fields.setText("txtDuration(1)", "3");
    fields.setText("txtRain(1)", "2.4");
    fields.setText("txtArealAdj(1)", "0.5");
    fields.setText("txtDuration(2)", "6");
    fields.setText("txtRain(2)", "3");
    fields.setText("txtArealAdj(2)", "0");  // 0 counts as no reduction
    fields.setText("txtDuration(3)", "12");
    fields.setText("txtDuration(4)", "24");
    fields.setText("txtRain(4)", "5");  // after the row without a depth: not plotted
    resetChart(chart, fields);
    ASSERT_EQ(chart.rowCount(), 3);
    EXPECT_EQ(chart.rows()[0].cells[0], "1");
    EXPECT_EQ(chart.rows()[1].label, "3");
    EXPECT_EQ(chart.rows()[1].cells, (std::vector<std::string>{"1.2", "0"}));
    EXPECT_EQ(chart.rows()[2].label, "6");
    EXPECT_EQ(chart.rows()[2].cells, (std::vector<std::string>{"3", "0"}));

    fields.setText("txtRain(1)", "");
    resetChart(chart, fields);
    EXPECT_EQ(chart.rowCount(), 1);
}

TEST(ChartGrid, CellsKeepTheirPlacesAsColumnsAndRowsComeAndGo) {
    ChartGrid chart;
    chart.setColumnCount(2);
    chart.setRowCount(3);
    for (int row = 1; row <= 3; ++row) {
        chart.setRow(row);
        chart.setRowLabel("t" + std::to_string(row));
        for (int column = 1; column <= 2; ++column) {
            chart.setColumn(column);
            chart.setData(std::to_string(10 * row + column));
        }
    }
    // A third and a fourth column (past the room kept for one more) keep every cell and start empty.
    chart.setColumnCount(4);
    chart.setRow(2);
    chart.setColumn(4);
    chart.setData("a long text that does not fit a short string's own room");
    EXPECT_EQ(chart.rows()[1].cells,
              (std::vector<std::string>{"21", "22", "",
                                        "a long text that does not fit a short string's own room"}));
    EXPECT_EQ(chart.cell(2, 1), "32");
    EXPECT_EQ(chart.label(2), "t3");

    // Dropped columns and rows come back empty; the others keep their cells.
    chart.setColumnCount(1);
    chart.setRowCount(2);
    chart.setColumnCount(3);
    chart.setRowCount(4);
    const std::vector<ChartGrid::Row> rows = chart.rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"11", "", ""}));
    EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"21", "", ""}));
    EXPECT_EQ(rows[1].label, "t2");
    EXPECT_EQ(rows[2].cells, (std::vector<std::string>(3, "")));
    EXPECT_EQ(rows[3].label, "");

    // Past the grid is no cell.
    chart.setRow(4);
    EXPECT_THROW(chart.setColumn(4), common::RuntimeFailure);
    EXPECT_THROW(chart.setRow(5), common::RuntimeFailure);
}

}  // namespace
}  // namespace brelvo::basin
