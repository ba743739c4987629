#include "common/Resources.h"

#include <QtGlobal>

void initBuiltinResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(done);
}
