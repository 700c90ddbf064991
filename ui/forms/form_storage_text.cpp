#include "ui/forms/form_storage_text.h"

#include <QApplication>
#include <QLocale>
#include <QMetaEnum>
#include <QScreen>
#include <QWidget>
#include <array>
#include <cctype>
#include <utility>

#include "platform/ini.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace {

// Where a word starts and how long it is; nothing when there are fewer than n words.
std::optional<std::pair<qsizetype, qsizetype>> FindWord(int n, const QString& text,
                                                        const QString& delimiters) {
    qsizetype i = 0;
    const qsizetype size = text.size();
    for (int word = 1; i < size; ++word) {
        while (i < size && delimiters.contains(text[i]))
            ++i;
        if (i >= size) break;
        qsizetype start = i;
        while (i < size && !delimiters.contains(text[i]))
            ++i;
        if (word == n) return std::make_pair(start, i - start);
    }
    return std::nullopt;
}

// Property names the settings file uses and the Qt property that holds the same value.
constexpr std::array<std::pair<const char*, const char*>, 6> kAliases = {{{"Caption", "text"},
                                                                          {"Text", "currentText"},
                                                                          {"Position", "value"},
                                                                          {"MaxValue", "maximum"},
                                                                          {"MinValue", "minimum"},
                                                                          {"Lines", "plainText"}}};

QMetaType TypeOf(const PropertyRef& property) {
    return property.meta.isValid() ? property.meta.metaType()
                                   : property.object->property(property.name).metaType();
}

QVariant Read(const PropertyRef& property) {
    return property.object->property(property.name);
}

bool Write(const PropertyRef& property, const QVariant& value) {
    if (property.meta.isValid()) return property.meta.write(property.object, value);
    property.object->setProperty(property.name, value); // false for a dynamic property by design
    return true;
}

bool IsSingleBit(int value) {
    return value != 0 && (value & (value - 1)) == 0;
}

QString SetToText(const QMetaEnum& set, int value) {
    QStringList members;
    for (int i = 0; i < set.keyCount(); ++i)
        if (IsSingleBit(set.value(i)) && (value & set.value(i)) == set.value(i)) members << set.key(i);
    return '[' + members.join(',') + ']';
}

std::optional<int> SetFromText(const QMetaEnum& set, const QString& text) {
    int value = 0;
    static const QString kDelimiters = " ,[]";
    for (int n = 1, count = WordCount(text, kDelimiters); n <= count; ++n) {
        bool ok = false;
        int member = set.keyToValue(ExtractWord(n, text, kDelimiters).toLatin1().constData(), &ok);
        if (!ok) return std::nullopt;
        value |= member;
    }
    return value;
}

bool IsInside(const QObject* object, const QObject* form) {
    for (; object; object = object->parent())
        if (object == form) return true;
    return false;
}

QString ReferenceToText(const QObject* target, const QObject* form) {
    if (!target) return "(null)";
    if (IsInside(target, form) || !target->parent()) return target->objectName();
    const QObject* owner = target->parent();
    QString ownerName = owner->objectName();
    if (ownerName.isEmpty()) ownerName = QString::fromLatin1(owner->metaObject()->className()).remove(0, 1);
    return ownerName + '.' + target->objectName();
}

QObject* FindReference(const QString& text, QObject* form) {
    qsizetype dot = text.indexOf('.');
    if (dot < 0) return form->findChild<QObject*>(text);
    const QString owner = text.left(dot);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == owner) return window->findChild<QObject*>(text.mid(dot + 1));
    return nullptr;
}

std::optional<QVariant> ReferenceFromText(QMetaType type, const QString& text, QObject* form) {
    if (text == "(null)") return QVariant(type, nullptr);
    QObject* target = FindReference(text, form);
    const QMetaObject* wanted = type.metaObject();
    if (!target || (wanted && !target->metaObject()->inherits(wanted))) return std::nullopt;
    return QVariant(type, &target);
}

