#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>

#include "ui/list/rich_header_view.h"
#include "ui/list/rich_list_view.h"

namespace {

// A shown list of two columns, 120 pixels each.
struct Shown {
    RichListView list;
    QAbstractItemModelTester tester{&list.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};

    explicit Shown(const std::vector<QStringList>& rows) {
        list.AddColumn("A", 120);
        list.AddColumn("B", 120);
        list.Model().AppendRows(rows);
        list.resize(300, 200);
        list.show();
    }
    QImage Cell(int row, int column) { return list.viewport()->grab(list.CellRect(row, column)).toImage(); }
    // The colour at the cell's left edge, where no text is drawn.
    QColor Background(int row, int column) {
        const QRect cell = list.CellRect(row, column);
        return list.viewport()->grab().toImage().pixelColor(cell.left() + 1, cell.center().y());
    }
};

// The part of a cell image that differs from its top-left pixel.
QImage Ink(const QImage& image) {
    const QColor background = image.pixelColor(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) box |= QRect(x, y, 1, 1);
    return image.copy(box);
}

} // namespace

TEST(RichListPaint, SelectionColoursWinOverTheCellColour) {
    Shown s({{"a", "bag"}, {"b", "bag"}});
    int calls = 0;
    s.list.OnDrawItemProp = [&](int, int subItem, int, CellStyle& cell, const QString& text) {
        ++calls;
        EXPECT_EQ(subItem == 0, text == "bag");
        if (subItem == 0) cell.Brush = QColor(200, 30, 30);
    };
    s.list.SelectionColor = QColor(10, 20, 160);
    EXPECT_EQ(s.Background(0, 1), QColor(200, 30, 30));
    EXPECT_EQ(s.Background(0, 0), s.list.palette().color(QPalette::Base));
    EXPECT_GT(calls, 0);
    s.list.SelectItemAt(0);
    EXPECT_EQ(s.Background(0, 1), QColor(10, 20, 160));
    EXPECT_EQ(s.Background(0, 0), QColor(10, 20, 160));
    EXPECT_EQ(s.Background(1, 1), QColor(200, 30, 30));
    // Without whole-row highlighting only the caption cell shows the selection.
    s.list.RowSelect = false;
    EXPECT_EQ(s.Background(0, 1), QColor(200, 30, 30));
    EXPECT_EQ(s.Background(0, 0), QColor(10, 20, 160));
    s.list.OnDrawItemProp = nullptr;
    EXPECT_EQ(s.Background(0, 1), s.list.palette().color(QPalette::Base));
}

TEST(RichListPaint, ReadableTextOnPartColours) {
    EXPECT_EQ(ReadableTextColor(QColor(255, 255, 0)), QColor(Qt::black));
    EXPECT_EQ(ReadableTextColor(QColor(255, 255, 255)), QColor(Qt::black));
    EXPECT_EQ(ReadableTextColor(QColor(0x1E, 0x5A, 0xA8)), QColor(Qt::white));
    EXPECT_EQ(ReadableTextColor(QColor(0, 0, 0)), QColor(Qt::white));
}

TEST(RichListPaint, EllipsisOnlyWithoutLineBreak) {
    const QString longText(60, u'W');
    Shown cut({{longText}, {longText + "\r"}, {"Wi"}, {"Wi\r"}});
    // The cut text ends in an ellipsis; with a line break it is drawn as it is.
    EXPECT_NE(cut.Cell(0, 0), cut.Cell(1, 0));
    EXPECT_EQ(cut.Cell(2, 0), cut.Cell(3, 0));
}

TEST(RichListPaint, LinkCellsShowTheirAddressUnderlined) {
    Shown link({{"http://example.com/x"}, {"mailto:me@example.com"}});
    Shown plain({{"example.com/x"}, {"me@example.com"}});
    link.list.URLShow = true;
    plain.list.OnDrawItemProp = [](int, int, int, CellStyle& cell, const QString&) {
        cell.Font.setUnderline(true);
        cell.FontColor = Qt::blue;
    };
    EXPECT_EQ(link.Cell(0, 0), plain.Cell(0, 0));
    EXPECT_EQ(link.Cell(1, 0), plain.Cell(1, 0));
    link.list.URLFull = true;
    EXPECT_NE(link.Cell(0, 0), plain.Cell(0, 0));
}

TEST(RichListPaint, RichTextAndMarkupCellsAreNotShownLiterally) {
    const QString rich = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\b Hello}";
    Shown s({{rich}, {" " + rich}, {"<B>Hello</B>"}});
    QFont sharp = s.list.font();
    sharp.setStyleStrategy(QFont::NoAntialias);
    s.list.setFont(sharp);
    EXPECT_NE(Ink(s.Cell(0, 0)), Ink(s.Cell(1, 0)));
    EXPECT_LT(Ink(s.Cell(0, 0)).width(), Ink(s.Cell(1, 0)).width() / 2);
    Shown bold({{"Hello"}});
    QFont font = sharp;
    font.setBold(true);
    bold.list.setFont(sharp);
    bold.list.OnDrawItemProp = [&](int, int, int, CellStyle& cell, const QString&) { cell.Font = font; };
    EXPECT_EQ(Ink(s.Cell(2, 0)), Ink(bold.Cell(0, 0)));
}

