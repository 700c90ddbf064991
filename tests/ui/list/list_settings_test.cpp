#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/fs.h"
#include "platform/ini.h"
#include "support/test_support.h"
#include "ui/list/list_settings.h"
#include "ui/list/rich_list_view.h"

TEST(ListSettings, DetailsIgnoreNegativeAndUnchangedValues) {
    int repaints = 0;
    Details details([&] { ++repaints; });
    details.SetHeight(-1);
    details.SetColumn(-3);
    details.SetHeight(16);
    details.SetVisible(false);
    EXPECT_EQ(details.Height(), 16);
    EXPECT_EQ(details.Column(), 0);
    EXPECT_EQ(repaints, 0);
    details.SetHeight(20);
    details.SetColumn(2);
    details.SetSplitLine(true);
    QFont font = details.Font();
    font.setBold(true);
    details.SetFont(font);
    EXPECT_EQ(details.Height(), 20);
    EXPECT_EQ(repaints, 4);
}

TEST(ListSettings, ColumnWidthsGoToColKeysWhenTheListCloses) {
    TempDir dir;
    SetDataDir(dir.path());
    {
        RichListView list;
        for (auto [caption, width] : {std::pair{"a", 75}, std::pair{"b", 400}, std::pair{"c", 0}})
            list.AddColumn(caption, width);
        list.ColumnSizes = {true, "widths.ini", "List", false, stInifile};
    }
    IniFile written(dir.path() / "widths.ini");
    EXPECT_EQ(written.Keys("List"), (QStringList{"col0", "col1", "col2"}));
    EXPECT_EQ(written.ReadInteger("List", "col1", -1), 400);
    EXPECT_EQ(written.ReadInteger("List", "col2", -1), 0);
    // Without a key, a section or Save nothing is written.
    EXPECT_FALSE(SaveColumnSizes({true, "", "List", false, stInifile}, {1}));
    EXPECT_FALSE(SaveColumnSizes({false, "other.ini", "List", false, stInifile}, {1}));
    EXPECT_FALSE(SaveColumnSizes({true, "other.ini", "", false, stRegistry}, {1}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "other.ini"));
    SetDataDir({});
}

TEST(ListSettings, StoredOnlyOptionsChangeNothingTheListDoes) {
    TempDir dir;
    SetDataDir(dir.path());
    const auto fill = [](RichListView& list) {
        list.AddColumn("A", 80);
        list.AddColumn("B", 80);
        list.Model().AppendRows({{"b", "2"}, {"a", "1"}});
        list.resize(200, 120);
    };
    RichListView plain;
    fill(plain);
    plain.show();
    QWidget form;
    auto* kept = new RichListView(&form);
    fill(*kept);
    kept->SizeWithForm = kept->SaveHeader = kept->LoadHeader = true;
    kept->PrintSettings.FitToPage = fpAlways;
    kept->PrintSettings.RepeatHeaders = true;
    kept->OnPrintPage = [](QPainter&, int, int, int) { ADD_FAILURE() << "printed a page"; };
    kept->OnPrintNewPage = [](int, bool&) { ADD_FAILURE() << "started a page"; };
    kept->OnFitToPage = [](double&, bool&) { ADD_FAILURE() << "fitted to a page"; };
    kept->OnPrintSetColumnWidth = [](int, int&) { ADD_FAILURE() << "set a print width"; };
    form.resize(300, 300);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (RichListView* list : {&plain, kept}) {
        list->SetSortColumn(1);
        list->SelectItemAt(0);
    }
    form.resize(600, 500);
    EXPECT_EQ(kept->size(), QSize(200, 120));
    EXPECT_EQ(kept->viewport()->grab().toImage(), plain.viewport()->grab().toImage());
    EXPECT_EQ(kept->header()->grab().toImage(), plain.header()->grab().toImage());
    delete kept;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    SetDataDir({});
}
