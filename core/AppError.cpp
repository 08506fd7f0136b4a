#include "AppError.h"

#include <QFileInfo>
#include <dlfcn.h>

// Not inlined, so that the return address points into the code that raised the error.
__attribute__((noinline)) AppError::AppError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
    void* caller = __builtin_return_address(0);
    Dl_info info{};
    if (dladdr(caller, &info) != 0 && info.dli_fname != nullptr) {
        m_module = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).fileName();
        m_offset = reinterpret_cast<quintptr>(caller) - reinterpret_cast<quintptr>(info.dli_fbase);
    }
}
