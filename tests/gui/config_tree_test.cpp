#include <QStyle>
#include <QStyleOptionViewItem>

#include "common/profile.h"
#include "gui/config_tree.h"
#include "tests/gui/window_fixture.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::WindowTest;

enum class Where { CheckBox, Caption, SpaceKey };

// The point of an item's check box or caption, in the tree's viewport.
QPoint PointOf(CConfigTree* tree, QTreeWidgetItem* item, Where where) {
    tree->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(tree->viewport());
    option.rect = tree->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = item->text(0);
    option.font = tree->font();
    QStyle::SubElement element = where == Where::CheckBox ? QStyle::SE_ItemViewItemCheckIndicator
                                                          : QStyle::SE_ItemViewItemText;
    return tree->style()->subElementRect(element, &option, tree).center();
}

void Act(CConfigTree* tree, QTreeWidgetItem* item, Where where) {
    if (where == Where::SpaceKey) {
        tree->setCurrentItem(item);
        QTest::keyClick(tree, Qt::Key_Space);
    } else {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, PointOf(tree, item, where));
    }
}

std::string States(QTreeWidgetItem* group) {
    std::string s = group->checkState(0) == Qt::Checked ? "G" : "g";
    for (int i = 0; i < group->childCount(); ++i)
        s += group->child(i)->checkState(0) == Qt::Checked ? 'X' : '.';
    return s;
}

TEST_F(WindowTest, FirstStartShowsTheCatalogueExpandedWithTheCashierFallbacks) {
    Open();
    CConfigTree* tree = Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 6);
    const char* expected[] = {"G.......", "G..", "G..", "G..", "G.X", "G.X"};
    for (int g = 0; g < 6; ++g) {
        EXPECT_EQ(States(tree->GroupItem(g)), expected[g]) << g;
        EXPECT_TRUE(tree->GroupItem(g)->isExpanded());
    }
    EXPECT_EQ(tree->GroupItem(3)->text(0), QStringLiteral("淮北pos充值渠道"));
    EXPECT_EQ(tree->ChoiceItem(4, 1)->text(0), QStringLiteral("不显示"));
}

// Each row acts on the tree as the user would and checks what the user sees and the file.
TEST_F(WindowTest, TreeClicksHaveTheirNetEffects) {
    WriteProfileValue(kToolIni, kSettingSection, "PosNo", "1");
    Open();
    CConfigTree* tree = Tree();
    const struct {
        const char* what;
        int group;
        int choice;  // -1: the group item
        Where where;
        const char* states;  // group, then its choices
        const char* stored;  // PosNo or DepositType afterwards, as the group's key
    } rows[] = {
        {"group check box", 2, -1, Where::CheckBox, "GX.", "1"},
        {"group check box again", 2, -1, Where::CheckBox, "GX.", "1"},
        {"checked choice", 2, 0, Where::CheckBox, "GX.", "1"},
        {"unchecked choice", 2, 1, Where::CheckBox, "G.X", "2"},
        {"caption of an unchecked choice", 2, 0, Where::Caption, "G.X", "2"},
        {"space on an unchecked choice", 2, 0, Where::SpaceKey, "GX.", "1"},
        {"space on the checked choice", 2, 0, Where::SpaceKey, "GX.", "1"},
        {"space on a group", 2, -1, Where::SpaceKey, "GX.", "1"},
        {"first pick in an empty group", 0, 4, Where::CheckBox, "G....X..", "ALI_QR"},
        {"another pick", 0, 0, Where::CheckBox, "GX......", "ALL"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ConfigGroup& group = kConfigGroups[row.group];
        QTreeWidgetItem* item =
            row.choice < 0 ? tree->GroupItem(row.group) : tree->ChoiceItem(row.group, row.choice);
        std::string before = ReadFileBytes("Veltrano.ini");
        Act(tree, item, row.where);
        EXPECT_EQ(States(tree->GroupItem(row.group)), row.states);
        EXPECT_EQ(ReadProfileValue(group.file, group.section, group.key), row.stored);
        if (row.where == Where::Caption) {
            EXPECT_EQ(tree->currentItem(), item);
            EXPECT_EQ(ReadFileBytes("Veltrano.ini"), before);
        }
    }
}

TEST_F(WindowTest, CashierChoicesStoreTheirOppositeFlags) {
    Open();
    CConfigTree* tree = Tree();
    Act(tree, tree->ChoiceItem(4, 0), Where::CheckBox);
    EXPECT_EQ(ReadProfileValue(kLibraryIni, kSettingSection, "NORECHARGEDESKFLAG"), "0");
    Act(tree, tree->ChoiceItem(4, 1), Where::CheckBox);
    EXPECT_EQ(ReadProfileValue(kLibraryIni, kSettingSection, "NORECHARGEDESKFLAG"), "32768");
    Act(tree, tree->ChoiceItem(5, 0), Where::CheckBox);
    EXPECT_EQ(ReadProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK"), "1");
    Act(tree, tree->ChoiceItem(5, 1), Where::CheckBox);
    EXPECT_EQ(ReadProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK"), "0");
    EXPECT_EQ(States(tree->GroupItem(5)), "G.X");
}

}  // namespace
