#pragma once

#include <QImage>
#include <vector>

#include "platform/print/print_device.h"

// Pages as pictures in memory, white sheets at a chosen resolution: for previews and tests.
class ImageDevice : public PrintDevice {
  public:
    explicit ImageDevice(int dpi) : dpi_(dpi) {}
    ~ImageDevice() override;

    int DpiX() const override { return dpi_; }
    int DpiY() const override { return dpi_; }
    // The pages of the last document, kept until the next one begins.
    const std::vector<QImage>& Pages() const { return pages_; }

  protected:
    QPaintDevice& OpenDocument(const QPageLayout& layout) override;
    bool StartNextPage() override;
    void DiscardDocument() override;

  private:
    QImage& AddPage();

    int dpi_;
    std::vector<QImage> pages_;
};
