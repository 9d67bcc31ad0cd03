// The graph list of the runoff window: the methods and the graph files that are there, then, below a
// separator, the files that are not, each marked "(not installed)". A marked entry stands for the
// bare file name, which is what the list's text becomes when it is chosen, and a typed or scripted
// name finds it.
#pragma once

#include <QString>
#include <string>

class QComboBox;

namespace brelvo::app {

// Fills an empty list with the graphs of the program's folder.
void fillGraphList(QComboBox& list, const std::string& programFolder);

// The name an entry stands for: its text, or the bare file name of a marked one.
QString graphEntryName(const QComboBox& list, int index);

// The entry of a list that stands for a name (its text, or the name a marked entry stands for), or -1.
int findListEntry(const QComboBox& list, const QString& name);

// Makes an entry the current one, with the list's text the name it stands for; gives that name.
QString chooseListEntry(QComboBox& list, int index);

}  // namespace brelvo::app
