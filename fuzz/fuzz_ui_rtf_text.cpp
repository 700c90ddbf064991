#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "ui/list/rtf_text.h"

// Rich-text cells come from imported files: any text either builds a bounded document or is shown plain.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QStringLiteral("{\\rtf1 ") +
                         QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto document = RtfDocument(text, QFont());
    const QString plain = RtfPlainText(text);
    if (document && document->characterCount() > text.size() + 1) __builtin_trap();
    if (!document && plain != text) __builtin_trap();
    return 0;
}
