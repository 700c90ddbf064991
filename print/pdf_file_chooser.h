#pragma once

#include <filesystem>

class QWidget;

// Asks the user for the PDF file to print into; a name without an extension gets ".pdf". Empty when the
// user cancels.
std::filesystem::path ChoosePdfFile(QWidget* parent);
