// The precipitation-frequency reader against a real NOAA file and variants made from it, the design
// storm's eight rows, its title, the refusals' messages, and the kept table's tree.
#include "runoff/precip_frequency.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/numbers.hpp"
#include "runoff/storm_table_tree.hpp"

namespace brelvo::runoff {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

std::string fixture() {
    const auto path =
        std::filesystem::path(BRELVO_SOURCE_DIR) / "tests" / "e2e" / "fixtures" / "pfds_fort_myers.csv";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with one line (counted from 1) replaced.
std::string withLine(const std::string& text, int number, const std::string& line) {
    std::istringstream in(text);
    std::string out, current;
    for (int i = 1; std::getline(in, current); ++i) out += (i == number ? line : current) + "\n";
    return out;
}

std::string lineOf(const std::string& text, int number) {
    std::istringstream in(text);
    std::string current;
    for (int i = 1; std::getline(in, current); ++i) {
        if (i == number) return current;
    }
    return {};
}

const PrecipFrequencyTable& realTable() {
    static const PrecipFrequencyRead read = readPrecipFrequency(fixture(), "/data/pfds_fort_myers.csv");
    return read.table.value();
}

TEST(PrecipFrequencyReader, RealFileMetadataDurationsAndDepths) {
    const PrecipFrequencyRead read = readPrecipFrequency(fixture(), "/data/pfds_fort_myers.csv");
    ASSERT_TRUE(read.table) << read.error;
    const PrecipFrequencyTable& t = *read.table;
    EXPECT_EQ(t.fileName, "/data/pfds_fort_myers.csv");
    EXPECT_EQ(t.unit, "inches");
    EXPECT_EQ(t.volume, "NOAA Atlas 14 Volume 9 Version 2");
    EXPECT_EQ(t.seriesType, "Partial duration");
    EXPECT_EQ(t.projectArea, "Southeastern States");
    EXPECT_EQ(t.latitude, 26.6);
    EXPECT_EQ(t.longitude, -81.9);
    EXPECT_EQ(t.latitudeText, "26.6");
    EXPECT_EQ(t.longitudeText, "-81.9");
    EXPECT_EQ(t.returnPeriods, (std::vector<int>{1, 2, 5, 10, 25, 50, 100, 200, 500, 1000}));
    EXPECT_EQ(t.durations,
              (std::vector<std::string>{"5-min", "10-min", "15-min", "30-min", "60-min", "2-hr", "3-hr",
                                        "6-hr", "12-hr", "24-hr", "2-day", "3-day", "4-day", "7-day",
                                        "10-day", "20-day", "30-day", "45-day", "60-day"}));
    EXPECT_EQ(t.durationHours, (std::vector<double>{5 / 60.0, 10 / 60.0, 0.25, 0.5, 1, 2, 3, 6, 12, 24, 48,
                                                    72, 96, 168, 240, 480, 720, 1080, 1440}));
    ASSERT_EQ(t.depthText.size(), 19u);
    for (const auto& row : t.depthText) EXPECT_EQ(row.size(), 10u);
    EXPECT_EQ(t.depthText[0][0], "0.553");  // 5-min, 1-year
    EXPECT_EQ(t.depthText[2][0], "0.988");  // 15-min, 1-year
    EXPECT_EQ(t.depthText[7][4], "6.16");   // 6-hr, 25-year
    EXPECT_EQ(t.depthText[9][6], "12.1");   // 24-hr, 100-year
    EXPECT_EQ(t.depthText[5][3], "3.90");   // 2-hr, 10-year: the trailing zero kept
    EXPECT_EQ(t.depthText[18][9], "41.5");  // 60-day, 1000-year
    EXPECT_TRUE(t.notes.empty());
}

TEST(PrecipFrequencyReader, VariantsAnnualMaximumMillimetresBoundsAndLineEnds) {
    // Annual maximum: return periods as "'1/y", the 1-year column absent.
    std::string annual = withLine(fixture(), 4, "Time series type: Annual maximum");
    annual =
        withLine(annual, 14,
                 "by duration for AEP (1-in-y):, '1/2,'1/5,'1/10,'1/25,'1/50,'1/100,'1/200,'1/500,'1/1000");
    for (int line = 15; line <= 33; ++line) {
        std::string row = lineOf(annual, line);
        const auto first = row.find(", ");
        row.erase(first + 2, row.find(',', first + 2) - first - 1);
        annual = withLine(annual, line, row);
    }
    const PrecipFrequencyRead am = readPrecipFrequency(annual, "am.csv");
    ASSERT_TRUE(am.table) << am.error;
    EXPECT_EQ(am.table->seriesType, "Annual maximum");
    EXPECT_EQ(am.table->returnPeriods, (std::vector<int>{2, 5, 10, 25, 50, 100, 200, 500, 1000}));
    EXPECT_EQ(am.table->depthText[9][5], "12.1");  // 24-hr, 100-year
    EXPECT_EQ(am.table->depthText[0][0], "0.620");

    // Millimetres: converted exactly (mm / 25.4 in double), the shortest text that reads back.
    const std::string mm =
        "Point precipitation frequency estimates (millimeters)\nNOAA Atlas 14 Volume 9 Version 2\n"
        "\nby duration for ARI (years):, 2,100\n5-min:, 14.0,25.4\n60-min:, 60.5,111\n";
    const PrecipFrequencyRead metric = readPrecipFrequency(mm, "mm.csv");
    ASSERT_TRUE(metric.table) << metric.error;
    EXPECT_EQ(metric.table->unit, "millimeters");
    EXPECT_EQ(metric.table->depthText,
              (std::vector<std::vector<std::string>>{{"0.5511811023622047", "1"},
                                                     {"2.3818897637795278", "4.3700787401574805"}}));
    EXPECT_EQ(std::stod(metric.table->depthText[1][1]), 111 / 25.4);
    EXPECT_EQ(std::stod(metric.table->depthText[0][0]), 14.0 / 25.4);

    // The confidence bounds after the estimates are not used, and said so; the estimates are unchanged.
    std::string bounds = fixture();
    bounds.insert(
        bounds.find("\nDate/time"),
        "\nUpper bound of the 90% confidence interval\nby duration for ARI (years):, 1,2\n5-min:, 9,9\n"
        "\nLower bound of the 90% confidence interval,,\nby duration for ARI (years):, 1,2\n5-min:, 0,0\n");
    const PrecipFrequencyRead withBounds = readPrecipFrequency(bounds, "b.csv");
    ASSERT_TRUE(withBounds.table) << withBounds.error;
    EXPECT_EQ(withBounds.table->depthText, realTable().depthText);
    EXPECT_EQ(
        withBounds.table->notes,
        (std::vector<std::string>{"Not used: \"Upper bound of the 90% confidence interval\" (line 35).",
                                  "Not used: \"Lower bound of the 90% confidence interval\" (line 39)."}));

    // CR LF line ends read the same.
    std::string crlf;
    for (char c : fixture()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const PrecipFrequencyRead dos = readPrecipFrequency(crlf, "/data/pfds_fort_myers.csv");
    ASSERT_TRUE(dos.table) << dos.error;
    EXPECT_EQ(*dos.table, realTable());
}

TEST(PrecipFrequencyReader, RefusalsNameTheFileTheLineAndItsText) {
    auto error = [](const std::string& text) {
        const PrecipFrequencyRead read = readPrecipFrequency(text, "/home/u/site.csv");
        EXPECT_FALSE(read.table);
        return read.error;
    };
    EXPECT_EQ(error(withLine(fixture(), 1, "Point precipitation frequency estimates (in/hr)")),
              "\"site.csv\" holds precipitation intensities (in/hr), not depths. Download the table of "
              "precipitation depths for the point and import that.");
    EXPECT_EQ(error(withLine(fixture(), 3, "Data type: Precipitation intensity")),
              "\"site.csv\" holds precipitation intensities (in/hr), not depths. Download the table of "
              "precipitation depths for the point and import that.");
    EXPECT_EQ(
        error("Point precipitation frequency estimates (inches)\nNOAA Atlas 14 Volume 9 Version 2\n\n"
              "Error: Selected location is not within a project area\n"),
        "site.csv, line 4: \"Error: Selected location is not within a project area\"\nThe file holds no "
        "precipitation frequency estimates: the point lies outside the areas the estimates cover.");
    EXPECT_EQ(
        error(fixture().substr(0, fixture().find("PRECIPITATION FREQUENCY ESTIMATES"))),
        "\"site.csv\" holds no precipitation frequency table: no line \"by duration for ARI (years):\" (or "
        "\"by duration for AEP (1-in-y):\") followed by the durations' rows.");
    EXPECT_EQ(error(""), error("\n\n"));
    EXPECT_EQ(
        error(withLine(fixture(), 1, "Point precipitation frequency estimates (cm)")),
        "site.csv, line 1: \"Point precipitation frequency estimates (cm)\"\nThe first line must name the "
        "depths' unit in parentheses: (inches) or (millimeters).");
    const std::string rowRule =
        "\nA row must be a duration (\"5-min:\" to \"60-day:\", longer than the row above) "
        "and 10 depths, one for each return period.";
    // A depth that is no number, a missing depth, a negative depth, a duration out of order, no label.
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.O9,7.28,9.05,10.5,12.1,13.7,16.1,18.0")),
              "site.csv, line 24: \"24-hr:, 4.01,4.76,6.O9,7.28,9.05,10.5,12.1,13.7,16.1,18.0\"" + rowRule);
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,12.1,13.7,16.1")),
              "site.csv, line 24: \"24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,12.1,13.7,16.1\"" + rowRule);
    EXPECT_EQ(
        error(withLine(fixture(), 15, "5-min:, -0.553,0.620,0.731,0.822,0.950,1.05,1.15,1.25,1.38,1.48")),
        "site.csv, line 15: the 5-min 1-year depth \"-0.553\" is not above 0.");
    EXPECT_EQ(error(withLine(fixture(), 16, "5-min:, 0.810,0.908,1.07,1.20,1.39,1.54,1.68,1.83,2.02,2.17")),
              "site.csv, line 16: \"5-min:, 0.810,0.908,1.07,1.20,1.39,1.54,1.68,1.83,2.02,2.17\"" + rowRule);
    EXPECT_EQ(error(withLine(fixture(), 17, "garbage")), "site.csv, line 17: \"garbage\"" + rowRule);
    EXPECT_EQ(
        error(withLine(fixture(), 14, "by duration for ARI (years):, 1,2,x")),
        "site.csv, line 14: \"by duration for ARI (years):, 1,2,x\"\nThis line of the table cannot be read.");
    EXPECT_EQ(error(withLine(fixture(), 8, "Latitude: north Degree")),
              "site.csv, line 8: \"Latitude: north Degree\"\nThis line of the table cannot be read.");
}

TEST(PrecipFrequencyReader, DepthsThatCannotBeOrThatFallAreRefusedByName) {
    auto error = [](const std::string& text) {
        const PrecipFrequencyRead read = readPrecipFrequency(text, "/home/u/site.csv");
        EXPECT_FALSE(read.table);
        return read.error;
    };
    // A 100-year 24-hour depth below the 12-hour one (a 2.1-inch storm).
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,2.1,13.7,16.1,18.0")),
              "site.csv, line 24: the 24-hr 100-year depth \"2.1\" is below the 12-hr depth \"10.1\" (line "
              "23): a depth cannot fall as the duration grows.");
    // Within a duration, the 100-year depth below the 50-year one.
    EXPECT_EQ(error(withLine(fixture(), 23, "12-hr:, 3.49,4.18,5.35,6.36,7.79,8.94,8.90,11.3,13.0,14.3")),
              "site.csv, line 23: the 12-hr 100-year depth \"8.90\" is below the 50-year depth \"8.94\": a "
              "depth cannot fall as the return period grows.");
    // Zero, negative zero and subnormal depths (as written and after millimetres become inches).
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,0,13.7,16.1,18.0")),
              "site.csv, line 24: the 24-hr 100-year depth \"0\" is not above 0.");
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,12.1,13.7,16.1,-0")),
              "site.csv, line 24: the 24-hr 1000-year depth \"-0\" is not above 0.");
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,1e-320,13.7,16.1,18.0")),
              "site.csv, line 24: the 24-hr 100-year depth \"1e-320\" is too small to compute with.");
    EXPECT_EQ(error(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,1e-400,13.7,16.1,18.0")),
              "site.csv, line 24: the 24-hr 100-year depth \"1e-400\" is too small to compute with.");
    const std::string mm =
        withLine(withLine(fixture(), 1, "Point precipitation frequency estimates (millimeters)"), 15,
                 "5-min:, 3e-308,15.7,18.6,20.9,24.1,26.7,29.2,31.8,35.1,37.6");
    EXPECT_EQ(error(mm),
              "site.csv, line 15: the 5-min 1-year depth \"3e-308\" is too small to compute with.");
    // The first fault in the file's order is the one named; equal depths are no fall.
    EXPECT_EQ(
        error(withLine(withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,0,13.7,16.1,18.0"), 19,
                       "60-min:, 2.14,2.38,2.79,3.13,3.62,4.00,4.38,4.78,5.32,1.0")),
        "site.csv, line 19: the 60-min 1000-year depth \"1.0\" is below the 30-min depth \"4.28\" (line "
        "18): a depth cannot fall as the duration grows.");
    EXPECT_TRUE(
        readPrecipFrequency(
            withLine(fixture(), 24, "24-hr:, 4.01,4.76,6.09,7.28,9.05,10.5,10.5,13.7,16.1,18.0"), "site.csv")
            .table);
}

