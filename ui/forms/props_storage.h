#pragma once

#include <QObject>
#include <QString>

#include "ui/forms/form_storage_text.h"

class IniFile;

// A list of items with properties of their own, stored as a section of its own ("Count" and each
// item's properties under "Item<n>.<property>").
class Collection : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    virtual int Count() const = 0;
    virtual QObject* Item(int index) const = 0;
    // A new item at the end.
    virtual QObject* Add() = 0;
    virtual void Clear() = 0;
};

// Turns stored properties into settings-file texts and back, in one section of the file. Lists of lines
// and collections get sections of their own, named after the section and the key.
class PropsStorage {
  public:
    PropsStorage(IniFile& ini, QString section, QObject* form);

    void StoreProperty(const QString& key, const PropertyRef& property);
    // Missing keys and texts that do not convert leave the property as it is.
    void LoadProperty(const QString& key, const PropertyRef& property);

  private:
    void StoreLines(const QString& listSection, const QStringList& lines);
    void LoadLines(const QString& listSection, const PropertyRef& property);
    void StoreCollection(const QString& listSection, const Collection& collection);
    void LoadCollection(const QString& listSection, Collection& collection);

    IniFile& ini_;
    QString section_;
    QObject* form_;
};
