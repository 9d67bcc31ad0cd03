// The graph list: graphs present first, the others below a separator, marked.
#include "app/graph_list.hpp"

#include <QComboBox>
#include <string>

#include "common/messages.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::app {

void fillGraphList(QComboBox& list, const std::string& programFolder) {
    const runoff::GraphChoices choices = runoff::graphChoices(programFolder);
    for (const std::string& name : choices.present) list.addItem(QString::fromStdString(name));
    if (choices.absent.empty()) return;
    list.insertSeparator(list.count());
    for (const std::string& name : choices.absent) {
        list.addItem(QString::fromStdString(name + std::string(common::msg::kGraphNotInstalled)),
                     QString::fromStdString(name));
    }
}

QString graphEntryName(const QComboBox& list, int index) {
    const QVariant name = list.itemData(index);
    return name.isValid() ? name.toString() : list.itemText(index);
}

int findListEntry(const QComboBox& list, const QString& name) {
    for (int i = 0; i < list.count(); ++i) {
        if (!list.itemText(i).isEmpty() && graphEntryName(list, i) == name) return i;
    }
    return -1;
}

QString chooseListEntry(QComboBox& list, int index) {
    if (list.currentIndex() != index) list.setCurrentIndex(index);
    const QString name = graphEntryName(list, index);
    if (list.currentText() != name) list.setEditText(name);
    return name;
}

}  // namespace brelvo::app