TEST(DesignStorm, EightRowsOfTwentyFourAndSixHoursAndTheTitle) {
    const DesignStormRows day = designStormRows(realTable(), 100, 24);
    EXPECT_EQ(day.error, "");
    EXPECT_EQ(day.rows, (Rows{{"0.25", "2.05"},
                              {"0.5", "3.31"},
                              {"1", "4.38"},
                              {"2", "5.46"},
                              {"3", "6.11"},
                              {"6", "7.75"},
                              {"12", "10.1"},
                              {"24", "12.1"}}));
    EXPECT_EQ(day.title2, "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year");

    const DesignStormRows six = designStormRows(realTable(), 10, 6);
    EXPECT_EQ(six.rows, (Rows{{"0.083333336", "0.822"},
                              {"0.16666667", "1.20"},
                              {"0.25", "1.47"},
                              {"0.5", "2.37"},
                              {"1", "3.13"},
                              {"2", "3.90"},
                              {"3", "4.30"},
                              {"6", "5.18"}}));
    EXPECT_EQ(six.title2, "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 10-year");
    // The site's degrees as the file gives them, four decimals or one, never rounded to a tenth.
    const std::string denver =
        withLine(withLine(fixture(), 8, "Latitude: 39.7392 Degree"), 9, "Longitude: -104.9903 Degree");
    const PrecipFrequencyRead read = readPrecipFrequency(denver, "site.csv");
    ASSERT_TRUE(read.table) << read.error;
    EXPECT_EQ(sitePlace(*read.table), "39.7392 N 104.9903 W");
    EXPECT_EQ(designStormTitle(*read.table, 25),
              "NOAA Atlas 14 Volume 9 Version 2, 39.7392 N 104.9903 W, 25-year");
    EXPECT_EQ(sitePlace(realTable()), "26.6 N 81.9 W");
    // The 5- and 10-minute texts are what the Hours box reads as the single nearest 5/60 and 10/60 hour.
    EXPECT_EQ(common::readBoxNumber(six.rows[0].first).value, static_cast<float>(5 / 60.0));
    EXPECT_EQ(common::readBoxNumber(six.rows[1].first).value, static_cast<float>(10 / 60.0));

    // Shorter than eight durations; two days; south and east by sign.
    EXPECT_EQ(designStormRows(realTable(), 2, 0.25).rows,
              (Rows{{"0.083333336", "0.620"}, {"0.16666667", "0.908"}, {"0.25", "1.11"}}));
    EXPECT_EQ(designStormRows(realTable(), 1000, 48).rows.front(),
              (std::pair<std::string, std::string>{"0.5", "4.28"}));
    PrecipFrequencyTable south = realTable();
    south.latitude = -33.9, south.latitudeText = "-33.9", south.longitude = 151.2,
    south.longitudeText = "151.2";
    EXPECT_EQ(designStormTitle(south, 5), "NOAA Atlas 14 Volume 9 Version 2, 33.9 S 151.2 E, 5-year");

    EXPECT_EQ(designStormRows(realTable(), 3, 24).error,
              "The precipitation frequency table has no 3-year return period.");
    EXPECT_EQ(designStormRows(realTable(), 100, 5).error,
              "The precipitation frequency table has no duration of 5 hours: choose a storm length among its "
              "durations.");
    EXPECT_TRUE(designStormRows(realTable(), 100, 5).rows.empty());
}

