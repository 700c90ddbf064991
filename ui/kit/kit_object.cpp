#include "ui/kit/kit_object.h"

#include <stdexcept>

void KitObject::EndUpdate(bool notify) {
    updating_ = false;
    if (notify) Changed();
}

void KitObject::Changed() {
    if (!updating_ && OnChange) OnChange(this);
}

void KitObject::Assign(const KitObject&) {
    throw std::invalid_argument("Cannot assign this object");
}

void KitComponent::EndUpdate(bool notify) {
    updating_ = false;
    if (notify) Changed();
}

void KitComponent::Changed() {
    if (!updating_ && OnChange) OnChange();
}
