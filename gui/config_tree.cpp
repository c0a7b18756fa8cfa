#include "gui/config_tree.h"

#include "gui/gbk_qt.h"

CConfigTree::CConfigTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { OnNMClickConfigTree(item); });
}

void CConfigTree::InitConfigTree() {
    FillConfigTree();
    ExpandConfigTree();
}

void CConfigTree::SetChecked(QTreeWidgetItem* item, bool checked) {
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CConfigTree::FillConfigTree() {
    m_updating = true;
    m_checked = LoadConfigChoices();
    for (std::size_t g = 0; g < kConfigGroups.size(); ++g) {
        const ConfigGroup& group = kConfigGroups[g];
        auto* groupItem = new QTreeWidgetItem(this, QStringList(FromGbk(group.caption)));
        groupItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        SetChecked(groupItem, false);
        for (std::size_t c = 0; c < group.choices.size(); ++c) {
            auto* choice =
                new QTreeWidgetItem(groupItem, QStringList(FromGbk(group.choices[c].caption)));
            choice->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                             Qt::ItemNeverHasChildren);
            SetChecked(choice, m_checked[g] == c);
        }
        SetChecked(groupItem, true);
        m_hGroupItems[g] = groupItem;
    }
    m_updating = false;
}

void CConfigTree::ExpandConfigTree() { expandAll(); }

void CConfigTree::OnNMClickConfigTree(QTreeWidgetItem* item) {
    if (m_updating) return;
    m_updating = true;
    bool checked = item->checkState(0) == Qt::Checked;
    QTreeWidgetItem* parent = item->parent();
    if (parent == nullptr) {
        // A group item always shows checked.
        if (!checked) SetChecked(item, true);
    } else {
        auto group = static_cast<std::size_t>(indexOfTopLevelItem(parent));
        auto choice = static_cast<std::size_t>(parent->indexOfChild(item));
        if (!checked) {
            // The checked choice stays checked: nothing changes, nothing is stored.
            if (m_checked[group] == choice) SetChecked(item, true);
        } else if (m_checked[group] != choice) {
            CheckChoiceInGroup(item);
            m_checked[group] = choice;
            m_updating = false;
            emit choicePicked(static_cast<int>(group), static_cast<int>(choice));
            return;
        }
    }
    m_updating = false;
}

void CConfigTree::CheckChoiceInGroup(QTreeWidgetItem* choice) {
    QTreeWidgetItem* group = choice->parent();
    SetChecked(group, true);
    for (int i = 0; i < group->childCount(); ++i)
        if (group->child(i) != choice) SetChecked(group->child(i), false);
}
