#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QStyleFactory>

#include "app/deferred_icon_style.h"

namespace {

QImage Picture(const QIcon& icon, QIcon::Mode mode, qreal scale) {
    return icon.pixmap(QSize(16, 16), scale, mode).toImage();
}

} // namespace

// Loaded late or not, every icon looks as the base style draws it, in each mode and at each scale.
TEST(DeferredIconStyle, IconsDrawAsTheBaseStylesOwn) {
    DeferredIconStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
    for (const QStyle::StandardPixmap kind :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_MessageBoxWarning}) {
        const QIcon ours = style.standardIcon(kind, nullptr, nullptr);
        const QIcon base = style.baseStyle()->standardIcon(kind);
        ASSERT_FALSE(ours.isNull());
        EXPECT_EQ(ours.actualSize(QSize(64, 64)), base.actualSize(QSize(64, 64)));
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
            for (const qreal scale : {1.0, 2.0}) {
                const QImage picture = Picture(ours, mode, scale);
                EXPECT_FALSE(picture.isNull());
                EXPECT_EQ(picture, Picture(base, mode, scale))
                    << kind << " mode " << mode << " scale " << scale;
            }
    }
}
