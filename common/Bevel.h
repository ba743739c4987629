#pragma once

#include <QFrame>

// The panels' border: a lowered outer bevel around a raised inner one, one
// pixel each. Outside in, the top and left edges are shadow then highlight,
// the bottom and right edges highlight then shadow.
inline void setLoweredOuterRaisedInnerBevel(QFrame *frame) {
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setMidLineWidth(0);
}
