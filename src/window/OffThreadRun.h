#pragma once

#include <functional>

#include "engine/ProgressSink.h"

class QObject;

namespace nivaro {

// Runs work on a worker thread while the window's event loop goes on, and
// returns when the work has ended: meanwhile the window repaints, answers
// the mouse and the keyboard, opens menus and fires its timers. Each report
// of the work's progress reaches `progress` on the window's thread by a
// queued call to `context`; an exception the work throws is thrown here
// again. The work must not touch widgets, and nothing the window shows may
// be written by it.
void RunOffWindowThread(QObject& context, ProgressSink& progress, const std::function<void(ProgressSink&)>& work);

}  // namespace nivaro
