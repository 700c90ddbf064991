#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "platform/stream.h"

class Bitmap;

// Typed records of the control suite's streams, little-endian.
void WriteInteger(Stream& stream, int32_t value);
int32_t ReadInteger(Stream& stream);
void WriteByte(Stream& stream, uint8_t value);
uint8_t ReadByte(Stream& stream);
void WriteBoolean(Stream& stream, bool value);
bool ReadBoolean(Stream& stream);
// A length byte and up to 255 bytes of 8-bit text; a longer text raises EStreamError rather than being cut.
void WriteShortString(Stream& stream, const QString& text);
QString ReadShortString(Stream& stream);

// An object's bytes as a sized block (32-bit size, back-patched, then the bytes) or as a compressed stream.
void WriteRecord(Stream& stream, bool compressed, const std::function<void(Stream&)>& writeObject);
// The bytes of such a record, rewound. The size is checked against the bytes present before allocating.
MemoryStream ReadRecord(Stream& stream, bool compressed);

// A string list in its own stream form: the lines as 8-bit text, each ended by CR LF.
void WriteStringList(Stream& stream, const QStringList& lines, bool compressed);
QStringList ReadStringList(Stream& stream, bool compressed);
// A bitmap as a BMP file: at its own depth, or at colorCount colours (a two-colour bitmap always at 2).
void WriteBitmap(Stream& stream, const Bitmap& bitmap, bool compressed, int colorCount = -1);
void ReadBitmap(Stream& stream, Bitmap& bitmap, bool compressed);
