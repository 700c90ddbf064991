#include "ui/form_storage.h"

#include <QEvent>
#include <QWidget>

#include "platform/ini.h"
#include "platform/ui.h"

namespace {

// Lists longer than this in a hand-edited file are cut, not allocated.
constexpr int kMaxStoredLines = 100000;

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

FormStorage::FormStorage(QWidget* form, IniFile& ini, QString section, QStringList storedProps)
    : QObject(form), form_(form), ini_(ini), section_(std::move(section)),
      storedProps_(std::move(storedProps)) {
    form->installEventFilter(this);
}

FormStorage::~FormStorage() {
    if (Active && form_ && !saved_) SaveAll(true);
}

bool FormStorage::eventFilter(QObject* watched, QEvent* event) {
    // Spontaneous show and hide events come from minimising and restoring, not from opening and closing.
    if (watched == form_ && Active && !event->spontaneous()) {
        if (event->type() == QEvent::Show) {
            shown_ = true;
            RunGuarded([this] { RestoreAll(); });
        } else if (event->type() == QEvent::Hide)
            RunGuarded([this] { SaveAll(false); });
    }
    return QObject::eventFilter(watched, event);
}

void FormStorage::SaveAll() {
    SaveAll(false);
}

void FormStorage::SaveAll(bool destroying) {
    if (Active && !restored_) return;
    ini_.WriteInteger(section_, "FormVersion", Version);
    ScreenFacts screens = CurrentScreens();
    if ((Options & (fpState | fpPosition)) && shown_) SavePlacement(screens, destroying);
    SaveProperties();
    if (OnSavePlacement) OnSavePlacement();
    saved_ = true;
    if (std::string error = ini_.Save(); !error.empty()) ShowMessage(QString::fromStdString(error));
}

void FormStorage::RestoreAll() {
    saved_ = false;
    // Another running program may have saved since this one read the file.
    ini_.Reload();
    if (ini_.ReadInteger(section_, "FormVersion", 0) >= Version) {
        ScreenFacts screens = CurrentScreens();
        if (Options & (fpState | fpPosition)) RestorePlacement(screens);
        RestoreProperties();
        restored_ = true;
        if (OnRestorePlacement) OnRestorePlacement();
    }
    restored_ = true;
}

void FormStorage::SavePlacement(const ScreenFacts& screens, bool destroying) {
    const Qt::WindowStates state = form_->windowState();
    const int showCmd = (state & Qt::WindowMinimized) ? 2 : (state & Qt::WindowMaximized) ? 3 : 1;
    // Restore-to-maximised, as a window minimised from the maximised state reports it.
    const int flags = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? 2 : 0;
    const QString suffix = ScreenSuffix(screens.size);
    // The client rectangle: storing the frame would make the window grow by its frame on each run.
    const QRect normal = form_->normalGeometry();
    ini_.WriteInteger(section_, "Flags", flags);
    ini_.WriteInteger(section_, "ShowCmd", showCmd);
    ini_.WriteInteger(section_, "PixelsPerInch", screens.pixelsPerInch);
    WriteWithSuffix(ini_, section_, "MinMaxPos", suffix, Fields(-1, -1, -1, -1));
    WriteWithSuffix(
        ini_, section_, "NormPos", suffix,
        Fields(normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()));
    ini_.WriteInteger(section_, "Visible", destroying ? 1 : 0);
}

void FormStorage::RestorePlacement(const ScreenFacts& screens) {
    if (Options & fpPosition) {
        const QRect current = form_->geometry();
        const QString text =
            ReadWithSuffix(ini_, section_, "NormPos", ScreenSuffix(screens.size)).value_or("");
        QRect rect(QPoint(Field(text, 1, current.left()), Field(text, 2, current.top())),
                   QPoint(Field(text, 3, current.left() + current.width()) - 1,
                          Field(text, 4, current.top() + current.height()) - 1));
        if (form_->minimumSize() == form_->maximumSize()) rect.setSize(current.size()); // not resizable
        if (ini_.ReadInteger(section_, "PixelsPerInch", screens.pixelsPerInch) == screens.pixelsPerInch &&
            rect.width() > 0 && rect.height() > 0)
            form_->setGeometry(FitOntoScreens(rect, screens.available));
    }
    if (Options & fpState) form_->setWindowState(StateFromShowCmd(ini_.ReadInteger(section_, "ShowCmd", 0)));
}

void FormStorage::SaveProperties() {
    for (const Bound& entry : BoundProperties()) {
        if (!entry.object) continue;
        if (IsLinesProperty(entry.property)) {
            SaveLines(section_ + '.' + entry.key, PropertyLines(entry.property));
        } else if (auto text = PropertyToText(entry.property, form_)) {
            ini_.WriteString(section_, entry.key, *text);
        }
    }
}

// The list's section is erased and written anew, unless it already holds the same lines.
void FormStorage::SaveLines(const QString& listSection, const QStringList& lines) {
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

void FormStorage::RestoreProperties() {
    for (const Bound& entry : BoundProperties()) {
        if (!entry.object) continue;
        if (IsLinesProperty(entry.property)) {
            // Without the section (a first run) the control keeps its own lines.
            const QString listSection = section_ + '.' + entry.key;
            if (!ini_.SectionExists(listSection)) continue;
            const int count = std::clamp(ini_.ReadInteger(listSection, "Count", 0), 0, kMaxStoredLines);
            QStringList lines;
            for (int i = 0; i < count; ++i)
                lines << ini_.ReadString(listSection, QString("Item%1").arg(i), "");
            SetPropertyLines(entry.property, lines);
        } else if (auto text = ini_.Value(section_, entry.key)) {
            PropertyFromText(entry.property, text->trimmed(), form_);
        }
    }
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
        QObject* object = form_->findChild<QObject*>(control);
        if (auto property = FindStoredProperty(object, name))
            bound_.push_back({control + '_' + name, *property, object});
    }
    return bound_;
}
