#pragma once

#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>

#include "print/preview/pv_preview.h"

enum PvNavigateBtn {
    pvFirstPage,
    pvPrevPage,
    pvNextPage,
    pvLastPage,
    pvAddPage,
    pvDeletePage,
    pvClear,
    pvZoomIn,
    pvZoomOut,
    pvActualSize,
    pvFitWidth,
    pvFitHeight,
    pvFitWholePage
};
constexpr int kNavigateButtons = pvFitWholePage + 1;

// A bar of thirteen buttons that page and zoom a preview, enabled as the preview allows.
class PvPageNavigator : public QWidget, public PvLinkedControl {
    Q_OBJECT
  public:
    explicit PvPageNavigator(QWidget* parent = nullptr);

    QToolButton* Button(int button) const { return buttons_[static_cast<size_t>(button)]; }
    void Click(PvNavigateBtn button);

    bool AutoSize = false;
    int BorderWidth = 6;
    int ButtonHeight = 34, ButtonWidth = 34;
    bool GroupButtons = true;
    int GroupSpacing = 8;
    // A bit per button; all thirteen by default.
    int VisibleButtons = (1 << kNavigateButtons) - 1;
    void SetShowButtonHints(bool show);
    bool Flat() const { return buttons_[0]->autoRaise(); }
    // Flat buttons show their frame only under the mouse.
    void SetFlat(bool flat);
    // Places the visible buttons after a property change.
    void Relayout();

    std::function<void(PvNavigateBtn)> OnClickButton;
    // May replace a button's hint; asked once, when the bar is built.
    std::function<void(PvNavigateBtn, QString& hint)> OnGetButtonHint;
    void ApplyHints();

    void PreviewNotice(int notice) override;
    void RefreshButtons();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void PreviewSet() override { RefreshButtons(); }

  private:
    std::array<QToolButton*, kNavigateButtons> buttons_{};
    bool showHints_ = true;
};
