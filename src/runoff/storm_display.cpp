// Keeping the typed depth-duration table aside while a storm file is shown in its place.
#include "runoff/storm_display.hpp"

#include <cstddef>

#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/dialog_folders.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::runoff {

namespace form3 = common::controls::form3;

namespace {

constexpr int kTableRows = 8;

// A storm file is at most 32,759 lines of a few fields; anything far larger is not one, and reading it
// whole would only exhaust memory.
constexpr std::uintmax_t kMaxStormFileBytes = common::kMaxProjectFileBytes;

struct Box {
    std::string name;
    bool caption = false;
};

// The time step's label comes before the step, so that a step brought back is read in its own unit.
const std::vector<Box>& displayBoxes() {
    static const std::vector<Box> boxes = [] {
        std::vector<Box> list;
        list.push_back({std::string(form3::Label14), true});
        list.push_back({std::string(form3::txtGraphtimestep), false});
        for (int i = 0; i < kTableRows; ++i) {
            list.push_back({basin::RunoffFields::indexed(form3::txtDuration, i), false});
            list.push_back({basin::RunoffFields::indexed(form3::txtRain, i), false});
        }
        list.push_back({std::string(form3::txtTile2), false});
        return list;
    }();
    return boxes;
}

}  // namespace

std::vector<std::string> stormDisplayTexts(const basin::RunoffFields& fields) {
    std::vector<std::string> texts;
    for (const Box& box : displayBoxes())
        texts.push_back(box.caption ? fields.caption(box.name) : fields.text(box.name));
    return texts;
}

TypedRainTable keepTypedTable(const std::optional<TypedRainTable>& earlier,
                              const std::vector<std::string>& before, const basin::RunoffFields& fields) {
    TypedRainTable kept{before, stormDisplayTexts(fields)};
    if (!earlier) return kept;
    for (std::size_t i = 0; i < kept.typed.size(); ++i) {
        if (before[i] == earlier->shown[i]) kept.typed[i] = earlier->typed[i];
    }
    return kept;
}

void restoreTypedTable(std::optional<TypedRainTable>& kept, basin::RunoffFields& fields) {
    if (!kept) return;
    const TypedRainTable table = std::move(*kept);
    kept.reset();
    const std::vector<Box>& boxes = displayBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const Box& box = boxes[i];
        const std::string& now = box.caption ? fields.caption(box.name) : fields.text(box.name);
        if (now != table.shown[i]) continue;
        if (box.caption) {
            fields.setCaption(box.name, table.typed[i]);
        } else {
            fields.setText(box.name, table.typed[i]);
        }
    }
}

std::optional<StormFileText> chooseStormFile(common::Dialogs& dialogs, const std::string& programFolder,
                                             const std::string& keptFile) {
    const std::optional<std::string> chosen = common::askKeptFileToOpen(
        dialogs, common::FileKind::storm, keptFile, programFolder, std::string(common::msg::kStormFilter));
    if (!chosen) return std::nullopt;

    std::string text = common::readDataFile(*chosen, kMaxStormFileBytes);
    return StormFileText{std::move(text), *chosen};
}

std::string stormFileTitle(const std::string& fullPath) {
    return "Storm file " + fullPath;
}

void showStormFile(basin::RunoffFields& fields, float stepHours, const std::string& fullPath) {
    for (int i = 0; i < kTableRows; ++i) {
        fields.setText(basin::RunoffFields::indexed(form3::txtDuration, i), "");
        fields.setText(basin::RunoffFields::indexed(form3::txtRain, i), "");
    }
    fields.setText(form3::txtGraphtimestep, common::generalText(stepHours));
    fields.setCaption(form3::Label14, "Hydrograph Time Step (hours)");
    fields.setText(form3::txtTile2, stormFileTitle(fullPath));
}

}  // namespace brelvo::runoff
