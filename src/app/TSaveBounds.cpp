#include "app/TSaveBounds.h"

#include <vector>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/Environment.h"
#include "platform/ProgramDirectory.h"
#include "platform/QtPaths.h"
#include "settings/WindowPlacement.h"

namespace pixmoth {

namespace {

std::string Home() {
    return HomeDirectory(CurrentEnvironment());
}

} // namespace

TSaveBounds::TSaveBounds(QObject* owner) : QObject(owner) {
    if (owner != nullptr && owner->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(owner);
        if (widget->isWindow()) {
            mForm = widget;
        }
    }
}

TSaveBounds::~TSaveBounds() {
    // Destruction comes after the window was closed, where nothing could
    // report a failure any more: a bound that cannot be stored is not worth
    // ending the program over.
    if (!mIniFile.isEmpty() && !mForm.isNull()) {
        try {
            StoreBounds(mForm, SettingsPath());
        } catch (const std::exception&) {
        }
    }
}

QString TSaveBounds::SettingsPath() const {
    const std::string executable = ExecutablePath();
    const std::string programDir = ProgramDirectory(CurrentEnvironment(), ExecutableDirectory());
    return FromNative(
        SaveBoundsSettingsPath(executable, programDir, ToNative(mIniFile), mUseStdIni));
}

void TSaveBounds::SetUseStdIni(bool useStdIni) {
    mUseStdIni = useStdIni;
    if (!mForm.isNull()) {
        RestoreBounds(mForm, SettingsPath());
    }
}

Rect TSaveBounds::BoundsOf(const QWidget* form) {
    const bool normal = !(form->isMaximized() || form->isFullScreen() || form->isMinimized());
    const QPoint position = normal ? form->pos() : form->normalGeometry().topLeft();
    const QSize size = normal ? form->size() : form->normalGeometry().size();
    return Rect{position.x(), position.y(), position.x() + size.width(),
                position.y() + size.height()};
}

void TSaveBounds::SetBounds(QWidget* form, const Rect& bounds) {
    form->move(bounds.left, bounds.top);
    form->resize(bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TSaveBounds::RestoreBounds(QWidget* form, const QString& path) {
    const auto bounds = ReadSavedBounds(ToNative(path), Home());
    if (!bounds) {
        return;
    }
    std::vector<Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back(
            {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    }
    SetBounds(form, PlaceOnScreens(*bounds, screens));
}

void TSaveBounds::StoreBounds(QWidget* form, const QString& path) {
    WriteSavedBounds(ToNative(path), Home(), BoundsOf(form));
}

} // namespace pixmoth
