#include "ui/forms/stored_values.h"

#include "platform/ini.h"
#include "ui/forms/form_storage_text.h"

void StoredValue::Save(IniFile& ini, const QString& section) {
    QVariant value = Value;
    if (OnSave) OnSave(this, value);
    const QString text = value.toString();
    ini.WriteString(section, Name, KeyString.isEmpty() ? text : XorEncode(KeyString, text));
}

void StoredValue::Restore(const IniFile& ini, const QString& section) {
    const std::optional<QString> stored = ini.Value(section, Name);
    if (!stored) return;
    std::optional<QString> text = KeyString.isEmpty() ? stored : XorDecode(KeyString, *stored);
    if (!text) return;
    // Back to the type the value had, when the text converts to it.
    QVariant value(*text);
    if (Value.isValid() && Value.metaType() != value.metaType()) {
        QVariant typed = value;
        if (typed.convert(Value.metaType())) value = typed;
    }
    if (OnRestore) OnRestore(this, value);
    Value = value;
}

StoredValue* StoredValues::Add() {
    items_.push_back(std::make_unique<StoredValue>());
    return items_.back().get();
}

StoredValue* StoredValues::Find(const QString& name) const {
    for (const auto& item : items_)
        if (item->Name.compare(name, Qt::CaseInsensitive) == 0) return item.get();
    return nullptr;
}

void StoredValues::SaveValues(IniFile& ini, const QString& section) {
    for (const auto& item : items_)
        if (!item->Name.isEmpty()) item->Save(ini, section);
}

void StoredValues::RestoreValues(const IniFile& ini, const QString& section) {
    for (const auto& item : items_)
        if (!item->Name.isEmpty()) item->Restore(ini, section);
}
