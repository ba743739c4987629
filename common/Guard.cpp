#include "common/Guard.h"

#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"

#include <exception>

bool guarded(QWidget *parent, const std::function<void()> &handler) {
    QString text;
    try {
        handler();
        return true;
    } catch (const AppError &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    }
    MessageBoxes::showTitled(parent, MessageBoxes::Kind::Error, AppInfo::title(), text);
    return false;
}
