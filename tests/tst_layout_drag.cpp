// The drag rules of the layout page, on plain positions.
#include "config/EditorState.h"
#include "config/LayoutDrag.h"

#include <QtTest>

class TstLayoutDrag : public QObject {
    Q_OBJECT

private slots:
    void insideTheBoundsTheControlFollowsTheMouse() {
        EditorState s;
        LayoutDrag::press(s, {20, 30});
        QVERIFY(s.Dragging);
        LayoutDrag::Step step = LayoutDrag::move(s, DragBounds::icon(), {100, 50}, {45, 20});
        QCOMPARE(step.place, QPoint(125, 40));
        QVERIFY(!step.ended);
        QPoint recorded;
        QVERIFY(LayoutDrag::release(s, step.place, {25, 35}, &recorded));
        QCOMPARE(recorded, QPoint(130, 45));
        QVERIFY(!s.Dragging);
        QVERIFY(!LayoutDrag::release(s, recorded, {0, 0}, &recorded)); // no drag: nothing
        step = LayoutDrag::move(s, DragBounds::icon(), {130, 45}, {300, 300});
        QCOMPARE(step.place, QPoint(130, 45));
    }

    void defaultRightColumnIsClampedAtTheFirstMove() {
        EditorState s;
        // Icon 8 starts at 640, beyond the icon bound.
        LayoutDrag::press(s, {10, 10});
        LayoutDrag::Step step = LayoutDrag::move(s, DragBounds::icon(), {640, 50}, {30, 10});
        QCOMPARE(step.place, QPoint(625, 50));
        QVERIFY(step.ended);
        QVERIFY(!s.Dragging);
        // A second drag moves it normally.
        LayoutDrag::press(s, {10, 10});
        step = LayoutDrag::move(s, DragBounds::icon(), step.place, {0, 20});
        QCOMPARE(step.place, QPoint(615, 60));

        // Panel 4 starts at 600, beyond the panel bound.
        LayoutDrag::press(s, {5, 5});
        step = LayoutDrag::move(s, DragBounds::panel(), {600, 200}, {6, 6});
        QCOMPARE(step.place, QPoint(535, 200));
        QVERIFY(step.ended);
    }

    void everyBoundFiresInItsTurn() {
        EditorState s;
        struct Case {
            QPoint from;
            DragBounds bounds;
            QPoint to;
        };
        const Case cases[] = {
            {{5, 50}, DragBounds::icon(), {15, 50}},  // stored outside: left 5
            {{10, 10}, DragBounds::icon(), {15, 15}}, // both low bounds
            {{700, 500}, DragBounds::icon(), {625, 455}},
            {{200, 460}, DragBounds::icon(), {200, 455}},
            {{-18, 50}, DragBounds::icon(), {15, 50}},
            {{540, 480}, DragBounds::panel(), {535, 475}},
            {{100, 11}, DragBounds::panel(), {100, 11}}, // inside: follows the mouse
        };
        for (const Case &c : cases) {
            LayoutDrag::press(s, {0, 0});
            const auto step = LayoutDrag::move(s, c.bounds, c.from, {0, 0});
            QCOMPARE(step.place, c.to);
            QCOMPARE(step.ended, c.from != c.to);
        }
    }

    void oneLargeMoveCarriesPastABoundUntilTheNextMove() {
        EditorState s;
        // An icon at left 12 carried 30 pixels to the left in one event.
        LayoutDrag::press(s, {32, 20});
        LayoutDrag::Step step = LayoutDrag::move(s, DragBounds::icon(), {12, 50}, {2, 20});
        QCOMPARE(step.place, QPoint(-18, 50));
        QVERIFY(!step.ended);
        // Released before another move: the place past the bound is recorded,
        // plus the offset of the release.
        QPoint recorded;
        QVERIFY(LayoutDrag::release(s, step.place, {30, 22}, &recorded));
        QCOMPARE(recorded, QPoint(-20, 52));
    }
};

QTEST_GUILESS_MAIN(TstLayoutDrag)
#include "tst_layout_drag.moc"
