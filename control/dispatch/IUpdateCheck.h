// The seam where the update check plugs into the worker window.
#pragma once

class CWorkWndInvisible;

// Checks once for a newer version, on the worker thread.
class IUpdateCheck {
 public:
  virtual ~IUpdateCheck() = default;
  // Runs the check. Returns true when the worker should report that it is
  // free for queued work (no update was started), false when the updater
  // has taken over.
  virtual bool RunUpdateCheck(CWorkWndInvisible& worker) = 0;
};
