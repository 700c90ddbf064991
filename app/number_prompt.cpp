#include "app/number_prompt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

NumberPrompt::NumberPrompt(QWidget* parent)
    : QDialog(parent), Label1(new QLabel(this)), Edit1(new QLineEdit(this)), ComboBox1(new QComboBox(this)),
      BitBtn1(new QPushButton(QStringLiteral("OK"), this)),
      BitBtn2(new QPushButton(QStringLiteral("Cancel"), this)) {
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));

    Edit1->setMaxLength(5);
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Edit1));
    ComboBox1->addItems(
        {QStringLiteral("-1"), QStringLiteral("-2"), QStringLiteral("-3"), QStringLiteral("-4")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->hide();
    BitBtn1->setDefault(true);

    auto* entry = new QHBoxLayout;
    entry->addWidget(Edit1, 1);
    entry->addWidget(ComboBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1);
    column->addLayout(entry);
    column->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept); // unguarded: Qt's own slot
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject); // unguarded: Qt's own slot
}

int NumberPrompt::AskCount(const QString& prompt) {
    return Ask(QStringLiteral("Multi-Open"), prompt);
}

int NumberPrompt::AskSetNumber(const QString& prompt) {
    Edit1->clear();
    if (ComboBox1->currentIndex() < 0) ComboBox1->setCurrentIndex(0);
    ComboBox1->show();
    const int number = Ask(QStringLiteral("Peeron htm download"), prompt);
    ComboBox1->hide();
    return number;
}

QString NumberPrompt::SetSuffix() const {
    return ComboBox1->currentText();
}

int NumberPrompt::Ask(const QString& caption, const QString& prompt) {
    setWindowTitle(caption);
    Label1->setText(prompt);
    Edit1->setFocus();
    if (exec() != QDialog::Accepted || Edit1->text().isEmpty()) return 0;
    return Edit1->text().toInt();
}

void NumberPrompt::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}
