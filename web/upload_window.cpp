#include "web/upload_window.h"

#include "platform/ui.h"
#include "web/web_service.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

UploadWindow::UploadWindow(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), Edit1(new QLineEdit), ComboBox1(new QComboBox), Edit2(new QLineEdit),
      Edit3(new QLineEdit), Button1(new QPushButton(QStringLiteral("Browse..."))),
      BitBtn1(new QPushButton(QStringLiteral("Send"))), BitBtn2(new QPushButton(QStringLiteral("Cancel"))),
      prompts_(prompts) {
    setWindowTitle(QStringLiteral("Peeron Inventory Upload"));
    ComboBox1->addItems(
        {"Mint in Sealed Box", "Built from Instructions", "Picture Inventory", "Set Picture", "Opened Set"});
    Edit2->setEnabled(false);
    BitBtn1->setDefault(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(Edit2);
    fileRow->addWidget(Button1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Set Number"), Edit1);
    form->addRow(QStringLiteral("Source"), ComboBox1);
    form->addRow(QStringLiteral("File to upload"), fileRow);
    form->addRow(new QLabel(QStringLiteral("* Can only upload a PRN file.")));
    form->addRow(Edit3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, Guarded(prompts_, [this] { Button1Click(); }));
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn1Click(); }));
    // unguarded: Qt's own slot
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void UploadWindow::Button1Click() {
    const QStringList files =
        prompts_.ChooseOpenFiles({{}, QStringLiteral("prn (*.prn *.PRN)"), {}, {}}, false);
    if (!files.isEmpty()) Edit2->setText(files.constFirst());
}

void UploadWindow::BitBtn1Click() {
    const QString request = "http://" + QString::fromStdString(ServiceHost()) +
                            "/cgi-bin/invcgis/submitinv?format=TZ&Bag=ON&SetNumber=" + Edit1->text() +
                            "&Source=MISB&File=" + Edit2->text();
    emit RequestComposed(request);
    accept();
}
