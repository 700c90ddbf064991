#include "platform/print/image_device.h"

#include <cmath>

#include "platform/gfx/graphic.h"

ImageDevice::~ImageDevice() {
    Abort();
}

QPaintDevice& ImageDevice::OpenDocument(const QPageLayout&) {
    pages_.clear();
    const QRect page = PageRect();
    if (page.isEmpty() || !PictureSizeAllowed(page.width(), page.height()))
        throw EPrintError("The page is too large to hold in memory.");
    return AddPage();
}

bool ImageDevice::StartNextPage() {
    painter_.end();
    return painter_.begin(&AddPage());
}

void ImageDevice::DiscardDocument() {
    if (painter_.isActive()) painter_.end();
    pages_.clear();
}

QImage& ImageDevice::AddPage() {
    const QRect page = PageRect();
    QImage image(page.size(), QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi_ / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    pages_.push_back(std::move(image));
    return pages_.back();
}
