#include "app/compare_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/inventory_host.h"
#include "app/named_widgets.h"
#include "app/user_prompts.h"
#include "platform/ui.h"

CompareDialog::CompareDialog(InventoryHost& inventory, QWidget* parent)
    : QDialog(parent),
      Label1(MakeNamed<QLabel>(this, "Label1", QStringLiteral("You ??? the following Parts:"))),
      Memo1(MakeNamed<QPlainTextEdit>(this, "Memo1")),
      BitBtn2(MakeNamed<QPushButton>(this, "BitBtn2", QStringLiteral("Have"))),
      BitBtn1(MakeNamed<QPushButton>(this, "BitBtn1", QStringLiteral("Need"))),
      BitBtn3(MakeNamed<QPushButton>(this, "BitBtn3", QStringLiteral("Save"))),
      CheckBox1(MakeNamed<QCheckBox>(this, "CheckBox1", QStringLiteral("Color does not matter"))),
      inventory_(inventory) {
    setWindowTitle(QStringLiteral("Compare"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    BitBtn3->setToolTip(QStringLiteral("Save Inventory"));
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(CheckBox1);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn3);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 8, 16, 8);
    column->addWidget(Label1);
    column->addWidget(Memo1, 1);
    column->addLayout(buttons);
    resize(560, 400);

    connect(BitBtn2, &QPushButton::clicked, this, Guarded(inventory_.Prompts(), [this] { BitBtn2Click(); }));
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(inventory_.Prompts(), [this] { BitBtn1Click(); }));
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(inventory_.Prompts(), [this] { BitBtn3Click(); }));
}

void CompareDialog::ShowEmpty() {
    Memo1->clear();
    exec();
}

void CompareDialog::BitBtn2Click() {
    RunCompare(CompareMode::Have);
}

void CompareDialog::BitBtn1Click() {
    RunCompare(CompareMode::Need);
}

void CompareDialog::RunCompare(CompareMode mode) {
    if (!InventoryReadyForCompare(inventory_)) return;
    Label1->setText(mode == CompareMode::Have ? QStringLiteral("You have the following Parts:")
                                              : QStringLiteral("You need the following Parts:"));
    const QStringList chosen = inventory_.Prompts().ChooseOpenFiles(
        {QString(), QStringLiteral("prn (*.prn *.PRN);;inv (*.inv *.INV)"), QString(), QString()}, false);
    if (chosen.isEmpty()) return;
    const QString setPath = chosen.constFirst();
    Memo1->clear();
    const QStringList result = CompareWithSetFile(inventory_, setPath, mode, CheckBox1->isChecked());
    Memo1->setPlainText(result.join(u'\n'));
}

void CompareDialog::BitBtn3Click() {
    QString filter;
    const QString chosen = inventory_.Prompts().ChooseSaveFile({QStringLiteral("Save Inventory"),
                                                                QStringLiteral("prn (*.prn *.PRN)"),
                                                                QString(), QStringLiteral("prn")},
                                                               filter);
    if (chosen.isEmpty()) return;
    const QString error = WriteCompareResult(CompareResultPath(chosen), Memo1->toPlainText());
    if (!error.isEmpty()) inventory_.Prompts().Show(error);
}
