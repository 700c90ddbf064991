#include "ui/forms/form_placement.h"

#include <QEvent>
#include <QWidget>

#include "platform/ini.h"
#include "platform/ui.h"
#include "ui/forms/window_hook.h"

namespace {

// Placement flag: a minimised window comes back maximised.
constexpr int kRestoreToMaximized = 2;

QString Fields(int a, int b, int c, int d) {
    return QString("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// Field n of "l,t,r,b" (commas or blanks); a missing field takes the default, a non-number reads as 0.
int Field(const QString& text, int n, int defaultValue) {
    static const QString kDelimiters = ", ";
    if (n > WordCount(text, kDelimiters)) return defaultValue;
    return ExtractWord(n, text, kDelimiters).toInt();
}

Qt::WindowStates StateFromShowCmd(int showCmd) {
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

} // namespace

FormPlacement::FormPlacement(QWidget* form, IniFile& ini, UserPrompts& prompts, QString section)
    : QObject(form), form_(form), ini_(ini), section_(std::move(section)), formClass_(form->metaObject()),
      prompts_(prompts) {
    StartSettingsUnits();
    form->installEventFilter(this);
}

FormPlacement::~FormPlacement() {
    SaveOnDestroy();
}

void FormPlacement::SaveOnDestroy() {
    if (Active && form_ && !saved_) SaveAll(true);
}

bool FormPlacement::eventFilter(QObject* watched, QEvent* event) {
    // Spontaneous show and hide events come from minimising and restoring, not from opening and closing.
    if (watched == form_ && Active && !event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            shown_ = true;
            RunGuarded(prompts_, [this] { RestoreAll(); });
        } else if (event->type() == QEvent::Hide) {
            // A form being destroyed has already lost its own class: its window goes away while shown.
            const bool destroying = form_->metaObject() != formClass_;
            RunGuarded(prompts_, [this, destroying] { SaveAll(destroying); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormPlacement::SetMinMaxInfo(const WinMinMaxInfo& info) {
    minMaxInfo_ = info;
    UpdateHook();
}

void FormPlacement::SetPreventResize(bool prevent) {
    preventResize_ = prevent;
    UpdateHook();
}

// Only windows with limits get a hook: with the defaults it stays uninstalled.
void FormPlacement::UpdateHook() {
    if (!minMaxInfo_.IsSet() && !preventResize_) {
        hook_.reset();
        return;
    }
    if (!hook_) {
        hook_ = std::make_unique<WindowHook>(prompts_);
        hook_->BeforeMessage = [this](WindowHook*, QEvent* event, bool&) { ApplyLimits(event); };
        hook_->SetWinControl(form_);
    }
    ApplyLimits(nullptr);
}

void FormPlacement::ApplyLimits(QEvent* event) {
    if (!form_) return;
    if (preventResize_) {
        form_->setFixedSize(form_->size());
        return;
    }
    if (!minMaxInfo_.MinTrackSize.isEmpty()) form_->setMinimumSize(minMaxInfo_.MinTrackSize);
    if (!minMaxInfo_.MaxTrackSize.isEmpty()) form_->setMaximumSize(minMaxInfo_.MaxTrackSize);
    if (event && event->type() == QEvent::WindowStateChange && form_->isMaximized() &&
        !minMaxInfo_.MaxSize.isEmpty())
        form_->setGeometry(QRect(minMaxInfo_.MaxPosition, minMaxInfo_.MaxSize));
}

void FormPlacement::SaveAll() {
    SaveAll(false);
}

void FormPlacement::SaveAll(bool destroying) {
    if (Active && !restored_) return;
    ini_.WriteInteger(section_, "FormVersion", Version);
    ScreenFacts screens = CurrentScreens();
    if ((Options & (fpState | fpPosition)) && shown_) SavePlacement(screens, destroying);
    SaveProperties();
    if (OnSavePlacement) OnSavePlacement();
    saved_ = true;
    if (std::string error = ini_.Save(); !error.empty()) prompts_.Show(QString::fromStdString(error));
}

void FormPlacement::RestoreAll() {
    saved_ = false;
    // Another running program may have saved since this one read the file.
    ini_.Reload();
    if (ini_.ReadInteger(section_, "FormVersion", 0) >= Version) {
        ScreenFacts screens = CurrentScreens();
        if (Options & (fpState | fpPosition)) RestorePlacement(screens);
        RestoreProperties();
        restored_ = true;
        if (OnRestorePlacement) OnRestorePlacement();
        // Once the showing is done: a control still hidden cannot take the focus.
        if (Options & fpActiveControl)
            QMetaObject::invokeMethod(this, &FormPlacement::RestoreActiveControl, Qt::QueuedConnection);
    }
    restored_ = true;
}

void FormPlacement::SavePlacement(const ScreenFacts& screens, bool destroying) {
    const Qt::WindowStates state = form_->windowState();
    const int showCmd = (state & Qt::WindowMinimized) ? 2 : (state & Qt::WindowMaximized) ? 3 : 1;
    // Restore-to-maximised, as a window minimised from the maximised state reports it.
    flags_ = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    // Where the window sits maximised is tracked here; the window system does not say.
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized))
        maxPosition_ = form_->geometry().topLeft();
    const QString suffix = ScreenSuffix(screens.size);
    // The client rectangle: storing the frame would make the window grow by its frame on each run.
    const QRect normal = form_->normalGeometry();
    ini_.WriteInteger(section_, "Flags", flags_);
    ini_.WriteInteger(section_, "ShowCmd", showCmd);
    ini_.WriteInteger(section_, "PixelsPerInch", screens.pixelsPerInch);
    WriteWithSuffix(ini_, section_, "MinMaxPos", suffix,
                    Fields(minPosition_.x(), minPosition_.y(), maxPosition_.x(), maxPosition_.y()));
    WriteWithSuffix(
        ini_, section_, "NormPos", suffix,
        Fields(normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()));
    ini_.WriteInteger(section_, "Visible", destroying ? 1 : 0);
    if (Options & fpActiveControl) {
        if (QWidget* focus = form_->focusWidget(); focus && !focus->objectName().isEmpty())
            ini_.WriteString(section_, "ActiveControl", focus->objectName());
    }
}

void FormPlacement::RestorePlacement(const ScreenFacts& screens) {
    const QString suffix = ScreenSuffix(screens.size);
    const bool sameDensity =
        ini_.ReadInteger(section_, "PixelsPerInch", screens.pixelsPerInch) == screens.pixelsPerInch;
    if ((Options & fpPosition) && sameDensity) {
        flags_ = ini_.ReadInteger(section_, "Flags", flags_);
        if (auto minMax = ReadWithSuffix(ini_, section_, "MinMaxPos", suffix)) {
            minPosition_ = {Field(*minMax, 1, minPosition_.x()), Field(*minMax, 2, minPosition_.y())};
            maxPosition_ = {Field(*minMax, 3, maxPosition_.x()), Field(*minMax, 4, maxPosition_.y())};
        }
        const QRect current = form_->geometry();
        const QString text = ReadWithSuffix(ini_, section_, "NormPos", suffix).value_or("");
        QRect rect(QPoint(Field(text, 1, current.left()), Field(text, 2, current.top())),
                   QPoint(Field(text, 3, current.left() + current.width()) - 1,
                          Field(text, 4, current.top() + current.height()) - 1));
        if (form_->minimumSize() == form_->maximumSize()) rect.setSize(current.size()); // not resizable
        if (rect.width() > 0 && rect.height() > 0)
            form_->setGeometry(FitOntoScreens(rect, screens.available));
    }
    if (Options & fpState) {
        Qt::WindowStates state = StateFromShowCmd(ini_.ReadInteger(section_, "ShowCmd", 0));
        if ((state & Qt::WindowMinimized) && (flags_ & kRestoreToMaximized)) state |= Qt::WindowMaximized;
        form_->setWindowState(state);
    }
}

void FormPlacement::RestoreActiveControl() {
    if (!form_) return;
    const QString name = ini_.ReadString(section_, "ActiveControl", "");
    if (name.isEmpty()) return;
    QWidget* control = form_->findChild<QWidget*>(name);
    if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus) control->setFocus();
}
