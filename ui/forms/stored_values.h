#pragma once

#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "ui/forms/props_storage.h"

class IniFile;

// A named value kept in a window's settings section; with a KeyString it is stored XOR-encoded.
class StoredValue : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(QVariant Value MEMBER Value)
    Q_PROPERTY(QString KeyString MEMBER KeyString)
  public:
    using QObject::QObject;
    QString Name;
    QVariant Value;
    QString KeyString;
    // May change what is saved, and what is restored.
    std::function<void(StoredValue*sender, QVariant&value)> OnSave, OnRestore;

    void Save(IniFile& ini, const QString& section);
    // A missing key, or an encoded text that does not decode, leaves the value as it is.
    void Restore(const IniFile& ini, const QString& section);
};

class StoredValues : public Collection {
    Q_OBJECT
  public:
    using Collection::Collection;
    int Count() const override { return static_cast<int>(items_.size()); }
    StoredValue* Item(int index) const override { return items_[size_t(index)].get(); }
    StoredValue* Add() override;
    void Clear() override { items_.clear(); }
    // The first value of that name, or nullptr.
    StoredValue* Find(const QString& name) const;

    void SaveValues(IniFile& ini, const QString& section);
    void RestoreValues(const IniFile& ini, const QString& section);

  private:
    std::vector<std::unique_ptr<StoredValue>> items_;
};