TEST(DesignStorm, AppliedThroughTheFieldsChangeHandlers) {
    basin::RunoffFields fields;
    for (int i = 0; i < 8; ++i) {
        fields.setText(basin::RunoffFields::indexed("txtDuration", i), "9");
        fields.setText(basin::RunoffFields::indexed("txtRain", i), "9");
    }
    std::vector<std::string> changed;
    fields.onChange("txtTile2", [&] { changed.push_back(fields.text("txtTile2")); });
    fields.onChange("txtDuration(2)", [&] { changed.push_back(fields.text("txtDuration(2)")); });
    applyDesignStorm(fields, designStormRows(realTable(), 25, 0.25));
    EXPECT_EQ(changed,
              (std::vector<std::string>{"0.25", "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 25-year"}));
    EXPECT_EQ(fields.text("txtDuration(0)"), "0.083333336");
    EXPECT_EQ(fields.text("txtRain(2)"), "1.70");
    for (int i = 3; i < 8; ++i) {
        EXPECT_EQ(fields.text(basin::RunoffFields::indexed("txtDuration", i)), "");
        EXPECT_EQ(fields.text(basin::RunoffFields::indexed("txtRain", i)), "");
    }
    // A refused storm writes nothing.
    applyDesignStorm(fields, designStormRows(realTable(), 7, 24));
    EXPECT_EQ(fields.text("txtRain(2)"), "1.70");
    EXPECT_EQ(changed.size(), 2u);
}

