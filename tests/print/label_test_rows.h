#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QPushButton>
#include <QSpinBox>
#include <vector>

#include "print/label_host.h"
#include "print/label_maker.h"

// Inventory rows and part pictures the label windows are tested with.
class TestLabelRows : public LabelHost {
  public:
    std::vector<LabelRow> rows;
    QHash<QString, LabelPicture> pictures; // by part; others have none

    // n rows of parts "p1" .. "pn" described "Part 1" .. "Part n".
    static TestLabelRows Numbered(int n) {
        TestLabelRows made;
        for (int i = 1; i <= n; ++i)
            made.rows.push_back({QStringLiteral("p%1").arg(i), QStringLiteral("Part %1").arg(i), 4});
        return made;
    }
    int LabelRowCount() const override { return static_cast<int>(rows.size()); }
    LabelRow LabelRowAt(int row) const override {
        return row >= 0 && row < LabelRowCount() ? rows[static_cast<size_t>(row)] : LabelRow{};
    }
    LabelPicture LabelPictureFor(const QString& partNumber) override { return pictures.value(partNumber); }
};

// Lays the label out as the picture alone, its top-left corner at (0, 60). A picture file fits into what an
// L7163 label shows below that, the strip of rows 60 to 142, centred at (186, 101).
inline void ShowPictureOnly(LabelMaker& maker) {
    for (QCheckBox* box : {maker.CheckBox1, maker.CheckBox2, maker.CheckBox5})
        box->setChecked(false);
    maker.ComboBox1->setCurrentText("Image");
    maker.SpinEdit2->setValue(20);
    maker.BitBtn5->click();
    maker.SpinEdit2->setValue(100);
    maker.BitBtn6->click();
    maker.BitBtn6->click();
}
