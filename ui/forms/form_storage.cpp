#include "ui/forms/form_storage.h"

#include <QWidget>

FormStorage::FormStorage(QWidget* form, IniFile& ini, UserPrompts& prompts, QString section,
                         QStringList storedProps)
    : FormPlacement(form, ini, prompts, std::move(section)), storedProps_(std::move(storedProps)) {}

FormStorage::~FormStorage() {
    SaveOnDestroy();
}

void FormStorage::SaveProperties() {
    PropsStorage props(Ini(), IniSection(), Form());
    for (const Bound& entry : BoundProperties())
        if (entry.object) props.StoreProperty(entry.key, entry.property);
    values_.SaveValues(Ini(), IniSection());
}

void FormStorage::RestoreProperties() {
    PropsStorage props(Ini(), IniSection(), Form());
    for (const Bound& entry : BoundProperties())
        if (entry.object) props.LoadProperty(entry.key, entry.property);
    values_.RestoreValues(Ini(), IniSection());
}

// Entries are bound on first use, when the window has built its controls; those naming nothing are dropped.
const std::vector<FormStorage::Bound>& FormStorage::BoundProperties() {
    if (isBound_) return bound_;
    isBound_ = true;
    for (const QString& entry : storedProps_) {
        qsizetype dot = entry.indexOf('.');
        if (dot < 0) continue;
        const QString control = entry.left(dot).trimmed();
        const QString name = entry.mid(dot + 1).trimmed();
        if (control.isEmpty() || name.isEmpty()) continue;
        QObject* object = Form()->findChild<QObject*>(control);
        if (auto property = FindStoredProperty(object, name))
            bound_.push_back({control + '_' + name, *property, object});
    }
    return bound_;
}
