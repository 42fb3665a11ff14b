#pragma once

#include <QStringList>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Makes a tree widget a report list: check boxes, full-row single selection, grid lines, no
// editing, headers that do nothing when clicked, the given columns and widths.
void ConfigureReportList(QTreeWidget* list, const QStringList& columns,
                         const std::vector<int>& widths);

// Appends an unticked row; texts[0] is the row caption, the rest its sub-items.
QTreeWidgetItem* AppendReportRow(QTreeWidget* list, const QStringList& texts);

bool IsTicked(const QTreeWidgetItem* row);
void SetTicked(QTreeWidgetItem* row, bool ticked);
