#include "Dotfield/Platform/Qt/QtMainThreadBinding.hpp"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "Diagnostics/ProgramStop.hpp"

namespace Dotfield {

QtMainThreadBinding::QtMainThreadBinding() {
    if (QCoreApplication::instance() == nullptr) {
        Diagnostics::stopProgram("The Qt main thread binding needs a QCoreApplication");
    }
}

bool QtMainThreadBinding::isMainThread() const {
    auto* application = QCoreApplication::instance();
    return application != nullptr && QThread::currentThread() == application->thread();
}

void QtMainThreadBinding::post(std::function<void()> work) {
    auto* application = QCoreApplication::instance();
    if (application == nullptr) {
        return; // The application is gone: nothing runs on its thread any more.
    }
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace Dotfield
