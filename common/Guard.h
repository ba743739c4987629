#pragma once

#include <functional>

class QWidget;

// Runs one event handler; a failure it raises is shown in one error box
// titled with the application title, and the program goes on. Returns false
// when the handler failed.
bool guarded(QWidget *parent, const std::function<void()> &handler);

// The same for the timers' handlers: the error box is shown from the event
// loop after the handler has returned (MessageBoxes::post), so that the timer
// goes on meanwhile.
bool guardedReportLater(QWidget *parent, const std::function<void()> &handler);
