// The quartile and probability of an imported temporal distribution.
#include "app/temporal_dialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <filesystem>

#include "common/messages.hpp"

namespace brelvo::app {

namespace {
QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

TemporalDialog::TemporalDialog(runoff::TemporalFile file, QWidget* parent)
    : QDialog(parent), file_(std::move(file)) {
    setObjectName(QStringLiteral("TemporalDialog"));
    setWindowTitle(qs(common::msg::kTemporalTitle));
    auto* layout = new QFormLayout(this);
    layout->addRow(new QLabel(qs(std::filesystem::path(file_.fileName).filename().string()), this));
    for (const std::string& line : file_.headerLines) layout->addRow(new QLabel(qs(line), this));
    sections_ = new QComboBox(this);
    sections_->setObjectName(QStringLiteral("cmbTemporalSection"));
    for (const runoff::TemporalSection& section : file_.sections) sections_->addItem(qs(section.name));
    probabilities_ = new QComboBox(this);
    probabilities_->setObjectName(QStringLiteral("cmbTemporalProbability"));
    layout->addRow(qs(common::msg::kTemporalSectionLabel), sections_);
    layout->addRow(qs(common::msg::kTemporalProbabilityLabel), probabilities_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    fillProbabilities();
    // The middle column (50% in NOAA's files) is the usual choice.
    probabilities_->setCurrentIndex(probabilities_->count() / 2);
    connect(sections_, &QComboBox::currentIndexChanged, this, [this] { fillProbabilities(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        const std::optional<runoff::TemporalPattern> kept = pattern();
        accept();
        if (kept && chosen) chosen(*kept);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TemporalDialog::fillProbabilities() {
    const QString before = probabilities_->currentText();
    probabilities_->clear();
    const int index = sections_->currentIndex();
    if (index < 0 || index >= static_cast<int>(file_.sections.size())) return;
    for (const std::string& column : file_.sections[static_cast<std::size_t>(index)].columns) {
        probabilities_->addItem(qs(column));
    }
    const int same = probabilities_->findText(before);
    if (same >= 0) probabilities_->setCurrentIndex(same);
}

bool TemporalDialog::chooseSection(const std::string& section) {
    const int index = sections_->findText(qs(section));
    if (index < 0) return false;
    sections_->setCurrentIndex(index);
    return true;
}

bool TemporalDialog::chooseProbability(const std::string& probability) {
    const int index = probabilities_->findText(qs(probability));
    if (index < 0) return false;
    probabilities_->setCurrentIndex(index);
    return true;
}

std::string TemporalDialog::section() const {
    return sections_->currentText().toStdString();
}
std::string TemporalDialog::probability() const {
    return probabilities_->currentText().toStdString();
}

std::optional<runoff::TemporalPattern> TemporalDialog::pattern() const {
    return runoff::temporalPattern(file_, section(), probability());
}

}  // namespace brelvo::app
