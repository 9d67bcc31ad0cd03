// The precipitation-frequency import: the file dialog, the reader, the storm's dialog.
#include "app/storm_import.hpp"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "common/data_file.hpp"
#include "common/dialog_folders.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"

namespace brelvo::app {

namespace msg = common::msg;

namespace {

constexpr std::uintmax_t kMaxPrecipFileBytes = 4u << 20;

// A storm length as typed: one number above 0 (hours).
std::optional<double> typedHours(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    const common::BoxNumber read = common::readBoxNumber(s);
    if (read.reading != common::BoxReading::number || !(read.value > 0)) return std::nullopt;
    return common::leadingNumber(s);
}

}  // namespace

int preselectedReturnPeriod(const runoff::PrecipFrequencyTable& table, int last) {
    const auto& years = table.returnPeriods;
    for (int wanted : {last, 100}) {
        if (std::find(years.begin(), years.end(), wanted) != years.end()) return wanted;
    }
    return years.empty() ? 0 : years.front();
}

std::optional<StormChoice> askStormChoice(QWidget* parent, const runoff::PrecipFrequencyTable& table,
                                          const StormChoice& last) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("designStormDialog"));
    dialog.setWindowTitle(QString::fromLatin1(msg::kDesignStormTitle));
    auto* form = new QFormLayout(&dialog);
    auto* years = new QComboBox(&dialog);
    years->setObjectName(QStringLiteral("returnPeriod"));
    for (int y : table.returnPeriods) years->addItem(QString::number(y), y);
    years->setCurrentIndex(years->findData(preselectedReturnPeriod(table, last.returnPeriod)));
    form->addRow(QString::fromLatin1(msg::kDesignStormReturnPeriod), years);
    // The durations from 1 hour up, or a length typed.
    auto* hours = new QComboBox(&dialog);
    hours->setObjectName(QStringLiteral("stormHours"));
    hours->setEditable(true);
    for (double h : table.durationHours) {
        if (h >= 1) hours->addItem(QString::fromStdString(runoff::hoursText(h)));
    }
    hours->setCurrentText(QString::fromStdString(runoff::hoursText(last.hours > 0 ? last.hours : 24)));
    form->addRow(QString::fromLatin1(msg::kDesignStormHours), hours);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(hours, &QComboBox::currentTextChanged, &dialog, [buttons](const QString& text) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(typedHours(text).has_value());
        buttons->button(QDialogButtonBox::Ok)
            ->setToolTip(typedHours(text) ? QString() : QString::fromLatin1(msg::kDesignStormHoursRefused));
    });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const auto typed = typedHours(hours->currentText());
    if (!typed) return std::nullopt;
    return StormChoice{years->currentData().toInt(), *typed};
}

std::optional<StormImport> importPrecipFrequency(common::Dialogs& dialogs, const StormChoiceAsker& ask,
                                                 const StormChoice& last) {
    common::FileDialogRequest request;
    request.title = msg::kPrecipFrequencyOpenTitle;
    request.filter = msg::kPrecipFrequencyFilter;
    request.initialDir = common::dialogFolder();
    const auto path = common::askFile(dialogs, request, common::FileKind::storm);
    if (!path || path->empty()) return std::nullopt;
    std::string text;
    try {
        text = common::readDataFile(*path, kMaxPrecipFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        dialogs.message(common::failureText(failure));
        return std::nullopt;
    }
    runoff::PrecipFrequencyRead read = runoff::readPrecipFrequency(text, *path);
    if (!read.table) {
        dialogs.message(read.error);
        return std::nullopt;
    }
    if (!read.table->notes.empty()) {
        std::string said;
        for (const auto& note : read.table->notes) said += (said.empty() ? "" : "\n") + note;
        dialogs.message(said);
    }
    const auto choice = ask ? ask(*read.table, last) : std::nullopt;
    if (!choice) return std::nullopt;
    runoff::DesignStormRows storm = runoff::designStormRows(*read.table, choice->returnPeriod, choice->hours);
    if (!storm.error.empty()) {
        dialogs.message(storm.error);
        return std::nullopt;
    }
    return StormImport{std::move(*read.table), *choice, std::move(storm)};
}

}  // namespace brelvo::app
