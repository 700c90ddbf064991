#pragma once

#include <QList>
#include <QMetaProperty>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVariant>
#include <optional>

class IniFile;
class QObject;

// Every occurrence of search replaced; the search goes on behind each replacement, so a replacement is
// never searched again.
QString ReplaceStr(const QString& text, const QString& search, const QString& replacement);
// Each character XOR the key's character at the same place (the key repeats), written as two hex digits;
// an empty key leaves the text's bytes as they are.
QString XorEncode(const QString& key, const QString& text);
// The reverse; nothing for a text of odd length or with a character that is no hex digit.
std::optional<QString> XorDecode(const QString& key, const QString& hex);

// Start-up work of the settings units: the hand and drag cursors under their numbers 14000 and 14001 of
// the screen's cursor list. Runs once, however often it is called.
void StartSettingsUnits();
// True when the short date format writes years with four digits.
bool FourDigitYear();

// Words are maximal runs of characters not in delimiters; n counts from 1.
int WordCount(const QString& text, const QString& delimiters);
// The 1-based position of the n-th word, 0 when there are fewer words.
int WordPosition(int n, const QString& text, const QString& delimiters);
// The n-th word, empty when there are fewer words.
QString ExtractWord(int n, const QString& text, const QString& delimiters);

// What placement depends on: the primary screen's pixel size and density and every screen's free area.
struct ScreenFacts {
    QSize size;
    int pixelsPerInch = 96;
    QList<QRect> available;
};
ScreenFacts CurrentScreens();

// "(1920x1080)": placement keys carry it so each screen size keeps its own rectangle.
QString ScreenSuffix(QSize screen);
// The suffixed key first, the bare key when that is missing or empty.
std::optional<QString> ReadWithSuffix(const IniFile& ini, const QString& section, const QString& key,
                                      const QString& suffix);
// Writes both the suffixed and the bare key.
void WriteWithSuffix(IniFile& ini, const QString& section, const QString& key, const QString& suffix,
                     const QString& value);

// Moves a rectangle that would be lost off every screen onto the first free area, shrinking it to fit.
QRect FitOntoScreens(QRect rect, const QList<QRect>& available);

// One stored property of a control: a declared property, or a dynamic one when none is declared.
struct PropertyRef {
    QObject* object = nullptr;
    QMetaProperty meta;   // invalid for a dynamic property
    QByteArray name;      // the Qt property name
    bool asLines = false; // a text kept as a list of lines
};
// Finds the Qt property behind a stored name such as "Caption", "Checked" or "Position".
std::optional<PropertyRef> FindStoredProperty(QObject* object, const QString& storedName);

// A property's value as stored text; nothing for kinds that are not stored. form resolves references.
std::optional<QString> PropertyToText(const PropertyRef& property, const QObject* form);
// Sets a property from stored text; false (the value untouched) when the text does not convert.
bool PropertyFromText(const PropertyRef& property, const QString& text, QObject* form);
// True when the property is stored as a section of lines.
bool IsLinesProperty(const PropertyRef& property);
QStringList PropertyLines(const PropertyRef& property);
void SetPropertyLines(const PropertyRef& property, const QStringList& lines);
