#include "config/LayoutDrag.h"

#include "config/EditorState.h"

namespace LayoutDrag {

void press(EditorState &state, QPoint mouse) {
    state.Dragging = true;
    state.GrabX = mouse.x();
    state.GrabY = mouse.y();
}

Step move(EditorState &state, const DragBounds &bounds, QPoint place, QPoint mouse) {
    Step step{place, false};
    if (!state.Dragging)
        return step;
    if (bounds.allows(place)) {
        step.place = place + QPoint(mouse.x() - state.GrabX, mouse.y() - state.GrabY);
        return step;
    }
    // Each test looks at the values as the tests before it left them.
    auto end = [&] {
        state.Dragging = false;
        step.ended = true;
    };
    if (step.place.x() <= DragBounds::kLow) {
        step.place.setX(DragBounds::kLowClamp);
        end();
    }
    if (step.place.x() >= bounds.leftLimit) {
        step.place.setX(bounds.leftClamp);
        end();
    }
    if (step.place.y() <= DragBounds::kLow) {
        step.place.setY(DragBounds::kLowClamp);
        end();
    }
    if (step.place.y() >= bounds.topLimit) {
        step.place.setY(bounds.topClamp);
        end();
    }
    return step;
}

bool release(EditorState &state, QPoint place, QPoint mouse, QPoint *recorded) {
    if (!state.Dragging)
        return false;
    state.Dragging = false;
    *recorded = place + QPoint(mouse.x() - state.GrabX, mouse.y() - state.GrabY);
    return true;
}

} // namespace LayoutDrag
