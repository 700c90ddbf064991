#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

#include "report_test_support.h"
#include "support/test_support.h"

namespace {

// The page image's side for `inches` at the screen's resolution and a zoom.
int Side(int ppi, double inches, double zoom = 1.0) {
    return static_cast<int>(std::lround(ppi * inches * zoom));
}

int NonWhite(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    return count;
}

} // namespace

TEST(PreviewForm, ZoomSizesThePageFromTheScreensResolutionAndLandscapeTurnsIt) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, ReportRows(5), [](PreviewForm& form) {
        const int ppi = form.logicalDpiY();
        EXPECT_EQ(form.ZoomFactor->currentText(), "100 %");
        EXPECT_EQ(form.PageImage().size(), QSize(Side(ppi, 8.5), Side(ppi, 11)));
        EXPECT_GT(NonWhite(form.PageImage(), form.PageImage().rect()), 500);
        QTest::keyClick(&form, Qt::Key_Minus);
        QTest::keyClick(&form, Qt::Key_Minus);
        QTest::keyClick(&form, Qt::Key_Minus);
        QTest::keyClick(&form, Qt::Key_Minus);
        QTest::keyClick(&form, Qt::Key_Minus); // stays on the first item
        EXPECT_EQ(form.ZoomFactor->currentText(), "60 %");
        EXPECT_EQ(form.PageImage().width(), Side(ppi, 8.5, 0.52));
        QTest::keyClick(&form, Qt::Key_Plus);
        EXPECT_EQ(form.PageImage().width(), Side(ppi, 8.5, 0.64));
        EXPECT_EQ(form.DisplayPage->pixmap().size(), form.PageImage().size());
    }));
    report.prn.Orientation = PrintOrientation::Landscape;
    report.prn.StartPercent = P2_Sixty;
    ASSERT_TRUE(WithPreview(report, ReportRows(5), [](PreviewForm& form) {
        const int ppi = form.logicalDpiY();
        EXPECT_EQ(form.PageImage().size(), QSize(Side(ppi, 11, 0.52), Side(ppi, 8.5, 0.52)));
    }));
}

TEST(PreviewForm, PagesTurnWithinTheirLimitsByButtonsKeysAndTheNumberBox) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, ReportRows(2 * RowsPerPage() + 3), [](PreviewForm& form) {
        EXPECT_EQ(form.LastPage->toolTip(), "last page (3)");
        const QImage first = form.PageImage();
        QTest::keyClick(&form, Qt::Key_PageDown);
        EXPECT_EQ(form.CurrentPage(), 2);
        EXPECT_NE(form.PageImage(), first);
        QTest::keyClick(&form, Qt::Key_PageDown);
        QTest::keyClick(&form, Qt::Key_PageDown);
        EXPECT_EQ(form.CurrentPage(), 3);
        EXPECT_EQ(form.PgNumb->text(), "3");
        QTest::keyClick(&form, Qt::Key_PageUp);
        EXPECT_EQ(form.CurrentPage(), 2);
        form.FirstPage->click();
        form.PrevPage->click();
        EXPECT_EQ(form.CurrentPage(), 1);
        EXPECT_EQ(form.PageImage(), first);
        form.LastPage->click();
        form.NextPage->click();
        EXPECT_EQ(form.CurrentPage(), 3);

        // Digits only, Backspace included; leaving the box clamps the number.
        form.PgNumb->setFocus();
        form.PgNumb->clear();
        QTest::keyClicks(form.PgNumb, "2x7");
        EXPECT_EQ(form.PgNumb->text(), "27");
        QTest::keyClick(form.PgNumb, Qt::Key_Backspace);
        QTest::keyClick(form.PgNumb, Qt::Key_Backspace);
        QTest::keyClicks(form.PgNumb, "0");
        QTest::keyClick(form.PgNumb, Qt::Key_Return);
        EXPECT_EQ(form.CurrentPage(), 1);
        EXPECT_EQ(form.PgNumb->text(), "1");
        form.PgNumb->setText("999");
        form.PgNumbExit();
        EXPECT_EQ(form.CurrentPage(), 3);
        form.PgNumb->clear();
        form.PgNumbExit();
        EXPECT_EQ(form.CurrentPage(), 1);
    }));
}

TEST(PreviewForm, AOnePageReportDoesNotTurnAndArrowsScroll) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, ReportRows(1), [](PreviewForm& form) {
        for (const auto key : {Qt::Key_PageDown, Qt::Key_PageUp})
            QTest::keyClick(&form, key);
        form.NextPage->click();
        form.PrevPage->click();
        EXPECT_EQ(form.CurrentPage(), 1);
        EXPECT_EQ(form.PgNumb->text(), "1");

        form.resize(600, 400);
        QScrollBar* scroll = form.PreviewPane->verticalScrollBar();
        ASSERT_GT(scroll->maximum(), 20);
        QTest::keyClick(&form, Qt::Key_Down);
        QTest::keyClick(&form, Qt::Key_Down);
        EXPECT_EQ(scroll->value(), 20);
        QTest::keyClick(&form, Qt::Key_Up);
        EXPECT_EQ(scroll->value(), 10);
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
    }));
}

TEST(PreviewForm, NoDescriptionInksTheGapBeforeTheNotesAtFullOrReducedZoom) {
    InventoryReport report(TestMessages::Prompts());
    ASSERT_TRUE(WithPreview(report, NearlyFullRows(40), [&](PreviewForm& form) {
        const std::vector<PlacedText> texts = PageTexts(*report.prn.Pages(), 1);
        const double line = report.prn.LineHeight();
        for (const int item : {4, 2}) { // 100 % and 80 %
            form.ZoomFactor->setCurrentIndex(item);
            form.ZoomFactorChange();
            const QImage& page = form.PageImage();
            const double dpi = form.logicalDpiY() * PreviewForm::kZoom[static_cast<size_t>(item)] / 100.0;
            int gaps = 0;
            for (const PlacedText& text : texts) {
                if (text.At.x() < 3.5 || text.At.x() >= 6.5) continue; // the Description column
                // Beside the text, where only its own letters ink its line (the middle half of it), clear
                // by more than a pixel of the text as laid out and of the Notes column.
                const QRect gap(QPoint(static_cast<int>((text.At.x() + text.Width) * dpi) + 2,
                                       static_cast<int>(std::ceil((text.At.y() + line / 4) * dpi))),
                                QPoint(static_cast<int>(std::ceil(6.5 * dpi)) - 2,
                                       static_cast<int>((text.At.y() + line * 3 / 4) * dpi)));
                if (!gap.isValid()) continue;
                ++gaps;
                EXPECT_EQ(NonWhite(page, gap), 0)
                    << text.Text.toStdString() << " at " << form.ZoomFactor->currentText().toStdString();
            }
            EXPECT_GT(gaps, 40);
        }
    }));
}

TEST(PreviewForm, AnEmptyInventoryOpensNoPreview) {
    InventoryReport report(TestMessages::Prompts());
    EXPECT_FALSE(WithPreview(report, ReportRows(0), [](PreviewForm&) {}));
}