TEST(RichListPaint, CheckBoxesImagesAndGlyphs) {
    Shown s({{"one"}, {"two"}});
    s.list.CheckBoxes = true;
    const QImage unchecked = s.Cell(0, 0);
    s.list.Model().SetState(0, {true, -1, 0, {}});
    EXPECT_NE(s.Cell(0, 0), unchecked);
    // One glyph alone is not enough: the platform check box stays.
    QPixmap glyph(10, 10);
    glyph.fill(Qt::magenta);
    s.list.CheckTrueGlyph = glyph;
    const QImage platform = s.Cell(0, 0);
    EXPECT_EQ(s.Background(0, 0).name(), s.list.palette().color(QPalette::Base).name());
    s.list.CheckFalseGlyph = glyph;
    EXPECT_NE(s.Cell(0, 0), platform);
    // An image of the small image list moves the text.
    s.list.CheckBoxes = false;
    QPixmap green(12, 12);
    green.fill(Qt::green);
    s.list.SmallImages = {green};
    s.list.Model().SetState(1, {false, 0, 0, {}});
    const QImage withImage = s.Cell(1, 0);
    int greens = 0;
    for (int y = 0; y < withImage.height(); ++y)
        for (int x = 0; x < withImage.width(); ++x)
            greens += withImage.pixelColor(x, y) == QColor(Qt::green);
    EXPECT_EQ(greens, qMin(12, withImage.height()) * 12);
}

TEST(RichListPaint, HeightsFollowTheFontAndIgnoreBadValues) {
    Shown s({{"a"}});
    EXPECT_EQ(s.list.ItemHeight(), 13);
    EXPECT_GE(s.list.RowHeight(), s.list.fontMetrics().height());
    EXPECT_EQ(s.list.visualRect(s.list.Model().index(0, 0)).height(), s.list.RowHeight());
    EXPECT_GE(s.list.header()->height(), QFontMetrics(s.list.HeaderFont()).height());
    s.list.SetItemHeight(0);
    EXPECT_EQ(s.list.ItemHeight(), 13);
    s.list.SetItemHeight(40);
    EXPECT_EQ(s.list.visualRect(s.list.Model().index(0, 0)).height(), 40);
    s.list.SetHeaderHeight(50);
    EXPECT_EQ(s.list.header()->sizeHint().height(), 50);
    // The detail line never takes the row's only line of text.
    s.list.DetailView.SetVisible(true);
    s.list.DetailView.SetHeight(1000);
    s.list.SetItemHeight(13);
    EXPECT_EQ(s.list.CellRect(0, 0).height(), s.list.RowHeight());
    const QImage row = s.list.viewport()->grab(s.list.visualRect(s.list.Model().index(0, 0))).toImage();
    EXPECT_FALSE(row.isNull());
}

TEST(RichListPaint, HeaderShowsTheSortGlyph) {
    Shown s({{"b"}, {"a"}});
    s.list.SortShow = true;
    QPixmap down(8, 8), up(8, 8);
    down.fill(Qt::red);
    up.fill(Qt::green);
    s.list.SortDownGlyph = down;
    s.list.SortUpGlyph = up;
    s.list.SetSortDirection(sdAscending);
    s.list.SetSortColumn(0);
    const auto count = [&](QColor colour) {
        const QImage header = s.list.header()->grab().toImage();
        int n = 0;
        for (int y = 0; y < header.height(); ++y)
            for (int x = 0; x < header.width(); ++x)
                n += header.pixelColor(x, y) == colour;
        return n;
    };
    EXPECT_EQ(count(Qt::red), 64);
    EXPECT_EQ(count(Qt::green), 0);
    s.list.SetSortDirection(sdDescending);
    s.list.SetSortColumn(0);
    EXPECT_EQ(count(Qt::green), 64);
}

TEST(RichListPaint, MarkupPicturesComeFromTheContainerUntilItIsDestroyed) {
    Shown s({{"<B><IMG SRC=\"logo\"></B>"}});
    const auto shows = [&](QColor colour) {
        const QImage cell = s.Cell(0, 0);
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                if (cell.pixelColor(x, y) == colour) return true;
        return false;
    };
    QImage logo(6, 4, QImage::Format_RGB32);
    logo.fill(Qt::magenta);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    logo.save(&png, "PNG");
    auto* container = new PictureContainer;
    container->Items.push_back({});
    container->Items.back().Name = "LOGO";
    container->Items.back().Picture.LoadFromBytes(png.data());
    s.list.SetPictures(container);
    EXPECT_TRUE(shows(Qt::magenta));
    // The list lets go of a destroyed container and paints on without it.
    delete container;
    EXPECT_EQ(s.list.Pictures(), nullptr);
    EXPECT_FALSE(shows(Qt::magenta));
}
