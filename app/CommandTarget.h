// Routing of menu, toolbar and accelerator commands by id.
//
// The main frame asks its targets in turn (the view first, then the frame
// itself, then the application); the first that handles an id wins.  A
// command that no target enables stays disabled, so features that are not
// there yet show as greyed-out items.
#pragma once

struct CCommandState {
  bool enabled = false;
  bool checked = false;
};

class CCommandTarget {
public:
  virtual ~CCommandTarget() = default;
  // True when the target handled the command.
  virtual bool OnCommand(int id) = 0;
  // True when the target knows the command; fills state.
  virtual bool OnUpdateCommand(int id, CCommandState& state) = 0;
};
