#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <list>
#include <unordered_map>

#include "ldraw/ldraw_view.h"

class GaugeBar;
class Image32;
class LabelHost;
class LabelPreview;
class PvLabelTemplateInfo;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class zcColorComboBox;
class zcFontComboBox;

// The dialog in which the user designs one part label: the part's picture and up to three lines of text
// (description, LDraw number, extra text) on a label of chosen size; OK lays every inventory row's label
// out in the label preview.
class LabelMaker : public QDialog {
    Q_OBJECT
  public:
    LabelMaker(LabelHost& host, LDrawRenderer& renderer, LabelPreview& preview, QWidget* parent = nullptr);
    ~LabelMaker() override;

    // Builds the label bitmap of a part on the current picture and shows it.
    void ComposeLabel(const QString& partNumber, const QString& description);
    // The part's picture: its LDraw rendering at the gauges' scale and angles, else its picture file, else
    // white. Renders are kept for the run (see BeginLabelRun).
    void RenderPartPicture(const QString& partNumber, int colour);
    // The label of inventory row n (1-based) into the label bitmap.
    void ComposeLabelForRow(int n);
    const QImage& LabelBitmap() const { return label_; }
    // Forgets kept renders: a new run sees the part files as they are now.
    void BeginLabelRun();

    int RowCount() const;
    // The first label position on the sheet, within the template's label count.
    int StartLabel() const;
    // "dx=20 dy=120 lx=10 ly=0 ex=20 ey=140 ix=-20 iy=-140".
    QString OffsetsText() const;
    // Takes the offsets from a stored text; blanks change nothing. Stops at the first field that is not a
    // number with the conversion error: offsets before it keep their new values, the rest their old ones.
    void ReadOffsets(const QString& text);
    // Moves the item ComboBox1 names by SpinEdit2 pixels and recomposes.
    void MoveItem(int stepsRight, int stepsDown);
    void BitBtn2Click(); // OK
    void Image1DblClick();

    // Controls.
    QSpinBox* SpinEdit1;  // label width
    QSpinBox* SpinEdit3;  // label height
    QCheckBox* CheckBox2; // description
    zcFontComboBox* zcFontComboBox1;
    QSpinBox* SpinEdit6;
    zcColorComboBox* zcColorComboBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox1; // LDraw number
    zcFontComboBox* zcFontComboBox3;
    QSpinBox* SpinEdit5;
    zcColorComboBox* zcColorComboBox4;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5; // extra text
    QLineEdit* Edit1;
    zcFontComboBox* zcFontComboBox2;
    QSpinBox* SpinEdit4;
    zcColorComboBox* zcColorComboBox3;
    QCheckBox* CheckBox6;
    QComboBox* ComboBox1; // item to move
    QSpinBox* SpinEdit2;  // step
    QPushButton* BitBtn3; // left
    QPushButton* BitBtn5; // right
    QPushButton* BitBtn4; // up
    QPushButton* BitBtn6; // down
    GaugeBar* ldrawscale;
    GaugeBar* xrot;
    GaugeBar* yrot;
    GaugeBar* zrot;
    Image32* Image1;
    // The offsets, written only when they change: a control put back from the settings recomposes before
    // showEvent has read the stored caption.
    QLabel* Label10;
    QLabel* LabelSize;    // how much of the sample the chosen sheet's label shows
    QComboBox* ComboBox2; // label-sheet template
    QSpinBox* SpinEdit7;  // start label
    QPushButton* BitBtn2; // OK
    QPushButton* BitBtn1; // Cancel

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // A part's picture: a render is the 400 x 400 square drawn at the picture offsets; a picture file is
    // fitted at each composition into what the label shows of that square.
    struct PartPicture {
        QImage image;
        bool file = false;
    };
    struct TextItem {
        QCheckBox* check;
        zcFontComboBox* font;
        QSpinBox* size;
        zcColorComboBox* colour;
        QCheckBox* bold;
    };
    void CreateControls();
    void WireHandlers();
    void ComposeSample();
    void ComposeTyped();
    void RenderSample();
    void TemplateChosen();
    // The sheet the preview will lay the labels out on: the chosen one, else the one used last.
    const PvLabelTemplateInfo* ChosenSheet() const;
    void ShowLabelSize();
    void DrawLabelOutline();
    void DrawPicture(QImage& label) const;
    void DrawText(QImage& label, const TextItem& item, const QString& text, int x, int y) const;
    PartPicture RenderedPicture(const QString& partNumber, int colour);

    LabelHost& host_;
    LDrawRenderer& renderer_;
    LabelPreview& preview_;
    PartPicture picture_;
    QImage label_;
    int dx_ = 20, dy_ = 120, lx_ = 10, ly_ = 0, ex_ = 20, ey_ = 140, ix_ = -20, iy_ = -140;
    QString samplePart_ = QStringLiteral("71427c01");
    QString sampleDescription_ = QStringLiteral("Electric Technic Mini-Motor 9v");
    // Recent renders by part, colour, scale and angles, newest first; a few dozen at most.
    std::list<std::pair<QString, PartPicture>> renders_;
    std::unordered_map<QString, std::list<std::pair<QString, PartPicture>>::iterator> renderIndex_;
};
