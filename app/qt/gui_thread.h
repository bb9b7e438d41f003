// Carrying work over to the GUI thread: called from another thread, the work is
// queued to the GUI thread and the caller waits for it; called from the GUI
// thread, it runs directly.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <type_traits>
#include <utility>

namespace imm {

inline bool on_gui_thread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

template <typename F>
auto run_on_gui(F&& work) -> decltype(work()) {
    using Result = decltype(work());
    if (on_gui_thread()) {
        return work();
    }
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(work),
                                  Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { result = work(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

}  // namespace imm