TEST(StormTableTree, RoundTripAndDamagedValuesNamed) {
    const KeptStormTable kept{realTable(), 100, 24};
    const common::ValueTree tree = stormTableTree(kept);
    EXPECT_EQ(readStormTableTree(common::TreeReader(tree, "runoff.stormTable.")), kept);

    auto refusal = [](common::ValueTree damaged) {
        try {
            (void)readStormTableTree(common::TreeReader(damaged, "runoff.stormTable."));
        } catch (const common::TreeError& e) {
            return std::string(e.what());
        }
        return std::string("read");
    };
    common::ValueTree t = tree;
    common::ValueTree rows = *t.find("depths");
    common::ValueTree row = rows.asList()[3];
    common::ValueTree badRow = common::ValueTree::list(row.asList());
    common::ValueTree::List cells = row.asList();
    cells[2] = common::ValueTree::text("two");
    common::ValueTree::List allRows = rows.asList();
    allRows[3] = common::ValueTree::list(cells);
    t.set("depths", common::ValueTree::list(allRows));
    EXPECT_EQ(refusal(t), "the value \"runoff.stormTable.depths\" is not a table of the Storm menu's import");
    t = tree;
    t.set("durations",
          common::ValueTree::list({common::ValueTree::text("2-hr"), common::ValueTree::text("1-hr")}));
    EXPECT_EQ(refusal(t),
              "the value \"runoff.stormTable.durations\" is not a table of the Storm menu's import");
    t = tree;
    t.set("unit", common::ValueTree::text("in/hr"));
    EXPECT_EQ(refusal(t), "the value \"runoff.stormTable.unit\" is not a table of the Storm menu's import");
    t = tree;
    t.set("returnPeriods", common::ValueTree::list({common::ValueTree::number(2.5)}));
    EXPECT_EQ(refusal(t),
              "the value \"runoff.stormTable.returnPeriods\" holds an entry that is not a whole number");
    // A kept table holds the file's rules too: no zero depth, no depth that falls.
    for (const char* depth : {"0", "1e-320", "0.1"}) {
        cells = row.asList();
        cells[2] = common::ValueTree::text(depth);
        allRows = rows.asList();
        allRows[3] = common::ValueTree::list(cells);
        t = tree;
        t.set("depths", common::ValueTree::list(allRows));
        EXPECT_EQ(refusal(t),
                  "the value \"runoff.stormTable.depths\" is not a table of the Storm menu's import")
            << depth;
    }
    t = tree;
    t.set("latitude", common::ValueTree::text("95"));
    EXPECT_EQ(refusal(t), "the value \"runoff.stormTable.latitude\" is out of range");
}

}  // namespace
}  // namespace brelvo::runoff
