// The choice of an imported temporal distribution: the quartile section and the probability column.
// Window-modal but not blocking, so the script runner drives it as a user does (`temporal ...` lines).
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "runoff/temporal_pattern.hpp"

class QComboBox;

namespace brelvo::app {

class TemporalDialog : public QDialog {
  public:
    TemporalDialog(runoff::TemporalFile file, QWidget* parent);

    // The choices as the lists offer them; false when the list has no such entry.
    bool chooseSection(const std::string& section);
    bool chooseProbability(const std::string& probability);
    std::string section() const;
    std::string probability() const;
    // The pattern of the current choice.
    std::optional<runoff::TemporalPattern> pattern() const;

    // Told the pattern when the user presses OK.
    std::function<void(const runoff::TemporalPattern&)> chosen;

  private:
    void fillProbabilities();

    runoff::TemporalFile file_;
    QComboBox* sections_ = nullptr;
    QComboBox* probabilities_ = nullptr;
};

}  // namespace brelvo::app
