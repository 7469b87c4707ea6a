#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "settings/SaveBoundsPath.h"

class QWidget;

namespace pixmoth {

// Stores a window's bounds in a settings file and puts them back. The bounds are
// the window's position (its frame's top-left corner) and its size: right =
// left + width, bottom = top + height. Relative file names are taken from the
// home directory.
//
// The owner is the window whose bounds are kept when it is one. With IniFile or
// UseStdIni set, the component restores the bounds when UseStdIni is switched
// on and stores them when it is destroyed; the main window sets neither and
// calls RestoreBounds and StoreBounds itself.
class TSaveBounds : public QObject {
    Q_OBJECT

public:
    explicit TSaveBounds(QObject* owner);
    ~TSaveBounds() override;

    // Applies the stored bounds when the file exists; otherwise the window
    // keeps the bounds it has. Bounds that lie off every screen are moved onto
    // the nearest one.
    void RestoreBounds(QWidget* form, const QString& path);
    // Writes the window's bounds (of its normal state when it is maximised);
    // an empty path writes nothing.
    void StoreBounds(QWidget* form, const QString& path);

    static Rect BoundsOf(const QWidget* form);
    static void SetBounds(QWidget* form, const Rect& bounds);

    const QString& IniFile() const { return mIniFile; }
    void SetIniFile(const QString& iniFile) { mIniFile = iniFile; }
    bool UseStdIni() const { return mUseStdIni; }
    void SetUseStdIni(bool useStdIni);

private:
    QString SettingsPath() const;

    QPointer<QWidget> mForm;
    QString mIniFile;
    bool mUseStdIni = false;
};

} // namespace pixmoth
