#pragma once

#include <QTreeWidget>

#include <array>

#include "config/config_options.h"

// The six options as a two-level tree of check boxes. Group items always show checked; each
// group shows at most one checked choice, exactly one once a choice has been picked. Whatever
// toggles a check box (a click on it, the space key), the result is the same: picking an
// unchecked choice checks it, unchecks its siblings and reports it; anything else is undone.
class CConfigTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit CConfigTree(QWidget* parent = nullptr);

    // Fills the tree from the ini files and expands it; once, on an empty tree.
    void InitConfigTree();

    QTreeWidgetItem* GroupItem(std::size_t group) const { return m_hGroupItems[group]; }
    QTreeWidgetItem* ChoiceItem(std::size_t group, std::size_t choice) const {
        return m_hGroupItems[group]->child(static_cast<int>(choice));
    }

signals:
    // A choice the user picked, before the toggle's handling returns.
    void choicePicked(int group, int choice);

private:
    void FillConfigTree();
    void ExpandConfigTree();
    void OnNMClickConfigTree(QTreeWidgetItem* item);
    void CheckChoiceInGroup(QTreeWidgetItem* choice);
    void SetChecked(QTreeWidgetItem* item, bool checked);

    std::array<QTreeWidgetItem*, kConfigGroupCount> m_hGroupItems{};
    ConfigChoices m_checked;  // the checked choice of each group, as shown
    bool m_updating = false;
};
