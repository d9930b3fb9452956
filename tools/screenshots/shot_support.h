// What every screenshot program does: let the event loop run, save a picture and say so.
#pragma once

#include <QEventLoop>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace r4860::shots {

inline void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool Save(const QPixmap& picture, const QString& file) {
    const bool ok = picture.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

// The widget shown, left to settle for `settleMs`, then grabbed without its frame.
inline bool ShowAndGrab(QWidget& w, const QString& file, int settleMs) {
    w.show();
    RunFor(settleMs);
    return Save(w.grab(), file);
}

}  // namespace r4860::shots