std::optional<QVariant> ScalarFromText(QMetaType type, const QString& text) {
    bool ok = true;
    QVariant value;
    switch (type.id()) {
    case QMetaType::Bool:
        if (text.compare("True", Qt::CaseInsensitive) == 0)
            value = true;
        else if (text.compare("False", Qt::CaseInsensitive) == 0)
            value = false;
        else
            ok = false;
        break;
    case QMetaType::Int:
        value = text.toInt(&ok);
        break;
    case QMetaType::UInt:
        value = text.toUInt(&ok);
        break;
    case QMetaType::LongLong:
        value = text.toLongLong(&ok);
        break;
    case QMetaType::ULongLong:
        value = text.toULongLong(&ok);
        break;
    case QMetaType::Float:
        value = text.toFloat(&ok);
        break;
    case QMetaType::Double:
        value = text.toDouble(&ok);
        break;
    case QMetaType::QChar:
        ok = !text.isEmpty();
        if (ok) value = text.front();
        break;
    case QMetaType::QString:
    case QMetaType::QVariant:
        value = text;
        break;
    default:
        return std::nullopt;
    }
    if (!ok) return std::nullopt;
    return value;
}

constexpr int kHandCursor = 14000;
constexpr int kDragCursor = 14001;

} // namespace

QString ReplaceStr(const QString& text, const QString& search, const QString& replacement) {
    if (search.isEmpty()) return text;
    QString result = text;
    return result.replace(search, replacement);
}

QString XorEncode(const QString& key, const QString& text) {
    const std::string keyBytes = EncodeText(key);
    std::string bytes = EncodeText(text);
    QString hex;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t keyed = static_cast<uint8_t>(bytes[i]) ^
                              (keyBytes.empty() ? 0 : static_cast<uint8_t>(keyBytes[i % keyBytes.size()]));
        hex += QString("%1").arg(keyed, 2, 16, QChar('0')).toUpper();
    }
    return hex;
}

std::optional<QString> XorDecode(const QString& key, const QString& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    const std::string keyBytes = EncodeText(key);
    std::string bytes;
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        bool ok = false;
        const uint value = hex.mid(i, 2).toUInt(&ok, 16);
        // toUInt takes a sign or blanks; only two hex digits make a byte here.
        if (!ok || !isxdigit(hex[i].toLatin1()) || !isxdigit(hex[i + 1].toLatin1())) return std::nullopt;
        const size_t at = static_cast<size_t>(i / 2);
        bytes += static_cast<char>(
            value ^ (keyBytes.empty() ? 0u : static_cast<uint8_t>(keyBytes[at % keyBytes.size()])));
    }
    return DecodeText(bytes);
}

void StartSettingsUnits() {
    static const bool started = [] {
        SetScreenCursor(kHandCursor, QCursor(Qt::PointingHandCursor));
        SetScreenCursor(kDragCursor, QCursor(Qt::ClosedHandCursor));
        return true;
    }();
    (void)started;
}

bool FourDigitYear() {
    static const bool fourDigits =
        QLocale::system().dateFormat(QLocale::ShortFormat).toUpper().contains(QStringLiteral("YYYY"));
    return fourDigits;
}

int WordCount(const QString& text, const QString& delimiters) {
    int count = 0;
    bool inWord = false;
    for (QChar c : text) {
        const bool delimiter = delimiters.contains(c);
        if (!delimiter && !inWord) ++count;
        inWord = !delimiter;
    }
    return count;
}

int WordPosition(int n, const QString& text, const QString& delimiters) {
    auto word = FindWord(n, text, delimiters);
    return word ? static_cast<int>(word->first) + 1 : 0;
}

QString ExtractWord(int n, const QString& text, const QString& delimiters) {
    auto word = FindWord(n, text, delimiters);
    return word ? text.mid(word->first, word->second) : QString();
}

ScreenFacts CurrentScreens() {
    ScreenFacts facts;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        facts.size = primary->size();
        facts.pixelsPerInch = qRound(primary->logicalDotsPerInch());
    }
    for (QScreen* screen : QGuiApplication::screens())
        facts.available << screen->availableGeometry();
    return facts;
}

QString ScreenSuffix(QSize screen) {
    return QString("(%1x%2)").arg(screen.width()).arg(screen.height());
}

std::optional<QString> ReadWithSuffix(const IniFile& ini, const QString& section, const QString& key,
                                      const QString& suffix) {
    auto value = ini.Value(section, key + suffix);
    if (value && !value->isEmpty()) return value;
    return ini.Value(section, key);
}

