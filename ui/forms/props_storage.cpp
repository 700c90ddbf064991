#include "ui/forms/props_storage.h"

#include <QMetaProperty>
#include <algorithm>

#include "platform/ini.h"

namespace {

// Lists longer than this in a hand-edited file are cut, not allocated.
constexpr int kMaxStoredLines = 100000;

QString ItemKey(int index, const char* property) {
    return QString("Item%1.%2").arg(index).arg(QString::fromLatin1(property));
}

Collection* AsCollection(const PropertyRef& property) {
    return qobject_cast<Collection*>(property.object->property(property.name).value<QObject*>());
}

// The stored properties of a collection item: its own declared ones, not QObject's.
std::vector<PropertyRef> ItemProperties(QObject* item) {
    std::vector<PropertyRef> properties;
    const QMetaObject* meta = item->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
        if (meta->property(i).isWritable())
            properties.push_back(PropertyRef{item, meta->property(i), meta->property(i).name(), false});
    return properties;
}

} // namespace

PropsStorage::PropsStorage(IniFile& ini, QString section, QObject* form)
    : ini_(ini), section_(std::move(section)), form_(form) {}

void PropsStorage::StoreProperty(const QString& key, const PropertyRef& property) {
    const QString listSection = section_ + '.' + key;
    if (Collection* collection = AsCollection(property))
        StoreCollection(listSection, *collection);
    else if (IsLinesProperty(property))
        StoreLines(listSection, PropertyLines(property));
    else if (auto text = PropertyToText(property, form_))
        ini_.WriteString(section_, key, *text);
}

void PropsStorage::LoadProperty(const QString& key, const PropertyRef& property) {
    const QString listSection = section_ + '.' + key;
    if (Collection* collection = AsCollection(property))
        LoadCollection(listSection, *collection);
    else if (IsLinesProperty(property))
        LoadLines(listSection, property);
    else if (auto text = ini_.Value(section_, key))
        PropertyFromText(property, text->trimmed(), form_);
}

// The list's section is erased and written anew, unless it already holds the same lines.
void PropsStorage::StoreLines(const QString& listSection, const QStringList& lines) {
    QStringList keys;
    if (!lines.isEmpty()) keys << "Count";
    for (int i = 0; i < lines.size(); ++i)
        keys << QString("Item%1").arg(i);
    auto same = [&] {
        if (!ini_.SectionExists(listSection) || ini_.Keys(listSection) != keys) return false;
        for (int i = 0; i < lines.size(); ++i)
            if (ini_.ReadString(listSection, keys[i + 1], "") != lines[i]) return false;
        return lines.isEmpty() || ini_.ReadInteger(listSection, "Count", -1) == lines.size();
    };
    if (same()) return;
    ini_.ClearSection(listSection);
    if (!lines.isEmpty()) ini_.WriteInteger(listSection, "Count", static_cast<int>(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        ini_.WriteString(listSection, keys[i + 1], lines[i]);
}

void PropsStorage::LoadLines(const QString& listSection, const PropertyRef& property) {
    // Without the section (a first run) the control keeps its own lines.
    if (!ini_.SectionExists(listSection)) return;
    const int count = std::clamp(ini_.ReadInteger(listSection, "Count", 0), 0, kMaxStoredLines);
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << ini_.ReadString(listSection, QString("Item%1").arg(i), "");
    SetPropertyLines(property, lines);
}

void PropsStorage::StoreCollection(const QString& listSection, const Collection& collection) {
    ini_.ClearSection(listSection);
    if (collection.Count() > 0) ini_.WriteInteger(listSection, "Count", collection.Count());
    for (int i = 0; i < collection.Count(); ++i)
        for (const PropertyRef& property : ItemProperties(collection.Item(i)))
            if (auto text = PropertyToText(property, form_))
                ini_.WriteString(listSection, ItemKey(i, property.meta.name()), *text);
}

void PropsStorage::LoadCollection(const QString& listSection, Collection& collection) {
    if (!ini_.SectionExists(listSection)) return;
    const int count = std::clamp(ini_.ReadInteger(listSection, "Count", 0), 0, kMaxStoredLines);
    collection.Clear();
    for (int i = 0; i < count; ++i)
        for (const PropertyRef& property : ItemProperties(collection.Add()))
            if (auto text = ini_.Value(listSection, ItemKey(i, property.meta.name())))
                PropertyFromText(property, text->trimmed(), form_);
}
