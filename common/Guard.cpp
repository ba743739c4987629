#include "common/Guard.h"

#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"

#include <exception>

namespace {
// Runs the handler; on failure returns false with the failure's text.
bool run(const std::function<void()> &handler, QString &text) {
    try {
        handler();
        return true;
    } catch (const AppError &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    }
    return false;
}
} // namespace

bool guarded(QWidget *parent, const std::function<void()> &handler) {
    QString text;
    if (run(handler, text))
        return true;
    MessageBoxes::showTitled(parent, MessageBoxes::Kind::Error, AppInfo::title(), text);
    return false;
}

bool guardedReportLater(QWidget *parent, const std::function<void()> &handler) {
    QString text;
    if (run(handler, text))
        return true;
    MessageBoxes::post(parent, MessageBoxes::Kind::Error, AppInfo::title(), text);
    return false;
}
