#include "app/number_prompt.h"

NumberPrompt::NumberPrompt(QWidget* parent) : QDialog(parent) {}
