#pragma once

#include <QComboBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>

// A named window-system colour ($00BBGGRR, or a system colour).
struct NamedColor {
    const char* name;
    int32_t value;
};

// The 164 named colours in list order: 16 standard, 122 extra, the special row, 25 system colours.
std::span<const NamedColor> NamedColors();

// A drop-down list of named colours, each drawn as a swatch and/or its name; the chosen one is ColorValue.
class zcColorComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int ColorValue READ ColorValue WRITE SetColorValue)
  public:
    enum ColorOption {
        zcmColors = 1,
        zcmNames = 2,
        zcmStdColors = 4,
        zcmExtraColors = 8,
        zcmQuarnelColor = 16,
        zcmSysColors = 32,
        zcmOtherColors = 64
    };
    static constexpr int kDefaultOptions =
        zcmColors | zcmNames | zcmStdColors | zcmExtraColors | zcmSysColors;

    explicit zcColorComboBox(QWidget* parent = nullptr);

    // 0 when the list is empty or nothing is chosen.
    int32_t ColorValue() const;
    // Chooses the first item of that value, or nothing (the value then reads 0); fires OnChange.
    void SetColorValue(int32_t value);
    int ColorOptions() const { return options_; }
    void SetColorOptions(int options);
    // Fills the list from the options (and OnUserColor); the chosen colour stays chosen when still listed.
    void Rebuild();

    std::function<void()> OnChange;
    // Asked with index 0, 1, 2 ... (name preset to "-User-") while more stays set; each such answer is added.
    std::function<void(int index, QString& name, int32_t& value, bool& more)> OnUserColor;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void UserChose(int index);

    int options_ = kDefaultOptions;
    int32_t value_ = 0;
};
