#pragma once

#include <QDialog>
#include <QImage>
#include <QPainterPath>
#include <memory>

#include "print/preview/pv_label_printer.h"

class LabelMaker;
class UserPrompts;
class PvPageNavigator;
class PvPreview;
class PrintBarForm;
class PvPropertyComboBox;
class PvThumbnails;
class QLabel;
class QProgressBar;
class QPushButton;

// What of a composed label shows on a label of that size (inches), in the composition's pixels at 96 per
// inch: the label less the picture's inset from its corner.
QSize ShownLabelSize(long double widthInches, long double heightInches);
// The outline of a label of the sheet over a composed label, in the composition's pixels.
QPainterPath LabelOutlineOnComposition(const PvLabelTemplateInfo& sheet);

// Lays one label per inventory row out on the pages of a label-sheet template and shows them in a print
// preview, from which they are printed. The label maker composes each label.
class LabelPreview : public QDialog {
    Q_OBJECT
  public:
    // Messages, questions and the PDF file go to prompts, the label maker's too.
    explicit LabelPreview(UserPrompts& prompts, QWidget* parent = nullptr);
    ~LabelPreview() override;
    UserPrompts& Prompts() const { return prompts_; }

    void SetLabelMaker(LabelMaker* maker) { maker_ = maker; }
    // Clears the preview and lays out the labels of every row from the maker's start label, on the template
    // Label1 names (the last one used when it names none).
    void LayOutLabels();
    void BitBtn1Click(); // Print

    QLabel* Label1; // hidden: the template's name
    PvThumbnails* PvThumbnails1;
    PvPreview* PvPreview1;
    PvPropertyComboBox* PvPropertyComboBox1;
    PvPageNavigator* PvPageNavigator1;
    QPushButton* BitBtn1;   // Print
    QPushButton* BitBtn2;   // Cancel
    QProgressBar* Progress; // while labels are laid out
    PvLabelPrinter PvLabelPrinter1;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void DrawLabel(int labelNum, const PvValueRect& rect, PvCanvas& canvas);
    // While the printer takes the job: a progress window whose Cancel gives the job up.
    bool HearHandIn(double waited);

    UserPrompts& prompts_;
    std::unique_ptr<PrintBarForm> handIn_;
    bool handInCancelled_ = false;
    LabelMaker* maker_ = nullptr;
    int start_ = 1;
    int total_ = 0;
};
