#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "print/report/report_font.h"

// Ten slots; pushes beyond them are counted but keep nothing, and a pop with nothing pushed does nothing.
template <typename T> class BoundedStack {
  public:
    static constexpr int kSlots = 10;
    void Push(const T& value) {
        if (depth_ < kSlots) slots_[static_cast<size_t>(depth_)] = value;
        ++depth_;
    }
    // The value pushed last, if it was kept.
    std::optional<T> Pop() {
        if (depth_ == 0) return std::nullopt;
        --depth_;
        return depth_ < kSlots ? std::optional<T>(slots_[static_cast<size_t>(depth_)]) : std::nullopt;
    }
    int Depth() const { return depth_; }
    void Clear() { depth_ = 0; }

    bool operator==(const BoundedStack& other) const {
        if (depth_ != other.depth_) return false;
        for (size_t i = 0; i < static_cast<size_t>(std::min(depth_, kSlots)); ++i)
            if (!(slots_[i] == other.slots_[i])) return false;
        return true;
    }

  private:
    std::array<T, kSlots> slots_{};
    int depth_ = 0;
};

// Every position of the layout is in the reference pixels of TextMeasure from the sheet's top-left corner.

// A header, footer or page-number line.
struct RpInfoLine {
    QString Text; // the page-number line's format
    int Y = 0;
    int Alignment = 0; // 0 left, 1 centred, 2 right
    RpFont Font;
    bool operator==(const RpInfoLine&) const = default;
};

// A header or footer box; mode 1 draws it, filled with the shade when it is above 0.
struct RpBox {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    uint8_t Mode = 0;
    QRgb Shade = 0;
    int LineWidth = 0;
    bool operator==(const RpBox&) const = default;
};

struct RpColumn {
    int Left = 0;
    int Width = 0;
    bool operator==(const RpColumn&) const = default;
};

// Where the report stands on a page. The engine lays out with it; a replayed page carries it along from the
// state its page began with, so that the page's own layout commands leave it as they left the engine.
struct RpLayoutState {
    static constexpr int kColumns = 20;
    static constexpr int kInfoLines = 10;

    int MarginLeft = 0, MarginRight = 0;
    int DetailTop = 0, DetailBottom = 0;
    int CurrentLine = 0, CurrentX = 0;
    int Tab = 0;
    bool AutoPaging = false;
    uint8_t Measurement = 0; // MeasureType
    BoundedStack<int> Lines;
    std::array<RpInfoLine, kInfoLines> Header, Footer;
    RpBox HeaderBox, FooterBox;
    std::array<RpColumn, kColumns> Columns;
    RpInfoLine PageNumber;
    bool ShowTotal = false;

    void TopOfPage() {
        CurrentLine = DetailTop;
        CurrentX = MarginLeft;
    }
    void SetDetail(int top, int bottom, int lineHeight) {
        DetailTop = top;
        DetailBottom = bottom;
        CurrentLine = top - lineHeight;
    }
    void NextLine(int lineHeight) {
        CurrentLine += lineHeight;
        CurrentX = MarginLeft;
    }
    void RestoreLine() {
        if (const std::optional<int> line = Lines.Pop()) CurrentLine = *line;
    }
    bool operator==(const RpLayoutState&) const = default;
};
