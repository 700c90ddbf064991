#pragma once

#include <QComboBox>
#include <QString>
#include <functional>
#include <vector>

// What the font list filters on, for one installed font family.
struct FontFacts {
    enum Type { Raster = 1, Device = 2, TrueType = 4 };
    enum Family { DontCare, Roman, Swiss, Modern, Script, Decorative };
    QString name;
    int type = TrueType;
    bool ansi = true, symbol = false, oem = false, fixedPitch = false;
    Family family = DontCare;
};

// The font families of the font database, with their facts.
std::vector<FontFacts> InstalledFonts();

// A sorted drop-down list of the installed fonts, filtered by kind, each drawn after a glyph of its type.
class zcFontComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
  public:
    enum FontOption {
        zcftWindowsOnly = 1 << 0,
        zcftSymbolOnly = 1 << 1,
        zcftDecorativeOnly = 1 << 2,
        zcftModernOnly = 1 << 3,
        zcftRomanOnly = 1 << 4,
        zcftScriptOnly = 1 << 5,
        zcftSwissOnly = 1 << 6,
        zcftTrueTypeOnly = 1 << 7,
        zcftFixedOnly = 1 << 8,
        zcftOEMOnly = 1 << 9,
        zcftNoOEM = 1 << 10,
        zcftScaleableOnly = 1 << 11
    };
    enum FontDevice { zcScreen = 1, zcPrinter = 2 };

    // fonts: the fonts to offer before filtering; the font database's when not given.
    explicit zcFontComboBox(QWidget* parent = nullptr, std::vector<FontFacts> fonts = InstalledFonts());

    QString FontName() const { return name_; }
    // Chooses the listed font equal to name ignoring case (or the listed family the font database substitutes
    // for it) and shows name; no match leaves nothing chosen.
    void SetFontName(const QString& name);
    int FontOptions() const { return options_; }
    void SetFontOptions(int options);
    int Device() const { return device_; }
    // An empty set means the screen.
    void SetDevice(int device);

    // True when a font passes every chosen option.
    static bool Passes(const FontFacts& font, int options);

    std::function<void()> OnChange;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Rebuild();
    void Changed();
    int IndexOf(const QString& name) const;

    std::vector<FontFacts> fonts_;
    int options_ = 0;
    int device_ = zcScreen;
    bool rebuilding_ = false;
    QString name_; // as last written or chosen
};
