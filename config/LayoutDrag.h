#pragma once

#include <QPoint>

struct EditorState;

// Where the layout page lets a control go. A drag may continue only while
// the control's left and top lie strictly inside (10, leftLimit) and
// (10, topLimit); a move that finds it outside puts it back 5 pixels inside
// the bound it crossed and ends the drag.
struct DragBounds {
    static constexpr int kLow = 10;
    static constexpr int kLowClamp = 15;
    int leftLimit;
    int topLimit;
    int leftClamp;
    int topClamp;

    // A 64 x 64 icon and a 150 x 30 panel stay inside the 700 x 530 picture.
    static DragBounds icon() { return {630, 460, 625, 455}; }
    static DragBounds panel() { return {540, 480, 535, 475}; }

    bool allows(QPoint place) const {
        return place.x() > kLow && place.x() < leftLimit && place.y() > kLow &&
               place.y() < topLimit;
    }
};

// Dragging on the layout page, one procedure for all twenty controls. Mouse
// positions are relative to the control; the drag state lives in
// EditorState (Dragging, GrabX, GrabY).
namespace LayoutDrag {

// Any button starts a drag and notes where the control was grabbed.
void press(EditorState &state, QPoint mouse);

struct Step {
    QPoint place;       // where the control stands after the event
    bool ended = false; // a bound stopped the drag: this place is final
};

// A move: inside the bounds the control follows the mouse, keeping the
// grabbed point under it; outside (tested on the place before the move) it is
// clamped back and the drag ends. Without a drag the place stays.
Step move(EditorState &state, const DragBounds &bounds, QPoint place, QPoint mouse);

// The release of a drag: the control moves once more and the new place is
// the one to record. False when no drag was under way.
bool release(EditorState &state, QPoint place, QPoint mouse, QPoint *recorded);

} // namespace LayoutDrag
