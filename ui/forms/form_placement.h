#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>

#include "platform/user_prompts.h"
#include "ui/forms/form_storage_text.h"

class IniFile;
class QWidget;
class WindowHook;

// Limits of a window's size: the smallest and largest size the user may drag it to, and the size and
// place it takes maximised. Empty sizes and the null point mean no limit.
struct WinMinMaxInfo {
    QSize MinTrackSize;
    QSize MaxTrackSize;
    QSize MaxSize;
    QPoint MaxPosition;
    bool IsSet() const { return !MinTrackSize.isEmpty() || !MaxTrackSize.isEmpty() || !MaxSize.isEmpty(); }
};

// Keeps a window's placement in the settings file: restores it each time the window is shown and saves
// it when the window is hidden (close, accept, reject, done) or destroyed.
class FormPlacement : public QObject {
    Q_OBJECT
  public:
    enum Option { fpState = 1, fpPosition = 2, fpActiveControl = 4 };

    // The placement becomes a child of form; ini must outlive it. A failing handler is reported to prompts.
    FormPlacement(QWidget* form, IniFile& ini, UserPrompts& prompts, QString section);
    ~FormPlacement() override;

    bool Active = true;
    int Version = 0;
    int Options = fpState | fpPosition;
    // Settings always go to the settings file; the flag is kept for what a window stores about itself.
    bool UseRegistry = false;
    std::function<void()> OnSavePlacement;
    std::function<void()> OnRestorePlacement;

    const QString& IniSection() const { return section_; }
    const WinMinMaxInfo& MinMaxInfo() const { return minMaxInfo_; }
    // Limits or a fixed size install a window hook on the form that holds it to them.
    void SetMinMaxInfo(const WinMinMaxInfo& info);
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool prevent);

    // Writes the placement (and what a descendant stores) and saves the file. Skipped while active for a
    // window that was never restored (never shown); the placement is written only once it was shown.
    void SaveAll();
    // Reads everything back when the file's FormVersion is at least Version.
    void RestoreAll();

  protected:
    QWidget* Form() const { return form_; }
    IniFile& Ini() const { return ini_; }
    virtual void SaveProperties() {}
    virtual void RestoreProperties() {}
    // The save a window gets on its way out, unless it saved since it was last restored. Called by the
    // destructor of the most derived storage, while its part still exists.
    void SaveOnDestroy();
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SaveAll(bool destroying);
    void SavePlacement(const ScreenFacts& screens, bool destroying);
    void RestorePlacement(const ScreenFacts& screens);
    void RestoreActiveControl();
    void UpdateHook();
    void ApplyLimits(QEvent* event);

    QPointer<QWidget> form_;
    IniFile& ini_;
    QString section_;
    // The class the form had when it was made: seen to change once the form is being destroyed.
    const QMetaObject* formClass_;
    WinMinMaxInfo minMaxInfo_;
    bool preventResize_ = false;
    UserPrompts& prompts_;
    std::unique_ptr<WindowHook> hook_;
    // What the window system would remember beyond the normal rectangle.
    int flags_ = 0;
    QPoint minPosition_{-1, -1};
    QPoint maxPosition_{-1, -1};
    bool restored_ = false;
    bool saved_ = false;
    bool shown_ = false; // a window never shown has no placement of its own to keep
};