void WriteWithSuffix(IniFile& ini, const QString& section, const QString& key, const QString& suffix,
                     const QString& value) {
    ini.WriteString(section, key + suffix, value);
    ini.WriteString(section, key, value);
}

QRect FitOntoScreens(QRect rect, const QList<QRect>& available) {
    if (available.isEmpty()) return rect;
    // Enough of the window must show to grab and move it.
    const QSize needed(std::min(rect.width(), 32), std::min(rect.height(), 32));
    for (const QRect& area : available) {
        QRect shown = area.intersected(rect);
        if (shown.width() >= needed.width() && shown.height() >= needed.height()) return rect;
    }
    const QRect& area = available.front();
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    return rect;
}

std::optional<PropertyRef> FindStoredProperty(QObject* object, const QString& storedName) {
    if (!object || storedName.isEmpty()) return std::nullopt;
    QStringList candidates = {storedName, storedName.left(1).toLower() + storedName.mid(1)};
    for (const auto& [stored, qt] : kAliases)
        if (storedName == QLatin1String(stored)) candidates << QString::fromLatin1(qt);
    const QMetaObject* meta = object->metaObject();
    for (const QString& candidate : candidates) {
        QByteArray name = candidate.toLatin1();
        int index = meta->indexOfProperty(name.constData());
        // A collection is kept through its items: its own pointer need not be writable.
        if (index >= 0 && (meta->property(index).isWritable() ||
                           (meta->property(index).metaType().flags() & QMetaType::PointerToQObject)))
            return PropertyRef{object, meta->property(index), name, storedName == "Lines"};
    }
    QByteArray dynamic = storedName.toLatin1();
    if (object->dynamicPropertyNames().contains(dynamic)) return PropertyRef{object, {}, dynamic, false};
    return std::nullopt;
}

std::optional<QString> PropertyToText(const PropertyRef& property, const QObject* form) {
    const QVariant value = Read(property);
    const QMetaType type = TypeOf(property);
    if (property.meta.isValid() && property.meta.isEnumType()) {
        QMetaEnum enumerator = property.meta.enumerator();
        int raw = value.toInt();
        if (property.meta.isFlagType()) return SetToText(enumerator, raw);
        const char* key = enumerator.valueToKey(raw);
        return key ? std::optional<QString>(QString::fromLatin1(key)) : std::nullopt;
    }
    if (type.flags() & QMetaType::PointerToQObject) return ReferenceToText(value.value<QObject*>(), form);
    switch (type.id()) {
    case QMetaType::Bool:
        return value.toBool() ? QString("True") : QString("False");
    case QMetaType::Float:
        return QString::number(value.toFloat(), 'g', 7);
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QChar:
    case QMetaType::QString:
    case QMetaType::QVariant:
        return value.toString();
    default:
        return std::nullopt;
    }
}

bool PropertyFromText(const PropertyRef& property, const QString& text, QObject* form) {
    const QMetaType type = TypeOf(property);
    std::optional<QVariant> value;
    if (property.meta.isValid() && property.meta.isEnumType()) {
        QMetaEnum enumerator = property.meta.enumerator();
        bool ok = false;
        std::optional<int> raw;
        if (property.meta.isFlagType())
            raw = SetFromText(enumerator, text);
        else if (int v = enumerator.keyToValue(text.toLatin1().constData(), &ok); ok)
            raw = v;
        if (raw) value = QVariant(*raw);
    } else if (type.flags() & QMetaType::PointerToQObject) {
        value = ReferenceFromText(type, text, form);
    } else {
        value = ScalarFromText(type, text);
    }
    return value && Write(property, *value);
}

bool IsLinesProperty(const PropertyRef& property) {
    return property.asLines || TypeOf(property).id() == QMetaType::QStringList;
}

QStringList PropertyLines(const PropertyRef& property) {
    QVariant value = Read(property);
    if (property.asLines) return value.toString().isEmpty() ? QStringList() : value.toString().split('\n');
    return value.toStringList();
}

void SetPropertyLines(const PropertyRef& property, const QStringList& lines) {
    Write(property, property.asLines ? QVariant(lines.join('\n')) : QVariant(lines));
}
