#pragma once

#include <QObject>
#include <functional>

// A settings object of the control suite that tells its owner when it changes.
class KitObject {
  public:
    virtual ~KitObject() = default;

    // Called with the object after every change, unless inside BeginUpdate .. EndUpdate.
    std::function<void(KitObject*)> OnChange;
    void BeginUpdate() { updating_ = true; }
    // Ends a batch; notifies once when asked.
    void EndUpdate(bool notify = true);
    bool Updating() const { return updating_; }
    virtual void Changed();
    // Copies another object of the same class; other sources raise std::invalid_argument.
    virtual void Assign(const KitObject& source);

  protected:
    // Stores a property value and notifies, only when it differs.
    template <typename T, typename U> void Set(T& field, const U& value) {
        if (field == value) return;
        field = value;
        Changed();
    }

  private:
    bool updating_ = false;
};

// A component of the control suite: change notification with update bracketing.
class KitComponent : public QObject {
    Q_OBJECT
  public:
    explicit KitComponent(QObject* owner = nullptr) : QObject(owner) {}

    std::function<void()> OnChange;
    void BeginUpdate() { updating_ = true; }
    // Ends a batch; with notify the component's change runs.
    void EndUpdate(bool notify);
    bool Updating() const { return updating_; }
    // Notifies unless inside a batch.
    virtual void Changed();

  private:
    bool updating_ = false;
};
